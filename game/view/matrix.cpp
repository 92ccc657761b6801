// The game's matrix helpers and its sine and cosine tables: identity, translation, table-driven
// rotations, look-at, perspective and the product of two matrices, all in single precision.
#include "game/view/matrix.h"

#include <cmath>

#include "common/math/matrix4.h"

// Filled once by the first step of start-up, read-only afterwards (whole run).
float SineTable[TableSize];
float CosineTable[TableSize];

namespace
{

// One table unit, pi / 9000, as the single-precision constant the angles were tuned with.
const float TableStep = 0.00034906584f;

float Length(Vector3 v)
{
    return std::sqrt(Dot3(v, v));
}

Vector3 Scale(Vector3 v, float s)
{
    return Vector3{v.x * s, v.y * s, v.z * s};
}

Vector3 Subtract(Vector3 a, Vector3 b)
{
    return Vector3{a.x - b.x, a.y - b.y, a.z - b.z};
}

} // namespace

void FillSineTable()
{
    for (int i = 0; i < TableSize; ++i)
        SineTable[i] = static_cast<float>(std::sin(static_cast<double>(i) * TableStep));
}

void FillCosineTable()
{
    for (int i = 0; i < TableSize; ++i)
        CosineTable[i] = static_cast<float>(std::cos(static_cast<double>(i) * TableStep));
}

Matrix4 IdentityMatrix()
{
    return MakeIdentity<Matrix4>();
}

Matrix4 ZeroMatrix()
{
    Matrix4 result;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            result.m[i][j] = 0.0f;
    return result;
}

Matrix4 MultiplyMatrices(Matrix4 a, Matrix4 b)
{
    Matrix4 result;
    MultiplyMatrix4(&b.m[0][0], &a.m[0][0], &result.m[0][0]);
    return result;
}

Matrix4 TranslationMatrix(float x, float y, float z)
{
    return MakeTranslation<Matrix4>(x, y, z);
}

Matrix4 RotationMatrixX(TableAngle angle)
{
    Matrix4 result = IdentityMatrix();
    result._22 = CosineTable[angle];
    result._23 = -SineTable[angle];
    result._32 = SineTable[angle];
    result._33 = CosineTable[angle];
    return result;
}

Matrix4 RotationMatrixY(TableAngle angle)
{
    Matrix4 result = IdentityMatrix();
    result._11 = CosineTable[angle];
    result._13 = SineTable[angle];
    result._31 = -SineTable[angle];
    result._33 = CosineTable[angle];
    return result;
}

Matrix4 RotationMatrixZ(TableAngle angle)
{
    Matrix4 result = IdentityMatrix();
    result._11 = CosineTable[angle];
    result._12 = -SineTable[angle];
    result._21 = SineTable[angle];
    result._22 = CosineTable[angle];
    return result;
}

Matrix4 LookAtMatrix(Vector3 eye, Vector3 target, Vector3 up)
{
    const float tiny = 1e-6f;
    Vector3 view = Subtract(target, eye);
    view = Scale(view, 1.0f / Length(view));

    // The up vector with its part along the view removed; when up is (nearly) parallel to the
    // view, world y and then world z stand in for it.
    Vector3 upAxis = Subtract(up, Scale(view, Dot3(up, view)));
    float length = Length(upAxis);
    if (length < tiny)
    {
        upAxis = Subtract(Vector3{0.0f, 1.0f, 0.0f}, Scale(view, view.y));
        length = Length(upAxis);
        if (length < tiny)
        {
            upAxis = Subtract(Vector3{0.0f, 0.0f, 1.0f}, Scale(view, view.z));
            length = Length(upAxis);
        }
    }
    upAxis = Scale(upAxis, 1.0f / length);

    Vector3 right = {upAxis.y * view.z - upAxis.z * view.y, upAxis.z * view.x - upAxis.x * view.z,
                     upAxis.x * view.y - upAxis.y * view.x};

    Matrix4 result = IdentityMatrix();
    result._11 = right.x;
    result._12 = upAxis.x;
    result._13 = view.x;
    result._21 = right.y;
    result._22 = upAxis.y;
    result._23 = view.y;
    result._31 = right.z;
    result._32 = upAxis.z;
    result._33 = view.z;
    result._41 = -Dot3(eye, right);
    result._42 = -Dot3(eye, upAxis);
    result._43 = -Dot3(eye, view);
    return result;
}

Matrix4 ProjectionMatrix(float nearZ, float farZ, float fovX, float fovY)
{
    // The two fields of view are independent: the picture does not follow the screen's aspect.
    float q = farZ / (farZ - nearZ);
    Matrix4 result = ZeroMatrix();
    result._11 = 1.0f / std::tan(fovX / 2.0f);
    result._22 = 1.0f / std::tan(fovY / 2.0f);
    result._33 = q;
    result._34 = 1.0f;
    result._43 = -nearZ * q;
    return result;
}

float Dot3(Vector3 a, Vector3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
