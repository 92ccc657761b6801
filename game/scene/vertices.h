// The two vertex layouts everything is drawn with, and the creation of the static vertex buffers
// that every drawable object keeps.
#pragma once

#include <d3d8.h>

#include "game/view/matrix.h"

// 3-D geometry: position, normal, one texture coordinate; 32 bytes.
struct SceneVertex
{
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
const DWORD SceneVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1; // 0x112

// Pre-transformed overlay vertex: pixel x, y, z, rhw and one texture coordinate; 24 bytes.
struct ScreenVertex
{
    float x, y, z, rhw;
    float u, v;
};
const DWORD ScreenVertexFormat = D3DFVF_XYZRHW | D3DFVF_TEX1; // 0x104

// Creates a vertex buffer of `bytes` bytes with the usage and pool that HardwareVertexProcessing
// selects, and fills it from `data`. Returns null when there is no device or no data, or when
// creating or locking the buffer fails.
IDirect3DVertexBuffer8* CreateStaticBuffer(const void* data, UINT bytes, DWORD fvf);

// Fills 30 vertices with an open box from (left, 0, 0) to (right, 10, depth): the face at z = 0,
// the right end, the face at z = depth, the left end and the top, two triangles each, each face
// mapping its whole texture.
void FillOpenBox(SceneVertex* out, float left, float right, float depth);

// The draw of a scene object kept in one buffer with one texture: world transform, stream 0 with a
// stride of 32, texture stage 0, then `triangles` triangles from vertex 0. Returns null, "Set
// Stream Source Failed." or "Draw Primitive Failed.".
const char* DrawSceneObject(const Matrix4& world, IDirect3DVertexBuffer8* buffer,
                            IDirect3DTexture8* texture, UINT triangles);
