// The Direct3D 8 utility subset: textures from bitmap files and meshes from .x files, ours on
// every backend (media/). It talks to the device only through the public Direct3D 8 interface;
// bitmaps and .x files are decoded with SDL2 and Assimp on the desktop, with stb_image and our
// text .x reader in the browser, with WIC and DirectX File on Windows.
#pragma once

#include "d3d8.h"

#define D3DX_DEFAULT         ((UINT)-1)
#define D3DX_FILTER_NONE     (1 << 0)
#define D3DX_FILTER_POINT    (2 << 0)
#define D3DX_FILTER_LINEAR   (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX      (5 << 0)

#define D3DXMESH_32BIT     0x001
#define D3DXMESH_SYSTEMMEM 0x110
#define D3DXMESH_MANAGED   0x220

#define D3DXERR_INVALIDMESH MAKE_D3DHRESULT(2901)
#define D3DXERR_INVALIDDATA MAKE_D3DHRESULT(2905)

enum D3DXIMAGE_FILEFORMAT
{
    D3DXIFF_BMP = 0,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
};

struct D3DXIMAGE_INFO
{
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// One entry of the material buffer D3DXLoadMeshFromX fills when asked; the texture name points
// into the same buffer (null when the subset names no texture).
struct D3DXMATERIAL
{
    D3DMATERIAL8 MatD3D;
    LPSTR pTextureFilename;
};

struct ID3DXBuffer;
struct ID3DXMesh;
typedef ID3DXBuffer* LPD3DXBUFFER;
typedef ID3DXMesh* LPD3DXMESH;

// A block of bytes handed out by D3DXLoadMeshFromX (adjacency, materials). Callers read it and
// Release it; nothing here can fail.
struct ID3DXBuffer
{
    ULONG AddRef();
    ULONG Release();
    LPVOID GetBufferPointer();
    DWORD GetBufferSize();

    struct Impl;
    Impl* impl;
};

// A mesh from D3DXLoadMeshFromX: a triangle list of 0x112 vertices (position, normal, uv) in
// one vertex buffer, split into subsets. It holds a reference on its device until released.
struct ID3DXMesh
{
    ULONG AddRef();
    ULONG Release();
    // Draws the attribute group `attribId` with the device's current world transform and texture.
    // Called by the floor and ball draws. Binds stream 0 and vertex shader 0x112 for the draw and
    // puts back what was bound before; while the device's trace records, adds a "DrawSubset"
    // entry (attribute, first vertex, triangles). Returns the device's failure code of the draw;
    // an attribute no face carries draws nothing and returns D3D_OK.
    HRESULT DrawSubset(DWORD attribId);
    DWORD GetNumFaces();
    // The vertices in the mesh's buffer: three per face (the subset keeps no index buffer).
    DWORD GetNumVertices();
    DWORD GetFVF();
    HRESULT GetDevice(IDirect3DDevice8** device);

    struct Impl;
    Impl* impl;
};

// Creates a texture from a bitmap file. Called by LoadTextures. Width, height 0 or D3DX_DEFAULT
// take the file's; MipLevels 0 or D3DX_DEFAULT make the full chain to 1 x 1. Texels equal to
// colorKey (read as 0xAARRGGBB, alpha 0xFF where the file has none) become transparent black
// before conversion to `format`; the mip levels are filtered from level 0 with mipFilter
// (D3DX_DEFAULT: box). D3DFMT_UNKNOWN or a format the subset cannot write becomes A8R8G8B8 or
// X8R8G8B8 (logged). The palette is never filled (no palettised textures). Returns D3D_OK and
// the texture; D3DXERR_INVALIDDATA for a missing, unreadable or damaged file;
// D3DERR_INVALIDCALL for bad arguments; the device's code when it refuses the texture.
HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, LPCSTR srcFile, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture8** texture);

// Loads a .x file as a mesh in the file's own (left-handed) coordinates. Called by Floor::Create
// and Ball::Create. Subset k is the k-th mesh of the file (each material of a multi-material mesh
// its own); D3DXMESH_MANAGED / _SYSTEMMEM place the vertex buffer in that pool. Adjacency (three
// neighbour faces per face, 0xFFFFFFFF for none), materials (D3DXMATERIAL per subset) and their
// count are filled only when asked for. Returns D3D_OK and the mesh; D3DXERR_INVALIDDATA for a
// missing, unreadable or damaged file; D3DXERR_INVALIDMESH when it has no triangles (or over a
// million); D3DERR_INVALIDCALL for bad arguments; the device's code when it refuses the buffer.
HRESULT WINAPI D3DXLoadMeshFromX(LPCSTR filename, DWORD options, IDirect3DDevice8* device,
                                 ID3DXBuffer** adjacency, ID3DXBuffer** materials,
                                 DWORD* numMaterials, ID3DXMesh** mesh);
