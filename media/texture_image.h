// The device-free half of texture loading: bitmap decoding (the platform's decoder behind the
// shared size checks), colour keying, scaling, the mip chain and the conversion of 32-bit ARGB
// texels into the Direct3D texture formats. The
// loader in texture_loader.cpp feeds the result into a device texture; tests and the fuzz target
// call these directly.
#pragma once

#include <d3dx8.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace d3dx
{

// A picture in memory: 32-bit 0xAARRGGBB texels, rows from the top.
struct Image
{
    UINT Width = 0;
    UINT Height = 0;
    std::vector<DWORD> Texels;
    bool HasAlpha = false; // the file carried an alpha channel
};

// The largest picture the subset decodes or builds, per side and in texels. Larger headers are
// refused before anything is allocated.
constexpr UINT MaxImageSide = 8192;
constexpr UINT MaxImageTexels = 16u * 1024u * 1024u;
// True when a picture of width x height is at least 1 x 1 and within both limits. Called by the
// decoders and the scaler.
bool ImageSizeAllowed(uint64_t width, uint64_t height);

// Decodes a bitmap file image held in memory. Called by ReadBitmapFile and the fuzz target.
// Returns D3D_OK and fills `image` (texels without an alpha channel read as alpha 0xFF) and, when
// given, `info`; D3DXERR_INVALIDDATA for anything that is not a readable bitmap of allowed size.
HRESULT DecodeBitmap(const void* data, size_t size, Image* image, D3DXIMAGE_INFO* info);
// Reads and decodes a bitmap file. Called by D3DXCreateTextureFromFileExA. Returns as
// DecodeBitmap; a missing or unreadable file is D3DXERR_INVALIDDATA too.
HRESULT ReadBitmapFile(const char* path, Image* image, D3DXIMAGE_INFO* info);

// Turns every texel exactly equal to `key` (0xAARRGGBB) into transparent black; key 0 means no
// key. Called by BuildTextureLevels on the decoded picture before anything else changes it.
void ApplyColorKey(Image* image, D3DCOLOR key);

// Called by ResizeImage and its tests. True when `filter` names a filter the subset knows
// (D3DX_DEFAULT, or NONE to BOX, optionally with the mirror and dither flags, which are accepted
// and ignored).
bool IsKnownFilter(DWORD filter);
// Called by BuildTextureLevels. Scales a picture to width x height with a D3DX_FILTER_* value: NONE
// copies the overlapping part and leaves the rest transparent black, POINT takes the nearest texel
// (ties to the top-left), LINEAR blends bilinearly, TRIANGLE and BOX average the covered area
// (TRIANGLE blends bilinearly where it enlarges), D3DX_DEFAULT is TRIANGLE. Returns D3D_OK, or
// D3DERR_INVALIDCALL for an unknown filter or a size outside 1..MaxImageSide.
HRESULT ResizeImage(const Image& source, UINT width, UINT height, DWORD filter, Image* result);
// Called by BuildTextureLevels. Builds the next smaller mip level (each side halved, at least 1)
// with a mip filter, where D3DX_DEFAULT means BOX. Returns as ResizeImage.
HRESULT NextMipLevel(const Image& source, DWORD mipFilter, Image* result);

// Called by the loader and WriteTexels: bytes per texel of a format the subset can write, or 0
// when it cannot write it.
UINT TexelBytes(D3DFORMAT format);
// Called by BuildTextureLevels. The format a texture is made in: D3DFMT_UNKNOWN takes A8R8G8B8 when
// the picture is keyed or has alpha and X8R8G8B8 otherwise; a format the subset cannot write
// falls back the same way.
D3DFORMAT ChooseFormat(D3DFORMAT requested, bool needsAlpha);
// Called by WriteTexels. Converts one 0xAARRGGBB texel to a format's bit pattern, rounding each
// channel to the nearest step; bits the format leaves unused ("X") are written as ones.
DWORD PackTexel(DWORD argb, D3DFORMAT format);
// Reads a format's bit pattern back as 0xAARRGGBB (channels widened by bit replication; formats
// without alpha read as opaque). For tests and readback.
DWORD UnpackTexel(DWORD bits, D3DFORMAT format);
// Called by the loader with a locked level: writes a picture in `format`, row by row at `pitch`
// bytes (a format TexelBytes says 0 for writes nothing). Cannot fail.
void WriteTexels(const Image& image, D3DFORMAT format, BYTE* bits, INT pitch);

// What a texture request asks for, after the caller's arguments are read.
struct TextureRequest
{
    UINT Width;     // 0 or D3DX_DEFAULT: the picture's width
    UINT Height;    // 0 or D3DX_DEFAULT: the picture's height
    UINT MipLevels; // 0 or D3DX_DEFAULT: the full chain; otherwise at most the full chain
    D3DFORMAT Format;
    DWORD Filter;
    DWORD MipFilter;
    D3DCOLOR ColorKey;
};

// The whole device-free pipeline: key the decoded picture, scale it to the requested size, and
// build the mip chain. Called by D3DXCreateTextureFromFileExA and the fuzz target. Returns D3D_OK
// with `levels` (level 0 first) and `format` filled, or D3DERR_INVALIDCALL for a bad filter or
// size.
HRESULT BuildTextureLevels(Image decoded, const TextureRequest& request, std::vector<Image>* levels,
                           D3DFORMAT* format);

} // namespace d3dx
