// The device-free half of mesh loading: a .x file read by the platform's decoder (decoders.h)
// and turned into the triangle list the mesh object draws (32-byte position/normal/uv vertices),
// in the file's own left-handed coordinates. D3DXLoadMeshFromX and the fuzz target call it.
#pragma once

#include <d3dx8.h>

#include <cstddef>
#include <string>
#include <vector>

namespace d3dx
{

// One vertex as the mesh draws it: flexible vertex format XYZ | NORMAL | TEX1 (0x112).
struct MeshVertex
{
    float Position[3];
    float Normal[3];
    float Tex[2];
};
static_assert(sizeof(MeshVertex) == 32, "mesh vertices are 32 bytes");
constexpr DWORD MeshFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// A run of the triangle list drawn by DrawSubset(AttribId).
struct MeshSubset
{
    DWORD AttribId;
    DWORD FirstVertex;
    DWORD TriangleCount;
};

// What the file says about a subset's surface (the game never reads it).
struct MeshMaterial
{
    D3DMATERIAL8 Material;
    std::string TextureFile; // empty when the subset names no texture
};

// A mesh ready for a vertex buffer: three vertices per triangle, front faces clockwise seen from
// the front, subsets in file order, one material per subset.
struct MeshGeometry
{
    std::vector<MeshVertex> Vertices;
    std::vector<MeshSubset> Subsets;
    std::vector<MeshMaterial> Materials;
};

// More triangles than this are refused rather than loaded (the game's meshes have a few thousand).
constexpr size_t MaxMeshTriangles = 1u << 20;

// Reads a .x file held in memory: subset k is the k-th mesh of the file (each material of a mesh
// with several is a mesh of its own), frames' transforms applied, faces triangulated, normals
// and texture coordinates as stored (smooth normals made where the file has none). Returns
// D3D_OK; D3DXERR_INVALIDDATA when the bytes are not a readable .x file; D3DXERR_INVALIDMESH
// when it holds no triangles or too many.
HRESULT ImportXMesh(const void* data, size_t size, MeshGeometry* mesh);
// Reads a .x file from disk. Called by D3DXLoadMeshFromX. Returns as ImportXMesh; a missing or
// unreadable file is D3DXERR_INVALIDDATA.
HRESULT ReadXMeshFile(const char* path, MeshGeometry* mesh);

// Smooth normals for the triangles from `first` on, which came without any: every corner gets
// the area-weighted sum of the face normals of all triangles meeting at its position, normalised
// (straight up where they cancel). A face's normal points out of its clockwise side, the front in
// the left-handed scene. Called by the decoders. Cannot fail.
void MakeSmoothNormals(MeshGeometry* mesh, size_t first);

// Called by D3DXLoadMeshFromX when adjacency is asked for. Face adjacency: for every triangle, for
// its edges (v0 v1, v1 v2, v2 v0), the index of another triangle with the same edge (same two
// positions), or 0xFFFFFFFF where there is none.
std::vector<DWORD> ComputeAdjacency(const MeshGeometry& mesh);

} // namespace d3dx
