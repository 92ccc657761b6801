// The asset tool's drawing surface: a float RGB picture with coverage masks, anti-aliased shapes,
// deterministic noise and a 24-bit bitmap writer. Everything the textures are painted with.
// Callers: the texture painters (textures.cpp), the mesh builder's noise (meshes.cpp) and the
// tool's main (saving). Only the bitmap writers can fail; they return a message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Colour
{
    float r, g, b;
};

Colour Mix(Colour a, Colour b, float t);
Colour Scale(Colour c, float k);
Colour Add(Colour a, Colour b);
float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float x);

// A coverage mask (0 = outside, 1 = inside) the size of a canvas; shapes are drawn into masks
// and masks are painted onto canvases, so outlines and shadows come from the same shape.
struct Mask
{
    int width = 0;
    int height = 0;
    std::vector<float> cover;

    Mask(int w, int h);
    float At(int x, int y) const;
    void Max(int x, int y, float v);
    // Adds the region where `inside(px, py)` holds within a bounding box, 4x4 supersampled.
    template <typename F> void AddWhere(float x0, float y0, float x1, float y1, F inside);
    // Adds a rectangle (pixel coordinates, edges may be fractional), 4x4 supersampled.
    void AddRect(float x0, float y0, float x1, float y1);
    // Adds a disc, 4x4 supersampled.
    void AddDisc(float cx, float cy, float radius);
    // Adds an ellipse with radii rx across and ry down.
    void AddEllipse(float cx, float cy, float rx, float ry);
    // Adds a thick line segment with round ends.
    void AddLine(float x0, float y0, float x1, float y1, float halfWidth);
    // Adds a rectangle with rounded corners.
    void AddRoundRect(float x0, float y0, float x1, float y1, float radius);
    // A copy grown by `radius` pixels (each pixel takes the largest cover within the disc).
    Mask Dilated(float radius) const;
    // A copy moved by whole pixels.
    Mask Shifted(int dx, int dy) const;
    // Turns soft edges hard: cover >= threshold becomes 1, anything else 0.
    void Harden(float threshold);
};

template <typename F> void Mask::AddWhere(float x0, float y0, float x1, float y1, F inside)
{
    int ix0 = x0 < 0.0f ? 0 : int(x0);
    int iy0 = y0 < 0.0f ? 0 : int(y0);
    int ix1 = int(x1) + 1 < width ? int(x1) + 1 : width - 1;
    int iy1 = int(y1) + 1 < height ? int(y1) + 1 : height - 1;
    for (int y = iy0; y <= iy1; ++y)
        for (int x = ix0; x <= ix1; ++x)
        {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (inside(x + (sx + 0.5f) / 4.0f, y + (sy + 0.5f) / 4.0f))
                        ++hits;
            if (hits)
                Max(x, y, hits / 16.0f);
        }
}

struct Canvas
{
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;

    Canvas(int w, int h, Colour fill);
    Colour At(int x, int y) const;
    // Reads with wrap-around, for tileable pictures.
    Colour AtWrapped(int x, int y) const;
    void Set(int x, int y, Colour c);
    // Blends a colour over a pixel with the given cover.
    void Blend(int x, int y, Colour c, float cover);
    // Paints a mask in one colour, or with a colour chosen per pixel.
    void Paint(const Mask& mask, Colour c);
    template <typename F> void PaintWith(const Mask& mask, F colourAt)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                float cover = mask.At(x, y);
                if (cover > 0.0f)
                    Blend(x, y, colourAt(x, y), cover);
            }
    }
    // Keeps every pixel that is meant to be seen away from exact black, which is the colour key
    // of the title and snow pictures: pixels under `visible` that would quantise to (0, 0, 0)
    // become (1, 1, 1)/255. Pixels outside the mask are set to exact black.
    void SeparateFromKey(const Mask& visible);
    // The picture as 8-bit R, G, B, A bytes, row by row from the top, alpha taken from `alpha`.
    std::vector<uint8_t> RgbaBytes(const Mask& alpha) const;
    // Writes a 24-bit bitmap. Returns null or a message.
    const char* SaveBmp(const std::string& path) const;
    // Writes the picture with 8 bits a texel (SDL's 3-3-2 palette) or 32 (with an alpha channel
    // that fades from left to right): other bitmap flavours, for the fuzz targets' seeds.
    const char* SaveBmpVariant(const std::string& path, int bitsPerTexel) const;
};

// Deterministic value noise in 0..1, periodic with `period` cells on both axes (period <= 0:
// not periodic), so tileable textures come out seamless.
float ValueNoise(float x, float y, int period, uint32_t seed);
// Sum of octaves of ValueNoise, normalised to 0..1.
float FractalNoise(float x, float y, int period, int octaves, uint32_t seed);
// A hash of integers to 0..1, for scattering details.
float Hash01(uint32_t a, uint32_t b, uint32_t seed);
