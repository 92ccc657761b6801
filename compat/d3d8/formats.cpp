// The formats the stand-in stores and renders: each Direct3D colour format with its real texel
// size and the GL format that keeps those bits, and each depth format with the GL renderbuffer
// format of the same depth and stencil bits where GL has one.
#include "d3d8_internal.h"

namespace d3d8
{
namespace
{
// The client-memory layouts match Direct3D's little-endian texels: A8R8G8B8 is the bytes B, G,
// R, A; the 16-bit formats are one 16-bit word with alpha or red in the top bits.
const ColorFormat kColorFormats[] = {
    {D3DFMT_A8R8G8B8, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, true, "A8R8G8B8"},
    {D3DFMT_X8R8G8B8, 4, GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, "X8R8G8B8"},
    {D3DFMT_R5G6B5, 2, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, false, "R5G6B5"},
    {D3DFMT_X1R5G5B5, 2, GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, "X1R5G5B5"},
    {D3DFMT_A1R5G5B5, 2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, true, "A1R5G5B5"},
    {D3DFMT_A4R4G4B4, 2, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, true, "A4R4G4B4"},
};

// GL has no combined format with a one-bit or four-bit stencil, so D15S1 and D24X4S4 have none.
const DepthFormat kDepthFormats[] = {
    {D3DFMT_D16_LOCKABLE, GL_DEPTH_COMPONENT16, false, "D16_LOCKABLE"},
    {D3DFMT_D32, GL_DEPTH_COMPONENT32, false, "D32"},
    {D3DFMT_D15S1, 0, true, "D15S1"},
    {D3DFMT_D24S8, GL_DEPTH24_STENCIL8, true, "D24S8"},
    {D3DFMT_D24X8, GL_DEPTH_COMPONENT24, false, "D24X8"},
    {D3DFMT_D24X4S4, 0, true, "D24X4S4"},
    {D3DFMT_D16, GL_DEPTH_COMPONENT16, false, "D16"},
};
} // namespace

const ColorFormat* ColorFormats(UINT* count)
{
    *count = sizeof kColorFormats / sizeof kColorFormats[0];
    return kColorFormats;
}

const DepthFormat* DepthFormats(UINT* count)
{
    *count = sizeof kDepthFormats / sizeof kDepthFormats[0];
    return kDepthFormats;
}

const ColorFormat* FindColorFormat(D3DFORMAT format)
{
    for (const ColorFormat& entry : kColorFormats)
        if (entry.Format == format)
            return &entry;
    return nullptr;
}

const DepthFormat* FindDepthFormat(D3DFORMAT format)
{
    for (const DepthFormat& entry : kDepthFormats)
        if (entry.Format == format)
            return &entry;
    return nullptr;
}

int ColorFormatIndex(D3DFORMAT format)
{
    const ColorFormat* entry = FindColorFormat(format);
    return entry ? static_cast<int>(entry - kColorFormats) : -1;
}

int DepthFormatIndex(D3DFORMAT format)
{
    const DepthFormat* entry = FindDepthFormat(format);
    return entry ? static_cast<int>(entry - kDepthFormats) : -1;
}
} // namespace d3d8
