// The Linux bitmap decoder: SDL2's BMP loader, then SDL's conversion to 32-bit ARGB.
#include "decoders.h"

#include <SDL.h>

#include <cstdint>
#include <cstring>

namespace d3dx
{

namespace
{
D3DFORMAT FileFormat(const SDL_PixelFormat* format)
{
    switch (format->BitsPerPixel)
    {
    case 1:
    case 2:
    case 4:
    case 8:
        return D3DFMT_P8;
    case 15:
    case 16:
        if (format->Amask)
            return format->Amask == 0xF000 ? D3DFMT_A4R4G4B4 : D3DFMT_A1R5G5B5;
        return format->Gmask == 0x07E0 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
    case 24:
        return D3DFMT_R8G8B8;
    default:
        return format->Amask ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
}
} // namespace

HRESULT DecodeBitmapTexels(const void* data, size_t size, Image* image, D3DFORMAT* fileFormat)
{
    if (size > size_t(INT32_MAX))
        return D3DXERR_INVALIDDATA;
    SDL_RWops* stream = SDL_RWFromConstMem(data, int(size));
    if (!stream)
        return D3DXERR_INVALIDDATA;
    SDL_Surface* decoded = SDL_LoadBMP_RW(stream, 1);
    if (!decoded)
        return D3DXERR_INVALIDDATA;
    // Checked again before the conversion allocates a second copy.
    if (!ImageSizeAllowed(uint64_t(decoded->w), uint64_t(decoded->h)))
    {
        SDL_FreeSurface(decoded);
        return D3DXERR_INVALIDDATA;
    }
    *fileFormat = FileFormat(decoded->format);
    bool hasAlpha = decoded->format->Amask != 0;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(decoded);
    if (!argb)
        return D3DXERR_INVALIDDATA;

    image->Width = UINT(argb->w);
    image->Height = UINT(argb->h);
    image->HasAlpha = hasAlpha;
    image->Texels.resize(size_t(image->Width) * image->Height);
    for (UINT y = 0; y < image->Height; ++y)
        std::memcpy(&image->Texels[size_t(y) * image->Width],
                    static_cast<const BYTE*>(argb->pixels) + size_t(y) * size_t(argb->pitch),
                    size_t(image->Width) * 4);
    SDL_FreeSurface(argb);
    return D3D_OK;
}

} // namespace d3dx
