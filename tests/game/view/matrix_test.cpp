// Tests of the matrix helpers and the trigonometric tables: table values, the order of a product,
// the sense of the rotations, the look-at fallbacks and the perspective matrix.
#include "game/view/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

class MatrixTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        FillSineTable();
        FillCosineTable();
    }
};

// p x M for the row vector (x, y, z, 1), returning x, y, z after division by w.
Vector3 Transform(Vector3 p, const Matrix4& m)
{
    float v[4] = {p.x, p.y, p.z, 1.0f};
    float out[4] = {};
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k)
            out[j] += v[k] * m.m[k][j];
    return Vector3{out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

void ExpectMatrixNear(const Matrix4& actual, const float (&expected)[16], float tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i / 4][i % 4], expected[i], tolerance) << "element " << i;
}

const float Identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

TEST_F(MatrixTest, TablesHoldSingleRoundedValuesOfTheSingleStep)
{
    EXPECT_EQ(SineTable[0], 0.0f);
    EXPECT_EQ(CosineTable[0], 1.0f);
    EXPECT_EQ(SineTable[4500], 1.0f);
    EXPECT_EQ(CosineTable[9000], -1.0f);
    EXPECT_FLOAT_EQ(SineTable[11500], -0.76604438f);
    EXPECT_FLOAT_EQ(CosineTable[11500], -0.64278769f);
    // The step is pi / 9000 rounded to single precision, not pi / 9000 itself: the tables drift
    // from exact angles by the step's error times the index, which shows near the last entry.
    const double step = static_cast<double>(0.00034906584f);
    EXPECT_EQ(SineTable[17999], static_cast<float>(std::sin(17999 * step)));
    EXPECT_EQ(CosineTable[13333], static_cast<float>(std::cos(13333 * step)));
}

TEST_F(MatrixTest, ProductAppliesSecondArgumentFirst)
{
    // A quarter turn about z maps (1, 0, 0) to (0, -1, 0) with these matrices.
    Vector3 turned = Transform(Vector3{1, 0, 0}, RotationMatrixZ(4500));
    EXPECT_NEAR(turned.x, 0.0f, 1e-6f);
    EXPECT_NEAR(turned.y, -1.0f, 1e-6f);
    EXPECT_NEAR(turned.z, 0.0f, 1e-6f);

    // Rotated first, then moved.
    Matrix4 chain = MultiplyMatrices(TranslationMatrix(1, 2, 3), RotationMatrixZ(4500));
    Vector3 p = Transform(Vector3{1, 0, 0}, chain);
    EXPECT_NEAR(p.x, 1.0f, 1e-6f);
    EXPECT_NEAR(p.y, 1.0f, 1e-6f);
    EXPECT_NEAR(p.z, 3.0f, 1e-6f);
    // The other order moves first and then turns the moved point.
    Vector3 q = Transform(Vector3{1, 0, 0},
                          MultiplyMatrices(RotationMatrixZ(4500), TranslationMatrix(1, 2, 3)));
    EXPECT_NEAR(q.x, 2.0f, 1e-5f);
    EXPECT_NEAR(q.y, -2.0f, 1e-5f);

    // The world matrix of an object is its translation.
    Matrix4 world = MultiplyMatrices(TranslationMatrix(5, 6, 7), IdentityMatrix());
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    ExpectMatrixNear(world, expected, 0.0f);
}

TEST_F(MatrixTest, ProductSumsInOrderFromZero)
{
    // Terms chosen so the order of summation shows in single precision: 1e8 + 1 - 1e8 is 0 when
    // summed left to right in float, 1 in any wider or reordered arithmetic.
    Matrix4 a = ZeroMatrix();
    Matrix4 b = ZeroMatrix();
    b.m[0][0] = 1e8f;
    b.m[0][1] = 1.0f;
    b.m[0][2] = -1e8f;
    a.m[0][0] = a.m[1][0] = a.m[2][0] = 1.0f;
    EXPECT_EQ(MultiplyMatrices(a, b).m[0][0], 0.0f);
}

