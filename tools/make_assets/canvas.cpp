// The asset tool's drawing surface: masks, shapes, noise and the bitmap writer.
#include "canvas.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

Colour Mix(Colour a, Colour b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(Colour c, float k)
{
    return {c.r * k, c.g * k, c.b * k};
}

Colour Add(Colour a, Colour b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

float Clamp01(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float SmoothStep(float edge0, float edge1, float x)
{
    float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

// ---- Mask ----

Mask::Mask(int w, int h) : width(w), height(h), cover(size_t(w) * size_t(h), 0.0f) {}

float Mask::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0.0f;
    return cover[size_t(y) * size_t(width) + size_t(x)];
}

void Mask::Max(int x, int y, float v)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    float& c = cover[size_t(y) * size_t(width) + size_t(x)];
    c = std::max(c, v);
}

void Mask::AddRect(float x0, float y0, float x1, float y1)
{
    AddWhere(x0, y0, x1, y1,
             [&](float px, float py) { return px >= x0 && px < x1 && py >= y0 && py < y1; });
}

void Mask::AddDisc(float cx, float cy, float radius)
{
    AddWhere(cx - radius, cy - radius, cx + radius, cy + radius,
             [&](float px, float py)
             { return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= radius * radius; });
}

void Mask::AddEllipse(float cx, float cy, float rx, float ry)
{
    AddWhere(cx - rx, cy - ry, cx + rx, cy + ry,
             [&](float px, float py)
             {
                 float qx = (px - cx) / rx, qy = (py - cy) / ry;
                 return qx * qx + qy * qy <= 1.0f;
             });
}

void Mask::AddLine(float x0, float y0, float x1, float y1, float halfWidth)
{
    float dx = x1 - x0, dy = y1 - y0;
    float len2 = dx * dx + dy * dy;
    AddWhere(std::min(x0, x1) - halfWidth, std::min(y0, y1) - halfWidth,
             std::max(x0, x1) + halfWidth, std::max(y0, y1) + halfWidth,
             [&](float px, float py)
             {
                 float t = len2 > 0.0f ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0f;
                 t = Clamp01(t);
                 float qx = x0 + dx * t - px, qy = y0 + dy * t - py;
                 return qx * qx + qy * qy <= halfWidth * halfWidth;
             });
}

void Mask::AddRoundRect(float x0, float y0, float x1, float y1, float radius)
{
    AddWhere(x0, y0, x1, y1,
             [&](float px, float py)
             {
                 if (px < x0 || px >= x1 || py < y0 || py >= y1)
                     return false;
                 float qx = std::clamp(px, x0 + radius, x1 - radius);
                 float qy = std::clamp(py, y0 + radius, y1 - radius);
                 return (px - qx) * (px - qx) + (py - qy) * (py - qy) <= radius * radius;
             });
}

Mask Mask::Dilated(float radius) const
{
    Mask out(width, height);
    int r = int(std::ceil(radius));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            float best = 0.0f;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx)
                {
                    float d = std::sqrt(float(dx * dx + dy * dy));
                    if (d > radius + 0.5f)
                        continue;
                    // Soften the rim of the grown shape by how far past the radius it lies.
                    float weight = Clamp01(radius + 0.5f - d);
                    best = std::max(best, At(x + dx, y + dy) * weight);
                }
            out.cover[size_t(y) * size_t(width) + size_t(x)] = best;
        }
    return out;
}

Mask Mask::Shifted(int dx, int dy) const
{
    Mask out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.cover[size_t(y) * size_t(width) + size_t(x)] = At(x - dx, y - dy);
    return out;
}

void Mask::Harden(float threshold)
{
    for (float& c : cover)
        c = c >= threshold ? 1.0f : 0.0f;
}

// ---- Canvas ----

Canvas::Canvas(int w, int h, Colour fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill)
{
}

Colour Canvas::At(int x, int y) const
{
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    return pixels[size_t(y) * size_t(width) + size_t(x)];
}

Colour Canvas::AtWrapped(int x, int y) const
{
    x = ((x % width) + width) % width;
    y = ((y % height) + height) % height;
    return pixels[size_t(y) * size_t(width) + size_t(x)];
}

void Canvas::Set(int x, int y, Colour c)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    pixels[size_t(y) * size_t(width) + size_t(x)] = c;
}

