// Direct3D 8 device capabilities: the D3DCAPS8 record and the capability bits the setup tool
// tests, with the platform's values.
#pragma once

#include "d3d8types.h"

struct D3DCAPS8
{
    D3DDEVTYPE DeviceType;
    UINT AdapterOrdinal;
    DWORD Caps;
    DWORD Caps2;
    DWORD Caps3;
    DWORD PresentationIntervals;
    DWORD CursorCaps;
    DWORD DevCaps;
    DWORD PrimitiveMiscCaps;
    DWORD RasterCaps;
    DWORD ZCmpCaps;
    DWORD SrcBlendCaps;
    DWORD DestBlendCaps;
    DWORD AlphaCmpCaps;
    DWORD ShadeCaps;
    DWORD TextureCaps;
    DWORD TextureFilterCaps;
    DWORD CubeTextureFilterCaps;
    DWORD VolumeTextureFilterCaps;
    DWORD TextureAddressCaps;
    DWORD VolumeTextureAddressCaps;
    DWORD LineCaps;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxVolumeExtent;
    DWORD MaxTextureRepeat;
    DWORD MaxTextureAspectRatio;
    DWORD MaxAnisotropy;
    float MaxVertexW;
    float GuardBandLeft;
    float GuardBandTop;
    float GuardBandRight;
    float GuardBandBottom;
    float ExtentsAdjust;
    DWORD StencilCaps;
    DWORD FVFCaps;
    DWORD TextureOpCaps;
    DWORD MaxTextureBlendStages;
    DWORD MaxSimultaneousTextures;
    DWORD VertexProcessingCaps;
    DWORD MaxActiveLights;
    DWORD MaxUserClipPlanes;
    DWORD MaxVertexBlendMatrices;
    DWORD MaxVertexBlendMatrixIndex;
    float MaxPointSize;
    DWORD MaxPrimitiveCount;
    DWORD MaxVertexIndex;
    DWORD MaxStreams;
    DWORD MaxStreamStride;
    DWORD VertexShaderVersion;
    DWORD MaxVertexShaderConst;
    DWORD PixelShaderVersion;
    float MaxPixelShaderValue;
};

// DevCaps
#define D3DDEVCAPS_HWTRANSFORMANDLIGHT 0x00010000L
#define D3DDEVCAPS_HWRASTERIZATION     0x00080000L

// PrimitiveMiscCaps
#define D3DPMISCCAPS_MASKZ    0x00000002L
#define D3DPMISCCAPS_CULLNONE 0x00000010L
#define D3DPMISCCAPS_CULLCW   0x00000020L
#define D3DPMISCCAPS_CULLCCW  0x00000040L

// RasterCaps
#define D3DPRASTERCAPS_DITHER        0x00000001L
#define D3DPRASTERCAPS_ZTEST         0x00000010L
#define D3DPRASTERCAPS_MIPMAPLODBIAS 0x00002000L
#define D3DPRASTERCAPS_ANISOTROPY    0x00020000L
#define D3DPRASTERCAPS_WBUFFER       0x00040000L

// ZCmpCaps and AlphaCmpCaps
#define D3DPCMPCAPS_NEVER        0x00000001L
#define D3DPCMPCAPS_LESS         0x00000002L
#define D3DPCMPCAPS_EQUAL        0x00000004L
#define D3DPCMPCAPS_LESSEQUAL    0x00000008L
#define D3DPCMPCAPS_GREATER      0x00000010L
#define D3DPCMPCAPS_NOTEQUAL     0x00000020L
#define D3DPCMPCAPS_GREATEREQUAL 0x00000040L
#define D3DPCMPCAPS_ALWAYS       0x00000080L

// SrcBlendCaps and DestBlendCaps
#define D3DPBLENDCAPS_ZERO         0x00000001L
#define D3DPBLENDCAPS_ONE          0x00000002L
#define D3DPBLENDCAPS_SRCCOLOR     0x00000004L
#define D3DPBLENDCAPS_INVSRCCOLOR  0x00000008L
#define D3DPBLENDCAPS_SRCALPHA     0x00000010L
#define D3DPBLENDCAPS_INVSRCALPHA  0x00000020L
#define D3DPBLENDCAPS_DESTALPHA    0x00000040L
#define D3DPBLENDCAPS_INVDESTALPHA 0x00000080L
#define D3DPBLENDCAPS_DESTCOLOR    0x00000100L
#define D3DPBLENDCAPS_INVDESTCOLOR 0x00000200L
#define D3DPBLENDCAPS_SRCALPHASAT  0x00000400L

// ShadeCaps
#define D3DPSHADECAPS_COLORGOURAUDRGB 0x00000008L

// TextureCaps
#define D3DPTEXTURECAPS_PERSPECTIVE 0x00000001L
#define D3DPTEXTURECAPS_POW2        0x00000002L
#define D3DPTEXTURECAPS_ALPHA       0x00000004L
#define D3DPTEXTURECAPS_SQUAREONLY  0x00000020L
#define D3DPTEXTURECAPS_MIPMAP      0x00004000L

// TextureFilterCaps
#define D3DPTFILTERCAPS_MINFPOINT       0x00000100L
#define D3DPTFILTERCAPS_MINFLINEAR      0x00000200L
#define D3DPTFILTERCAPS_MINFANISOTROPIC 0x00000400L
#define D3DPTFILTERCAPS_MIPFPOINT       0x00010000L
#define D3DPTFILTERCAPS_MIPFLINEAR      0x00020000L
#define D3DPTFILTERCAPS_MAGFPOINT       0x01000000L
#define D3DPTFILTERCAPS_MAGFLINEAR      0x02000000L
#define D3DPTFILTERCAPS_MAGFANISOTROPIC 0x04000000L

// TextureAddressCaps
#define D3DPTADDRESSCAPS_WRAP   0x00000001L
#define D3DPTADDRESSCAPS_MIRROR 0x00000002L
#define D3DPTADDRESSCAPS_CLAMP  0x00000004L

// TextureOpCaps
#define D3DTEXOPCAPS_DISABLE    0x00000001L
#define D3DTEXOPCAPS_SELECTARG1 0x00000002L
#define D3DTEXOPCAPS_SELECTARG2 0x00000004L
#define D3DTEXOPCAPS_MODULATE   0x00000008L

// VertexProcessingCaps
#define D3DVTXPCAPS_DIRECTIONALLIGHTS 0x00000008L
#define D3DVTXPCAPS_POSITIONALLIGHTS  0x00000010L
