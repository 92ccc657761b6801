// The data blocks of a .x file's Mesh object as a template-driven reader hands them out (the
// Windows decoder gets them from DirectX File), turned into the triangle list. Every count is
// checked against its block's size and every face index against its vectors before anything is
// read, so a damaged file is refused, never read past. Shared code: the Linux fuzz target runs
// it too.
#pragma once

#include "mesh_import.h"

#include <cstddef>
#include <vector>

namespace d3dx
{

// A block of bytes in the layout of the templates: DWORDs and FLOATs of 4 bytes, arrays inline.
struct XBlock
{
    const void* Data = nullptr; // null: the object is absent
    size_t Size = 0;
};

// One Mesh object and the children the loader uses.
struct XMeshData
{
    XBlock Mesh;         // nVertices, Vector[nVertices], nFaces, MeshFace[nFaces]
    XBlock Normals;      // MeshNormals: nNormals, Vector[nNormals], nFaceNormals, MeshFace[...]
    XBlock TexCoords;    // MeshTextureCoords: nTextureCoords, Coords2d[nTextureCoords]
    XBlock MaterialList; // MeshMaterialList: nMaterials, nFaceIndexes, DWORD[nFaceIndexes]
    std::vector<MeshMaterial> Materials; // the list's Material children in order
};

// Reads a Material object's block (ColorRGBA faceColor, FLOAT power, ColorRGB specular,
// ColorRGB emissive) into a material, ambient equal to diffuse. Called by the Windows decoder
// and the fuzz target. Returns false when the block is too short.
bool ReadXMaterial(XBlock block, MeshMaterial* material);

// Appends one mesh under a frame transform (16 floats, row vectors, as FrameTransformMatrix
// holds it): polygons as fans from their first corner in file order, normals through the normal
// faces (normalised; smooth normals made where the mesh has none), one subset per material that
// faces use, in material order (one subset with a white material without a list). Called by the
// Windows decoder and the fuzz target. Returns D3D_OK; D3DXERR_INVALIDDATA for a block shorter
// than its counts, a face index past its vectors, normal faces that do not match the faces,
// texture coordinates not one per vertex, or a material index past the list; D3DXERR_INVALIDMESH
// for more than MaxMeshTriangles triangles.
HRESULT AppendXMesh(const XMeshData& data, const float transform[16], MeshGeometry* mesh);

} // namespace d3dx
