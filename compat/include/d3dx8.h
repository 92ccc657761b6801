// The Direct3D 8 utility subset: textures from bitmap files and meshes from .x files. The
// stand-in in compat/d3dx8 decodes bitmaps with SDL2 and meshes with Assimp.
#pragma once

#include "d3d8.h"

#define D3DX_DEFAULT         ((UINT)-1)
#define D3DX_FILTER_NONE     (1 << 0)
#define D3DX_FILTER_POINT    (2 << 0)
#define D3DX_FILTER_LINEAR   (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX      (5 << 0)

#define D3DXMESH_32BIT          0x001
#define D3DXMESH_SYSTEMMEM      0x110
#define D3DXMESH_MANAGED        0x220

#define D3DXERR_INVALIDMESH     MAKE_D3DHRESULT(2901)
#define D3DXERR_INVALIDDATA     MAKE_D3DHRESULT(2905)

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

struct PALETTEENTRY
{
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
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

struct ID3DXBuffer
{
    ULONG AddRef();
    ULONG Release();
    LPVOID GetBufferPointer();
    DWORD GetBufferSize();

    struct Impl;
    Impl* impl;
};

struct ID3DXMesh
{
    ULONG AddRef();
    ULONG Release();
    // Draws the attribute group `attribId` with the device's current world transform and texture.
    HRESULT DrawSubset(DWORD attribId);
    DWORD GetNumFaces();
    DWORD GetNumVertices();
    DWORD GetFVF();
    HRESULT GetDevice(IDirect3DDevice8** device);

    struct Impl;
    Impl* impl;
};

HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, LPCSTR srcFile, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture8** texture);

HRESULT WINAPI D3DXLoadMeshFromX(LPCSTR filename, DWORD options, IDirect3DDevice8* device,
                                 ID3DXBuffer** adjacency, ID3DXBuffer** materials,
                                 DWORD* numMaterials, ID3DXMesh** mesh);
