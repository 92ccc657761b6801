// Fuzz target: a bitmap file from memory through the whole device-free texture pipeline
// (decode, colour key, scaling, mip chain, writing texels at a pitch). The request's arguments
// come from the input's last bytes, so every seed is a plain bitmap file.
#include "media/texture_image.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    d3dx::Image image;
    D3DXIMAGE_INFO info{};
    if (FAILED(d3dx::DecodeBitmap(data, size, &image, &info)))
        return 0;
    if (image.Texels.size() != size_t(image.Width) * image.Height || info.Width != image.Width)
        std::abort();

    const uint8_t* knobs = data + size - 4;
    static const D3DFORMAT formats[] = {D3DFMT_UNKNOWN,  D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,
                                        D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                                        D3DFMT_A4R4G4B4, D3DFMT_R8G8B8,   D3DFMT_P8};
    static const DWORD filters[] = {D3DX_DEFAULT,
                                    D3DX_FILTER_NONE,
                                    D3DX_FILTER_POINT,
                                    D3DX_FILTER_LINEAR,
                                    D3DX_FILTER_TRIANGLE,
                                    D3DX_FILTER_BOX,
                                    0};
    d3dx::TextureRequest request{};
    request.Width = knobs[0] & 0x80 ? (knobs[0] & 0x3F) : 0;
    request.Height = knobs[1] & 0x80 ? (knobs[1] & 0x3F) : D3DX_DEFAULT;
    request.MipLevels = knobs[2] & 0x0F;
    request.Format = formats[(knobs[2] >> 4) % (sizeof formats / sizeof formats[0])];
    request.Filter = filters[knobs[3] % 7];
    request.MipFilter = filters[(knobs[3] >> 3) % 7];
    request.ColorKey = knobs[1] & 0x40 ? 0xFF000000u : 0u;

    std::vector<d3dx::Image> levels;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    if (FAILED(d3dx::BuildTextureLevels(image, request, &levels, &format)))
        return 0;
    UINT bytes = d3dx::TexelBytes(format);
    if (levels.empty() || bytes == 0)
        std::abort();
    for (const d3dx::Image& level : levels)
    {
        if (level.Texels.size() != size_t(level.Width) * level.Height)
            std::abort();
        INT pitch = INT(level.Width * bytes + (knobs[0] & 3) * 4);
        std::vector<BYTE> memory(size_t(pitch) * level.Height);
        d3dx::WriteTexels(level, format, memory.data(), pitch);
    }
    return 0;
}
