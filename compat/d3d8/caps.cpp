// The device capabilities: a D3DCAPS8 filled from what the GL driver and this stand-in really
// do. Anything the fixed-function emulation does not carry out is left out of the bits.
#include "d3d8_internal.h"

#include <cstring>

namespace d3d8
{
namespace
{
// Capability bits the shared header does not name; values as the platform defines them.
constexpr DWORD kPresentIntervalOne = 0x00000001;
constexpr DWORD kPresentIntervalImmediate = 0x80000000;
constexpr DWORD kAddressBorder = 0x00000008;
constexpr DWORD kVertexMaterialSource = 0x00000002;
constexpr DWORD kVertexLocalViewer = 0x00000020;
constexpr DWORD kPrimitiveMiscColorWriteEnable = 0x00000080;
constexpr DWORD kPrimitiveMiscBlendOp = 0x00000800;
constexpr DWORD kShadeAlphaGouraud = 0x00004000;
} // namespace

void FillCaps(const GlProbe& probe, UINT adapter, D3DCAPS8* caps)
{
    std::memset(caps, 0, sizeof *caps);
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->AdapterOrdinal = adapter;
    caps->PresentationIntervals = kPresentIntervalOne | kPresentIntervalImmediate;
    // Transform and lighting run in the GL vertex stage; the rasteriser is hardware only when
    // the driver is not one of Mesa's software ones.
    caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    if (!probe.Software)
        caps->DevCaps |= D3DDEVCAPS_HWRASTERIZATION;
    caps->PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                              D3DPMISCCAPS_CULLCCW | kPrimitiveMiscColorWriteEnable |
                              kPrimitiveMiscBlendOp;
    // W-buffering is emulated as linear depth written by the fragment stage.
    caps->RasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_WBUFFER;
    // WebGL 2's samplers have no level-of-detail bias.
    if (!kGlEs)
        caps->RasterCaps |= D3DPRASTERCAPS_MIPMAPLODBIAS;
    if (probe.Anisotropic)
        caps->RasterCaps |= D3DPRASTERCAPS_ANISOTROPY;
    const DWORD allCompares = D3DPCMPCAPS_NEVER | D3DPCMPCAPS_LESS | D3DPCMPCAPS_EQUAL |
                              D3DPCMPCAPS_LESSEQUAL | D3DPCMPCAPS_GREATER | D3DPCMPCAPS_NOTEQUAL |
                              D3DPCMPCAPS_GREATEREQUAL | D3DPCMPCAPS_ALWAYS;
    caps->ZCmpCaps = allCompares;
    caps->AlphaCmpCaps = allCompares;
    const DWORD blends = D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR |
                         D3DPBLENDCAPS_INVSRCCOLOR | D3DPBLENDCAPS_SRCALPHA |
                         D3DPBLENDCAPS_INVSRCALPHA | D3DPBLENDCAPS_DESTALPHA |
                         D3DPBLENDCAPS_INVDESTALPHA | D3DPBLENDCAPS_DESTCOLOR |
                         D3DPBLENDCAPS_INVDESTCOLOR;
    caps->SrcBlendCaps = blends | D3DPBLENDCAPS_SRCALPHASAT;
    caps->DestBlendCaps = blends;
    caps->ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | kShadeAlphaGouraud;
    // Any texture size up to the limit works; GL needs neither powers of two nor squares.
    caps->TextureCaps =
        D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    caps->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                              D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                              D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    if (probe.Anisotropic)
        caps->TextureFilterCaps |=
            D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    caps->TextureAddressCaps =
        D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP | kAddressBorder;
    caps->MaxTextureWidth = static_cast<DWORD>(probe.MaxTextureSize);
    caps->MaxTextureHeight = static_cast<DWORD>(probe.MaxTextureSize);
    caps->MaxTextureRepeat = 0; // no limit
    caps->MaxTextureAspectRatio = static_cast<DWORD>(probe.MaxTextureSize);
    caps->MaxAnisotropy = probe.Anisotropic ? static_cast<DWORD>(probe.MaxAnisotropy) : 1;
    caps->MaxVertexW = 1.0e10f;
    caps->StencilCaps = 0; // the stencil test is not emulated
    caps->FVFCaps = 1;     // one texture coordinate set is read, by stage 0
    // The colour and alpha operations 1 (DISABLE) to 16 (BLENDCURRENTALPHA): bit op - 1.
    caps->TextureOpCaps = 0xffff;
    caps->MaxTextureBlendStages = 1;
    caps->MaxSimultaneousTextures = 1;
    caps->VertexProcessingCaps = D3DVTXPCAPS_DIRECTIONALLIGHTS | D3DVTXPCAPS_POSITIONALLIGHTS |
                                 kVertexMaterialSource | kVertexLocalViewer;
    caps->MaxActiveLights = kMaxActiveLights;
    caps->MaxUserClipPlanes = 0;
    caps->MaxVertexBlendMatrices = 0;
    caps->MaxVertexBlendMatrixIndex = 0;
    caps->MaxPointSize = 1.0f; // no point size control
    caps->MaxPrimitiveCount = 0xfffff;
    caps->MaxVertexIndex = 0xffffff;
    caps->MaxStreams = 1;
    caps->MaxStreamStride = 2048;
    caps->VertexShaderVersion = 0;
    caps->MaxVertexShaderConst = 0;
    caps->PixelShaderVersion = 0;
    caps->MaxPixelShaderValue = 0.0f;
}
} // namespace d3d8
