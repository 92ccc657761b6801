// The game's own matrix arithmetic: row-major matrices in the D3DMATRIX layout, row vectors,
// left-handed coordinates, and rotations looked up in sine and cosine tables of 18000 entries.
#pragma once

#include <cstdint>
#include <d3d8.h>

typedef D3DMATRIX Matrix4;

struct Vector3
{
    float x, y, z;
};

// An angle of 18000 units to the turn; valid values 0..17999 index the tables directly.
typedef int32_t TableAngle;
const int TableSize = 18000;

// Filled once at start-up by FillSineTable and FillCosineTable, read-only afterwards.
extern float SineTable[TableSize];
extern float CosineTable[TableSize];
void FillSineTable();
void FillCosineTable();

Matrix4 IdentityMatrix();
Matrix4 ZeroMatrix();
// The product b x a: a point transformed by the result gets b first, then a.
Matrix4 MultiplyMatrices(Matrix4 a, Matrix4 b);
Matrix4 TranslationMatrix(float x, float y, float z);
Matrix4 RotationMatrixX(TableAngle angle);
Matrix4 RotationMatrixY(TableAngle angle);
Matrix4 RotationMatrixZ(TableAngle angle);
// A view matrix looking from eye toward target; eye must differ from target.
Matrix4 LookAtMatrix(Vector3 eye, Vector3 target, Vector3 up);
// A perspective matrix with separate horizontal and vertical fields of view (radians).
Matrix4 ProjectionMatrix(float nearZ, float farZ, float fovX, float fovY);
float Dot3(Vector3 a, Vector3 b);