void Canvas::Blend(int x, int y, Colour c, float cover)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    Colour& p = pixels[size_t(y) * size_t(width) + size_t(x)];
    p = Mix(p, c, Clamp01(cover));
}

void Canvas::Paint(const Mask& mask, Colour c)
{
    PaintWith(mask, [&](int, int) { return c; });
}

namespace
{
uint8_t Quantise(float v)
{
    return uint8_t(std::lround(Clamp01(v) * 255.0f));
}
} // namespace

void Canvas::SeparateFromKey(const Mask& visible)
{
    const float least = 1.0f / 255.0f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            Colour& p = pixels[size_t(y) * size_t(width) + size_t(x)];
            if (visible.At(x, y) <= 0.0f)
                p = {0.0f, 0.0f, 0.0f};
            else if (Quantise(p.r) == 0 && Quantise(p.g) == 0 && Quantise(p.b) == 0)
                p = {least, least, least};
        }
}

std::vector<uint8_t> Canvas::RgbaBytes(const Mask& alpha) const
{
    std::vector<uint8_t> bytes;
    bytes.reserve(pixels.size() * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            Colour c = pixels[size_t(y) * size_t(width) + size_t(x)];
            bytes.push_back(Quantise(c.r));
            bytes.push_back(Quantise(c.g));
            bytes.push_back(Quantise(c.b));
            bytes.push_back(Quantise(alpha.At(x, y)));
        }
    return bytes;
}

const char* Canvas::SaveBmp(const std::string& path) const
{
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_BGR24);
    if (!surface)
        return "cannot create a surface";
    auto* bytes = static_cast<uint8_t*>(surface->pixels);
    for (int y = 0; y < height; ++y)
    {
        uint8_t* row = bytes + size_t(y) * size_t(surface->pitch);
        for (int x = 0; x < width; ++x)
        {
            Colour c = pixels[size_t(y) * size_t(width) + size_t(x)];
            row[3 * x + 0] = Quantise(c.b);
            row[3 * x + 1] = Quantise(c.g);
            row[3 * x + 2] = Quantise(c.r);
        }
    }
    int result = SDL_SaveBMP(surface, path.c_str());
    SDL_FreeSurface(surface);
    return result == 0 ? nullptr : "cannot write the bitmap";
}

const char* Canvas::SaveBmpVariant(const std::string& path, int bitsPerTexel) const
{
    SDL_Surface* argb =
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!argb)
        return "cannot create a surface";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            Colour c = pixels[size_t(y) * size_t(width) + size_t(x)];
            uint32_t alpha = uint32_t(255 * (x + 1) / width);
            static_cast<uint32_t*>(argb->pixels)[y * argb->pitch / 4 + x] =
                alpha << 24 | uint32_t(Quantise(c.r)) << 16 | uint32_t(Quantise(c.g)) << 8 |
                Quantise(c.b);
        }
    SDL_Surface* saved = argb;
    if (bitsPerTexel == 8)
        saved = SDL_ConvertSurfaceFormat(argb, SDL_PIXELFORMAT_INDEX8, 0);
    int result = saved ? SDL_SaveBMP(saved, path.c_str()) : -1;
    if (saved && saved != argb)
        SDL_FreeSurface(saved);
    SDL_FreeSurface(argb);
    return result == 0 ? nullptr : "cannot write the bitmap";
}

// ---- Noise ----

namespace
{
uint32_t HashBits(uint32_t a, uint32_t b, uint32_t seed)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}
} // namespace

float Hash01(uint32_t a, uint32_t b, uint32_t seed)
{
    return float(HashBits(a, b, seed) >> 8) / float(1u << 24);
}

float ValueNoise(float x, float y, int period, uint32_t seed)
{
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    auto lattice = [&](int cx, int cy)
    {
        if (period > 0)
        {
            cx = ((cx % period) + period) % period;
            cy = ((cy % period) + period) % period;
        }
        return Hash01(uint32_t(cx), uint32_t(cy), seed);
    };
    float a = lattice(ix, iy), b = lattice(ix + 1, iy);
    float c = lattice(ix, iy + 1), d = lattice(ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float FractalNoise(float x, float y, int period, int octaves, uint32_t seed)
{
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int i = 0; i < octaves; ++i)
    {
        sum += ValueNoise(x, y, period, seed + uint32_t(i) * 101u) * amplitude;
        total += amplitude;
        amplitude *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        if (period > 0)
            period *= 2;
    }
    return sum / total;
}
