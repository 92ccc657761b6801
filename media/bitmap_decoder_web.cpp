// The browser's bitmap decoder: stb_image (Debian's libstb), from memory, to 32-bit ARGB. The
// file's own texel format comes from its header's bit count and masks, as the other platforms'
// decoders report it.
#include "decoders.h"

#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <climits>
#include <cstdint>

namespace d3dx
{

namespace
{
uint32_t Little32(const BYTE* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

// The header's bit count, compression and masks as a Direct3D format; DecodeBitmap has checked
// that the header is there.
D3DFORMAT FileFormat(const BYTE* bytes, size_t size, bool* hasAlpha)
{
    *hasAlpha = false;
    const uint32_t headerSize = Little32(bytes + 14);
    if (headerSize == 12)
        return size >= 26 && bytes[24] <= 8 ? D3DFMT_P8 : D3DFMT_R8G8B8;
    if (size < 34)
        return D3DFMT_UNKNOWN;
    const unsigned bits = unsigned(bytes[28]) | unsigned(bytes[29]) << 8;
    const uint32_t compression = Little32(bytes + 30);
    const bool masks = compression == 3 && size >= 14 + 40 + 12;
    const uint32_t green = masks ? Little32(bytes + 14 + 40 + 4) : 0;
    const uint32_t alpha =
        masks && headerSize >= 56 && size >= 14 + 56 ? Little32(bytes + 14 + 52) : 0;
    switch (bits)
    {
    case 1:
    case 4:
    case 8:
        return D3DFMT_P8;
    case 16:
        *hasAlpha = alpha != 0;
        if (alpha)
            return alpha == 0xF000 ? D3DFMT_A4R4G4B4 : D3DFMT_A1R5G5B5;
        return green == 0x07E0 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
    case 24:
        return D3DFMT_R8G8B8;
    default:
        *hasAlpha = alpha != 0;
        return alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
}
// Whether an uncompressed bitmap's pixel rows are all in the file: stb_image reads a file cut
// short as if its missing rows were there, where the other platforms' decoders refuse it.
// Run-length compressed files end where their codes say and are left to stb_image.
bool PixelRowsPresent(const BYTE* bytes, size_t size)
{
    if (size < 26)
        return false;
    const uint32_t headerSize = Little32(bytes + 14);
    uint64_t width = 0, height = 0, bits = 0;
    if (headerSize == 12)
    {
        width = unsigned(bytes[18]) | unsigned(bytes[19]) << 8;
        height = unsigned(bytes[20]) | unsigned(bytes[21]) << 8;
        bits = unsigned(bytes[24]) | unsigned(bytes[25]) << 8;
    }
    else
    {
        if (size < 34)
            return false;
        const uint32_t compression = Little32(bytes + 30);
        if (compression != 0 && compression != 3)
            return true;
        const int32_t signedWidth = int32_t(Little32(bytes + 18));
        const int32_t signedHeight = int32_t(Little32(bytes + 22));
        width = signedWidth < 0 ? 0 : uint64_t(signedWidth);
        height = signedHeight < 0 ? uint64_t(-int64_t(signedHeight)) : uint64_t(signedHeight);
        bits = unsigned(bytes[28]) | unsigned(bytes[29]) << 8;
    }
    // Every row padded to four bytes but the last, whose padding some writers leave out.
    const uint64_t stride = (width * bits + 31) / 32 * 4;
    const uint64_t rows = height == 0 ? 0 : stride * (height - 1) + (width * bits + 7) / 8;
    const uint64_t offset = Little32(bytes + 10);
    return offset <= size && rows <= size - offset;
}
} // namespace

HRESULT DecodeBitmapTexels(const void* data, size_t size, Image* image, D3DFORMAT* fileFormat)
{
    if (size > size_t(INT_MAX))
        return D3DXERR_INVALIDDATA;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, int(size), &width, &height, &channels) ||
        !ImageSizeAllowed(uint64_t(width), uint64_t(height)) || !PixelRowsPresent(bytes, size))
        return D3DXERR_INVALIDDATA;
    stbi_uc* rgba = stbi_load_from_memory(bytes, int(size), &width, &height, &channels, 4);
    if (!rgba)
        return D3DXERR_INVALIDDATA;
    bool hasAlpha = false;
    *fileFormat = FileFormat(bytes, size, &hasAlpha);
    image->Width = UINT(width);
    image->Height = UINT(height);
    image->HasAlpha = hasAlpha;
    image->Texels.resize(size_t(width) * size_t(height));
    for (size_t i = 0; i < image->Texels.size(); ++i)
    {
        const stbi_uc* t = rgba + i * 4;
        // Without an alpha channel every texel is opaque, whatever the unused bits hold.
        const DWORD a = hasAlpha ? t[3] : 0xFF;
        image->Texels[i] = a << 24 | DWORD(t[0]) << 16 | DWORD(t[1]) << 8 | DWORD(t[2]);
    }
    stbi_image_free(rgba);
    return D3D_OK;
}

} // namespace d3dx