TEST_F(MatrixTest, RotationsTurnTheWayTheCameraExpects)
{
    ExpectMatrixNear(RotationMatrixX(0), Identity, 0.0f);
    ExpectMatrixNear(RotationMatrixY(0), Identity, 0.0f);
    ExpectMatrixNear(RotationMatrixZ(0), Identity, 0.0f);

    // x: y' = y cos + z sin; y: x' = x cos - z sin.
    Vector3 px = Transform(Vector3{0, 1, 0}, RotationMatrixX(4500));
    EXPECT_NEAR(px.y, 0.0f, 1e-6f);
    EXPECT_NEAR(px.z, -1.0f, 1e-6f);
    Vector3 py = Transform(Vector3{0, 0, 1}, RotationMatrixY(4500));
    EXPECT_NEAR(py.x, -1.0f, 1e-6f);
    EXPECT_NEAR(py.z, 0.0f, 1e-6f);
}

TEST_F(MatrixTest, LookAtBuildsOrthonormalViewsAndFallsBackForParallelUp)
{
    ExpectMatrixNear(LookAtMatrix({0, 0, 0}, {0, 0, 1}, {0, 1, 0}), Identity, 0.0f);

    // The eye goes to the origin and the target onto +z.
    Matrix4 view = LookAtMatrix({320, 400, 500}, {320, 0, 100}, {0, 1, 0});
    Vector3 eye = Transform(Vector3{320, 400, 500}, view);
    EXPECT_NEAR(eye.x, 0.0f, 1e-3f);
    EXPECT_NEAR(eye.y, 0.0f, 1e-3f);
    EXPECT_NEAR(eye.z, 0.0f, 1e-3f);
    Vector3 target = Transform(Vector3{320, 0, 100}, view);
    EXPECT_NEAR(target.x, 0.0f, 1e-3f);
    EXPECT_NEAR(target.y, 0.0f, 1e-3f);
    EXPECT_NEAR(target.z, std::sqrt(2.0f) * 400.0f, 1e-2f);

    // Up along the view: world y is parallel too, so world z is the up axis.
    Matrix4 up = LookAtMatrix({0, 0, 0}, {0, 1, 0}, {0, 1, 0});
    const float expected[16] = {-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    ExpectMatrixNear(up, expected, 1e-6f);
    // Up along the view but world y usable: world y stands in.
    Matrix4 sideways = LookAtMatrix({0, 0, 0}, {1, 0, 0}, {2, 0, 0});
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
        {
            float dot = 0;
            for (int k = 0; k < 3; ++k)
                dot += sideways.m[k][i] * sideways.m[k][j];
            EXPECT_NEAR(dot, i == j ? 1.0f : 0.0f, 1e-6f) << i << "," << j;
        }
    EXPECT_NEAR(sideways._22, 1.0f, 1e-6f);
}

TEST_F(MatrixTest, ProjectionHasSeparateFieldsOfView)
{
    Matrix4 p = ProjectionMatrix(30.0f, 15000.0f, 60 * 0.017453292f, 60 * 0.013962635f);
    const float expected[16] = {1.7320508f, 0, 0,         0, 0, 2.2460368f, 0,           0,
                                0,          0, 1.002004f, 1, 0, 0,          -30.060122f, 0};
    ExpectMatrixNear(p, expected, 2e-6f);
    EXPECT_NEAR(p._43, -30.060122f, 1e-5f);
    // Depth: near maps to 0 and far to 1 after the division by w.
    EXPECT_NEAR(Transform(Vector3{0, 0, 30}, p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(Transform(Vector3{0, 0, 15000}, p).z, 1.0f, 1e-6f);
    EXPECT_EQ(Dot3({1, 2, 3}, {4, -5, 6}), 12.0f);
}

} // namespace
