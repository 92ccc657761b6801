// The mesh and buffer objects the utility subset hands out: ID3DXMesh (a vertex buffer of the
// triangle list and its subsets, drawn through the device) and ID3DXBuffer (a block of bytes).
#pragma once

#include "mesh_import.h"

namespace d3dx
{

// Makes a mesh object that owns `vertexBuffer` (already filled with `vertexCount` MeshVertex)
// and holds a reference on `device`. Called by D3DXLoadMeshFromX. Returns null when out of
// memory (the buffer is then left to the caller).
ID3DXMesh* CreateMeshObject(IDirect3DDevice8* device, IDirect3DVertexBuffer8* vertexBuffer,
                            DWORD vertexCount, const std::vector<MeshSubset>& subsets);
// Makes a buffer of `size` zeroed bytes with one reference. Returns null when out of memory.
ID3DXBuffer* CreateBufferObject(DWORD size);

} // namespace d3dx
