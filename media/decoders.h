// The boundary between the media subsystem's shared half and a platform's decoders. The shared
// half checks what it can of a file before a decoder sees it (picture sizes, counts against the
// file's size, face indices) and does everything after decoding; each platform supplies these
// few functions from its own parts: SDL2 and Assimp on the desktop (*_sdl.cpp), stb_image and the
// shared text .x reader in the browser (*_web.cpp), WIC and DirectX File on Windows (*_win32.cpp).
#pragma once

#include "mesh_import.h"
#include "texture_image.h"

namespace d3dx
{

// Decodes a bitmap file held in memory whose header DecodeBitmap has already checked. Fills
// `image` with 0xAARRGGBB texels, rows from the top (alpha 0xFF where the file has no alpha
// channel), and `fileFormat` with the file's own texel format. Called by DecodeBitmap only,
// which checks the decoded size again. Returns D3D_OK, or D3DXERR_INVALIDDATA for anything the
// decoder cannot read.
HRESULT DecodeBitmapTexels(const void* data, size_t size, Image* image, D3DFORMAT* fileFormat);

// Reads a .x file held in memory that ImportXMesh has already checked (signature, and in a
// text file the counts and face indices), appending one subset and material per mesh (per
// material of a mesh with several), in file order, with the frames' transforms applied.
// Called by ImportXMesh only. Returns D3D_OK; D3DXERR_INVALIDDATA when the bytes are not a
// readable .x file; D3DXERR_INVALIDMESH when a mesh is damaged or has too many triangles.
HRESULT DecodeXMeshes(const void* data, size_t size, MeshGeometry* mesh);

// Adds a "DrawSubset" entry to the device's call log where the platform keeps one (the Linux
// stand-in's trace); the real platform has none, and there it does nothing. Called by
// ID3DXMesh::DrawSubset. Cannot fail.
void NoteMeshDraw(IDirect3DDevice8* device, DWORD attribId, DWORD firstVertex, DWORD triangles,
                  const void* mesh, HRESULT result);

} // namespace d3dx
