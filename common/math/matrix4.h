// The 4 x 4 matrix arithmetic every layer shares (the game's view maths, the device's transform
// upload, the mesh readers' frame transforms): 16 floats row by row, row r and column c at
// [4 * r + c], the layout of D3DMATRIX, applied to row vectors.
#pragma once

// out = a x b: a point transformed by out gets a first, then b. Each element is summed from zero
// in the order k = 0..3, so every caller gets the same bits. out may be a or b.
inline void MultiplyMatrix4(const float* a, const float* b, float* out)
{
    float product[16];
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
        {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * row + k] * b[4 * k + column];
            product[4 * row + column] = sum;
        }
    for (int i = 0; i < 16; ++i)
        out[i] = product[i];
}

inline void IdentityMatrix4(float* out)
{
    for (int i = 0; i < 16; ++i)
        out[i] = i % 5 == 0 ? 1.0f : 0.0f;
}

// The identity moved by (x, y, z): the bottom row holds the offset.
inline void TranslationMatrix4(float x, float y, float z, float* out)
{
    IdentityMatrix4(out);
    out[12] = x;
    out[13] = y;
    out[14] = z;
}

// The same for a matrix record laid out as those 16 floats with a member m[4][4] (D3DMATRIX and
// the game's Matrix4), returned by value.
template <typename Matrix> Matrix MakeIdentity()
{
    Matrix result;
    IdentityMatrix4(&result.m[0][0]);
    return result;
}

template <typename Matrix> Matrix MakeTranslation(float x, float y, float z)
{
    Matrix result;
    TranslationMatrix4(x, y, z, &result.m[0][0]);
    return result;
}
