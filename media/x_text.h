// A reader of .x files in the text format for platforms without a .x parser of their own (the
// browser): it reads the file's objects as DirectX File would, lays out each Mesh object's data
// and children as the template-shaped blocks of x_data.h, and hands them to the shared
// AppendXMesh, which checks every count and index. Binary and compressed .x files are refused.
#pragma once

#include "mesh_import.h"

#include <cstddef>

namespace d3dx
{

// Objects (frames, meshes, references) nest at most this deep; deeper files are refused.
constexpr int MaxXTextDepth = 64;

// Appends every mesh of a text .x file held in memory (frames' transforms applied, in file
// order). Called by the browser's DecodeXMeshes, its tests and its fuzz target. Returns D3D_OK;
// D3DXERR_INVALIDDATA for a file that is not a well-formed text .x file (or a binary one);
// AppendXMesh's results for a damaged mesh.
HRESULT ReadXText(const void* data, size_t size, MeshGeometry* mesh);

} // namespace d3dx
