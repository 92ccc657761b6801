// The media tests' pictures: a 24-bit SDL surface filled from 0xRRGGBB texels, which a test then
// writes as a bitmap file (to disk or to memory).
#pragma once

#include <d3dx8.h>

#include <SDL.h>

#include <vector>

// A w x h 24-bit surface holding `rgb` (0xRRGGBB texels, top row first). The caller frees it.
inline SDL_Surface* RgbSurface(int w, int h, const std::vector<DWORD>& rgb)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_BGR24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
        {
            BYTE* p = static_cast<BYTE*>(s->pixels) + y * s->pitch + 3 * x;
            DWORD c = rgb[size_t(y * w + x)];
            p[0] = BYTE(c), p[1] = BYTE(c >> 8), p[2] = BYTE(c >> 16);
        }
    return s;
}
