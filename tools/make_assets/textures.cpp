// Paints the game's twenty pictures. Sizes are powers of two. The overlay pictures are drawn
// pre-squashed where the screen stretches them (a DIGITS or CAMERAS texel is wider on screen than
// it is tall), so their lettering looks square when shown. TITLE and SNOW are cut out by the
// colour key exact black: their background is (0, 0, 0) and nothing meant to show is.
#include "textures.h"

#include "pixel_font.h"

#include <cmath>
#include <cstdio>

namespace
{
const float Pi = 3.14159265f;

struct Stop
{
    float at;
    Colour colour;
};

// A colour ramp through stops sorted by `at`.
template <size_t N> Colour Ramp(const Stop (&stops)[N], float t)
{
    if (t <= stops[0].at)
        return stops[0].colour;
    for (size_t i = 1; i < N; ++i)
        if (t <= stops[i].at)
            return Mix(stops[i - 1].colour, stops[i].colour,
                       (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    return stops[N - 1].colour;
}

struct Vec3
{
    float x, y, z;
};

Vec3 Normalised(Vec3 v)
{
    float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / len, v.y / len, v.z / len};
}

float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Shades a picture-plane disc as a lit sphere: light from the upper left, in front.
Colour ShadeSphere(Colour base, float nx, float ny, float shininess, float gloss)
{
    float nz = std::sqrt(std::fmax(0.0f, 1.0f - nx * nx - ny * ny));
    Vec3 n{nx, ny, nz};
    Vec3 light = Normalised({-0.45f, -0.6f, 0.66f});
    Vec3 half = Normalised({light.x, light.y, light.z + 1.0f});
    float diffuse = std::fmax(0.0f, Dot(n, light));
    float specular = std::pow(std::fmax(0.0f, Dot(n, half)), shininess) * gloss;
    Colour c = Scale(base, 0.35f + 0.75f * diffuse);
    return Add(c, {specular, specular, specular});
}

void PaintSphere(Canvas& canvas, float cx, float cy, float radius, Colour base, float shininess,
                 float gloss)
{
    Mask disc(canvas.width, canvas.height);
    disc.AddDisc(cx, cy, radius);
    canvas.PaintWith(disc,
                     [&](int x, int y)
                     {
                         float nx = (x + 0.5f - cx) / radius, ny = (y + 0.5f - cy) / radius;
                         return ShadeSphere(base, nx, ny, shininess, gloss);
                     });
}

// A raised bevel inside the rectangle: edges facing up and left catch the light, edges facing
// down and right fall into shade. `depth` < 0 sinks the rectangle instead.
void PaintBevel(Canvas& canvas, float x0, float y0, float x1, float y1, float width, float depth)
{
    for (int y = int(y0); y < int(std::ceil(y1)); ++y)
        for (int x = int(x0); x < int(std::ceil(x1)); ++x)
        {
            float px = x + 0.5f, py = y + 0.5f;
            float dl = px - x0, dr = x1 - px, dt = py - y0, db = y1 - py;
            float d = std::fmin(std::fmin(dl, dr), std::fmin(dt, db));
            if (d < 0.0f || d >= width)
                continue;
            bool lit = (dt == d || dl == d) && !(db == d || dr == d);
            float strength = (1.0f - d / width) * 0.5f + 0.5f;
            Colour p = canvas.At(x, y);
            if (lit == (depth > 0.0f))
                canvas.Set(x, y, Mix(p, {1.0f, 1.0f, 1.0f}, 0.45f * strength * std::fabs(depth)));
            else
                canvas.Set(x, y, Scale(p, 1.0f - 0.5f * strength * std::fabs(depth)));
        }
}

void PaintFrame(Canvas& canvas, Colour c, int thickness)
{
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            if (x < thickness || y < thickness || x >= canvas.width - thickness ||
                y >= canvas.height - thickness)
                canvas.Set(x, y, c);
}

// The title's "ZENDRILL" ink, also the icon's letter: pale gold at the top to red at the foot.
const Stop WarmInk[] = {
    {0.0f, {1.0f, 0.97f, 0.55f}}, {0.45f, {1.0f, 0.62f, 0.12f}}, {1.0f, {0.85f, 0.12f, 0.10f}}};

// ---- Overlay pictures ----

Canvas PaintPaused()
{
    // Shown 64 x 24 pixels at 640 x 480: a texel is 0.5 pixels wide and 0.375 high.
    Canvas canvas(128, 64, {0.0f, 0.0f, 0.0f});
    Mask panel(128, 64);
    panel.AddRoundRect(1.0f, 1.0f, 127.0f, 63.0f, 10.0f);
    Mask inner(128, 64);
    inner.AddRoundRect(4.0f, 5.0f, 124.0f, 59.0f, 8.0f);
    canvas.Paint(panel, {0.95f, 0.75f, 0.25f});
    const Stop back[] = {{0.0f, {0.10f, 0.14f, 0.38f}}, {1.0f, {0.03f, 0.04f, 0.14f}}};
    canvas.PaintWith(inner, [&](int, int y) { return Ramp(back, y / 63.0f); });

    const char* word = "PAUSED";
    float cellW = 3.2f, cellH = 4.3f;
    float x = (128.0f - TextWidth(word, cellW)) / 2.0f;
    float y = (64.0f - GlyphRows * cellH) / 2.0f;
    Mask text(128, 64);
    AddText(text, word, x, y, cellW, cellH);
    canvas.Paint(text.Dilated(1.5f).Shifted(1, 1), {0.02f, 0.02f, 0.08f});
    const Stop ink[] = {{0.0f, {1.0f, 1.0f, 1.0f}}, {1.0f, {0.55f, 0.8f, 1.0f}}};
    canvas.PaintWith(text, [&](int, int py) { return Ramp(ink, (py - y) / (GlyphRows * cellH)); });
    return canvas;
}

Canvas PaintLife()
{
    // A spare ball, pearl like the ball in play.
    Canvas canvas(32, 32, {0.0f, 0.0f, 0.0f});
    PaintSphere(canvas, 16.0f, 16.0f, 13.0f, {0.80f, 0.86f, 1.0f}, 30.0f, 0.8f);
    return canvas;
}

// One camera-indicator cell: a camera icon and the rig's number. A cell is 64 x 32 texels shown
// 32 x 12 pixels, so shapes are drawn twice as wide and 2.67 times as tall as they should look.
void PaintCameraCell(Canvas& canvas, int index)
{
    float left = index * 64.0f;
    Mask panel(canvas.width, canvas.height);
    panel.AddRoundRect(left + 1.0f, 1.0f, left + 63.0f, 31.0f, 6.0f);
    Mask inner(canvas.width, canvas.height);
    inner.AddRoundRect(left + 3.0f, 3.0f, left + 61.0f, 29.0f, 5.0f);
    canvas.Paint(panel, {0.45f, 0.55f, 0.75f});
    const Stop back[] = {{0.0f, {0.10f, 0.13f, 0.24f}}, {1.0f, {0.03f, 0.04f, 0.09f}}};
    canvas.PaintWith(inner, [&](int, int y) { return Ramp(back, y / 31.0f); });

    // A film camera seen from the side: two reels on a box body, the lens hood widening to the
    // right. Drawn in screen pixels (x * 2, y * 2.67 texels).
    const float sx = 2.0f, sy = 32.0f / 12.0f;
    Mask body(canvas.width, canvas.height);
    body.AddRoundRect(left + 3.0f * sx, 4.6f * sy, left + 15.0f * sx, 10.6f * sy, 2.0f);
    body.AddWhere(left + 15.0f * sx, 4.5f * sy, left + 20.0f * sx, 10.7f * sy,
                  [&](float px, float py)
                  {
                      float t = (px - left - 15.0f * sx) / (5.0f * sx); // 0 at the body
                      float half = (1.0f + 2.0f * t) * sy;
                      return std::fabs(py - 7.6f * sy) <= half;
                  });
    canvas.Paint(body, {0.80f, 0.84f, 0.90f});
    Mask reels(canvas.width, canvas.height);
    reels.AddEllipse(left + 6.0f * sx, 2.5f * sy, 2.1f * sx, 2.1f * sy);
    reels.AddEllipse(left + 11.5f * sx, 2.5f * sy, 2.1f * sx, 2.1f * sy);
    canvas.Paint(reels, {0.55f, 0.62f, 0.75f});
    Mask hubs(canvas.width, canvas.height);
    hubs.AddEllipse(left + 6.0f * sx, 2.5f * sy, 0.7f * sx, 0.7f * sy);
    hubs.AddEllipse(left + 11.5f * sx, 2.5f * sy, 0.7f * sx, 0.7f * sy);
    canvas.Paint(hubs, {0.12f, 0.15f, 0.25f});

    char digit[2] = {char('1' + index), 0};
    float cellW = 2.4f, cellH = 3.3f;
    float y = (32.0f - GlyphRows * cellH) / 2.0f;
    Mask text(canvas.width, canvas.height);
    AddText(text, digit, left + 44.0f, y, cellW, cellH);
    const Stop ink[] = {{0.0f, {1.0f, 1.0f, 0.75f}}, {1.0f, {1.0f, 0.72f, 0.2f}}};
    canvas.PaintWith(text, [&](int, int py) { return Ramp(ink, (py - y) / (GlyphRows * cellH)); });
}

Canvas PaintCameras()
{
    Canvas canvas(256, 32, {0.0f, 0.0f, 0.0f});
    for (int i = 0; i < 4; ++i)
        PaintCameraCell(canvas, i);
    return canvas;
}

Canvas PaintDigits()
{
    // Ten cells of 25.6 texels, shown 12.8 x 12 pixels at 640 x 480; glyphs stay clear of the
    // cell edges so filtering never pulls a neighbour's ink in.
    Canvas canvas(256, 32, {0.03f, 0.03f, 0.10f});
    float cellW = 3.2f, cellH = 3.6f;
    float y = (32.0f - GlyphRows * cellH) / 2.0f;
    Mask text(256, 32);
    for (int d = 0; d < 10; ++d)
    {
        char digit[2] = {char('0' + d), 0};
        AddText(text, digit, d * 25.6f + (25.6f - GlyphColumns * cellW) / 2.0f, y, cellW, cellH);
    }
    canvas.Paint(text.Shifted(1, 1), {0.0f, 0.0f, 0.0f});
    const Stop ink[] = {{0.0f, {1.0f, 1.0f, 0.9f}}, {1.0f, {1.0f, 0.75f, 0.2f}}};
    canvas.PaintWith(text, [&](int, int py) { return Ramp(ink, (py - y) / (GlyphRows * cellH)); });
    return canvas;
}

Canvas PaintTitle()
{
    // Shown 480 x 85 pixels at 640 x 480, so letters are drawn narrower than tall. Each letter
    // cell is a small bevelled brick.
    Canvas canvas(512, 128, {0.0f, 0.0f, 0.0f});
    const char* first = "3D";
    const char* second = "ZENDRILL";
    float cellW = 7.4f, cellH = 12.0f;
    float width = TextWidth("3D ZENDRILL", cellW);
    float x = std::floor((512.0f - width) / 2.0f);
    float y = std::floor((128.0f - GlyphRows * cellH) / 2.0f) - 2.0f;
    float secondX = x + 3 * GlyphAdvance * cellW;

    Mask text(512, 128);
    AddText(text, first, x, y, cellW, cellH);
    AddText(text, second, secondX, y, cellW, cellH);
    Mask outline = text.Dilated(3.5f);
    Mask shadow = outline.Shifted(5, 5);
    canvas.Paint(shadow, {0.10f, 0.05f, 0.16f});
    canvas.Paint(outline, {0.05f, 0.06f, 0.28f});

    const Stop(&warm)[3] = WarmInk;
    const Stop cool[] = {
        {0.0f, {0.75f, 1.0f, 1.0f}}, {0.5f, {0.2f, 0.8f, 1.0f}}, {1.0f, {0.10f, 0.35f, 0.95f}}};
    auto tiles = [&](const char* word, float left, const Stop(&ramp)[3])
    {
        ForEachTextCell(word, left, y, cellW, cellH,
                        [&](float x0, float y0, float x1, float y1)
                        {
                            Mask cell(512, 128);
                            cell.AddRect(x0, y0, x1, y1);
                            canvas.PaintWith(cell,
                                             [&](int, int py)
                                             {
                                                 float t = (py + 0.5f - y) / (GlyphRows * cellH);
                                                 return Ramp(ramp, t);
                                             });
                            PaintBevel(canvas, x0, y0, x1, y1, 2.0f, 0.8f);
                        });
    };
    tiles(first, x, cool);
    tiles(second, secondX, warm);

    Mask visible = shadow;
    for (size_t i = 0; i < visible.cover.size(); ++i)
        visible.cover[i] = std::fmax(visible.cover[i], outline.cover[i]);
    canvas.SeparateFromKey(visible);
    return canvas;
}

Canvas PaintSnow()
{
    // A flake drawn on a triangle that shows only the part above the diagonal from the top-left
    // to the bottom-right corner (u >= v), so the flake sits in that half. One arm reaches the
    // texel that point sampling keeps for the 2 x 2 level, so distant flakes do not vanish.
    Canvas canvas(32, 32, {0.0f, 0.0f, 0.0f});
    const float cx = 21.0f, cy = 11.0f;
    float toward = std::atan2(0.5f - cy, 16.5f - cx);
    Mask flake(32, 32);
    flake.AddDisc(cx, cy, 4.0f);
    for (int arm = 0; arm < 6; ++arm)
    {
        float a = toward + arm * Pi / 3.0f;
        float ex = cx + std::cos(a) * 11.2f, ey = cy + std::sin(a) * 11.2f;
        flake.AddLine(cx, cy, ex, ey, 1.25f);
        float bx = cx + std::cos(a) * 6.5f, by = cy + std::sin(a) * 6.5f;
        for (int side = -1; side <= 1; side += 2)
        {
            float b = a + side * Pi / 4.0f;
            flake.AddLine(bx, by, bx + std::cos(b) * 3.5f, by + std::sin(b) * 3.5f, 1.0f);
        }
    }
    // Hard edges: the snow is drawn with alpha testing, so a soft rim would show as a grey halo.
    flake.Harden(0.45f);
    canvas.PaintWith(flake,
                     [&](int x, int y)
                     {
                         float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / 11.0f;
                         return Mix({1.0f, 1.0f, 1.0f}, {0.72f, 0.82f, 1.0f}, Clamp01(d));
                     });
    canvas.SeparateFromKey(flake);
    return canvas;
}

// ---- Scene objects ----

Canvas PaintBat()
{
    // A chrome paddle with a glowing red stripe; the whole picture covers each bat face.
    Canvas canvas(128, 32, {0.0f, 0.0f, 0.0f});
    const Stop chrome[] = {{0.0f, {0.35f, 0.38f, 0.45f}},  {0.18f, {0.95f, 0.97f, 1.0f}},
                           {0.40f, {0.55f, 0.60f, 0.70f}}, {0.62f, {0.30f, 0.33f, 0.40f}},
                           {0.85f, {0.75f, 0.80f, 0.88f}}, {1.0f, {0.30f, 0.32f, 0.38f}}};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 128; ++x)
        {
            float streak = 0.94f + 0.06f * ValueNoise(x / 9.0f, y * 0.7f, 0, 11u);
            canvas.Set(x, y, Scale(Ramp(chrome, (y + 0.5f) / 32.0f), streak));
        }
    Mask stripe(128, 32);
    stripe.AddRoundRect(10.0f, 13.0f, 118.0f, 19.0f, 3.0f);
    canvas.PaintWith(stripe,
                     [&](int, int y)
                     {
                         float t = std::fabs(y + 0.5f - 16.0f) / 3.0f;
                         return Mix({1.0f, 0.75f, 0.6f}, {0.85f, 0.08f, 0.05f}, Clamp01(t));
                     });
    PaintBevel(canvas, 0.0f, 0.0f, 128.0f, 32.0f, 3.0f, 0.7f);
    PaintFrame(canvas, {0.12f, 0.12f, 0.16f}, 1);
    return canvas;
}

Canvas PaintBall()
{
    // Wrapped round the ball mesh: u goes once round (from +x towards +z), v from the top pole
    // to the bottom one. A pearl finish with a highlight where the players' cameras look from.
    Canvas canvas(128, 64, {0.0f, 0.0f, 0.0f});
    Vec3 light = Normalised({0.3f, 0.8f, 0.6f});
    Vec3 eye = Normalised({0.0f, 0.7f, 0.7f});
    Vec3 half = Normalised({light.x + eye.x, light.y + eye.y, light.z + eye.z});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
        {
            float theta = (y + 0.5f) / 64.0f * Pi;
            float phi = (x + 0.5f) / 128.0f * 2.0f * Pi;
            Vec3 n{std::sin(theta) * std::cos(phi), std::cos(theta),
                   std::sin(theta) * std::sin(phi)};
            float diffuse = std::fmax(0.0f, Dot(n, light));
            float specular = std::pow(std::fmax(0.0f, Dot(n, half)), 40.0f) * 0.55f;
            Colour base = Mix({0.80f, 0.84f, 0.95f}, {0.95f, 0.93f, 0.98f},
                              ValueNoise(x / 8.0f, y / 8.0f, 16, 5u));
            Colour c = Scale(base, 0.72f + 0.28f * diffuse);
            canvas.Set(x, y, Add(c, {specular, specular, specular}));
        }
    return canvas;
}

Canvas PaintFloorStone()
{
    // Granite for the plinth and the boulders; seamless, as the floor mesh repeats it.
    Canvas canvas(256, 256, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
        {
            float broad = FractalNoise(x / 32.0f, y / 32.0f, 8, 4, 21u);
            float grain = ValueNoise(x * 0.5f, y * 0.5f, 128, 22u);
            Colour c = Mix({0.42f, 0.41f, 0.40f}, {0.66f, 0.63f, 0.58f}, broad);
            // Sparse dark and pale crystals.
            if (grain > 0.90f)
                c = Scale(c, 0.6f);
            else if (grain < 0.07f)
                c = Mix(c, {0.92f, 0.90f, 0.86f}, 0.5f);
            canvas.Set(x, y, c);
        }
    return canvas;
}

Canvas PaintFloorSand()
{
    // Raked sand, tiled 30 times across the ground: wavy furrows, seamless in both directions.
    Canvas canvas(256, 256, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
        {
            float wave = 5.0f * std::sin(2.0f * Pi * x / 256.0f * 2.0f) +
                         2.0f * std::sin(2.0f * Pi * x / 256.0f * 5.0f + 1.0f);
            float furrow = std::sin(2.0f * Pi * (y + wave) / 16.0f);
            float grain = ValueNoise(x * 0.9f, y * 0.9f, 230, 31u);
            float drift = FractalNoise(x / 64.0f, y / 64.0f, 4, 3, 32u);
            Colour sand = Mix({0.74f, 0.68f, 0.55f}, {0.88f, 0.83f, 0.70f}, drift);
            Colour c = Scale(sand, 0.88f + 0.12f * furrow + 0.08f * (grain - 0.5f));
            canvas.Set(x, y, c);
        }
    // A few dark pebbles.
    for (int i = 0; i < 6; ++i)
    {
        float px = Hash01(uint32_t(i), 1u, 33u) * 256.0f;
        float py = Hash01(uint32_t(i), 2u, 33u) * 256.0f;
        float r = 2.5f + Hash01(uint32_t(i), 3u, 33u) * 3.0f;
        for (int ox = -256; ox <= 256; ox += 256)
            for (int oy = -256; oy <= 256; oy += 256)
                PaintSphere(canvas, px + ox, py + oy, r, {0.35f, 0.33f, 0.32f}, 20.0f, 0.3f);
    }
    return canvas;
}

Canvas PaintArenaFloor()
{
    // The play field: polished dark blue tiles with light seams, stretched once over 600 x 460.
    Canvas canvas(256, 256, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
        {
            int tx = x / 32, ty = y / 32;
            float tint = Hash01(uint32_t(tx), uint32_t(ty), 41u);
            float cloud = FractalNoise(x / 24.0f, y / 24.0f, 0, 3, 42u);
            Colour c =
                Mix({0.08f, 0.11f, 0.30f}, {0.14f, 0.19f, 0.45f}, 0.35f * tint + 0.4f * cloud);
            canvas.Set(x, y, c);
        }
    for (int ty = 0; ty < 8; ++ty)
        for (int tx = 0; tx < 8; ++tx)
            PaintBevel(canvas, tx * 32.0f, ty * 32.0f, tx * 32.0f + 32.0f, ty * 32.0f + 32.0f, 2.0f,
                       0.6f);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            if (x % 32 == 0 || y % 32 == 0)
                canvas.Set(x, y, {0.30f, 0.40f, 0.70f});
    return canvas;
}

Canvas PaintRailTop()
{
    // Brass rail tops; u runs along the rail, v across it.
    Canvas canvas(256, 32, {0.0f, 0.0f, 0.0f});
    const Stop brass[] = {{0.0f, {0.40f, 0.28f, 0.10f}},
                          {0.2f, {0.80f, 0.62f, 0.28f}},
                          {0.45f, {1.0f, 0.90f, 0.60f}},
                          {0.7f, {0.72f, 0.54f, 0.22f}},
                          {1.0f, {0.35f, 0.24f, 0.08f}}};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 256; ++x)
        {
            float streak = 0.92f + 0.08f * ValueNoise(x / 12.0f, y * 0.8f, 0, 51u);
            Colour c = Scale(Ramp(brass, (y + 0.5f) / 32.0f), streak);
            if (y == 4 || y == 27)
                c = Scale(c, 0.55f);
            canvas.Set(x, y, c);
        }
    return canvas;
}

Canvas PaintRailFace()
{
    // The rail faces the ball bounces off: dark steel panels under a cyan light strip.
    Canvas canvas(256, 32, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 256; ++x)
        {
            float v = (y + 0.5f) / 32.0f;
            Colour steel = Mix({0.28f, 0.31f, 0.40f}, {0.10f, 0.11f, 0.16f}, v);
            steel = Scale(steel, 0.92f + 0.08f * ValueNoise(x / 10.0f, y * 0.6f, 0, 61u));
            float glow = std::exp(-std::pow((y + 0.5f - 7.0f) / 2.6f, 2.0f));
            Colour c = Add(steel, Scale({0.25f, 0.95f, 1.0f}, glow));
            if (x % 64 == 0 && y > 11)
                c = Scale(c, 0.4f);
            canvas.Set(x, y, c);
        }
    return canvas;
}

Canvas PaintOuterWall()
{
    // The outer walls: 520 units of ashlar from the rail tops down to the ground, lighter at
    // the top, with a pale coping stone along the top edge.
    Canvas canvas(256, 256, {0.0f, 0.0f, 0.0f});
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
        {
            int course = y / 24;
            int shift = (course % 2) * 32;
            int block = (x + shift) / 64;
            float tint = Hash01(uint32_t(block), uint32_t(course), 71u);
            float grain = FractalNoise(x / 10.0f, y / 10.0f, 0, 3, 72u);
            Colour stone =
                Mix({0.46f, 0.42f, 0.38f}, {0.66f, 0.61f, 0.54f}, 0.5f * tint + 0.5f * grain);
            stone = Scale(stone, 1.0f - 0.35f * (y / 255.0f));
            bool joint = (y % 24) < 2 || ((x + shift) % 64) < 2;
            if (y < 10)
                stone = Mix({0.85f, 0.82f, 0.76f}, {0.60f, 0.57f, 0.52f}, y / 10.0f);
            else if (joint)
                stone = Scale(stone, 0.45f);
            canvas.Set(x, y, stone);
        }
    return canvas;
}

// Bricks: 64 x 32, the whole picture on every face of a 39 x 10 x 20 brick. Six clearly
// different colours; the tougher the brick, the sturdier and more metallic it looks.
Canvas PaintBrickBase(Colour base, bool brushed)
{
    Canvas canvas(64, 32, base);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
        {
            float v = (y + 0.5f) / 32.0f;
            float light = 1.15f - 0.3f * v;
            float texture = brushed ? 0.85f + 0.3f * ValueNoise(x / 14.0f, y * 0.9f, 0, 81u)
                                    : 0.97f + 0.06f * ValueNoise(x / 4.0f, y / 4.0f, 0, 82u);
            Colour c = Scale(base, light * texture);
            float gloss = std::exp(-std::pow((v - 0.25f) / 0.12f, 2.0f)) * (brushed ? 0.1f : 0.22f);
            canvas.Set(x, y, Add(c, {gloss, gloss, gloss}));
        }
    return canvas;
}

void PaintRivet(Canvas& canvas, float x, float y, Colour base)
{
    PaintSphere(canvas, x, y, 2.6f, base, 25.0f, 0.7f);
}

Canvas PaintBlock(int type)
{
    static const Colour colours[6] = {
        {0.25f, 0.78f, 0.30f}, // type 0: green, one hit
        {0.20f, 0.62f, 0.92f}, // type 1: sky blue
        {0.98f, 0.82f, 0.18f}, // type 2: yellow
        {0.98f, 0.48f, 0.12f}, // type 3: orange
        {0.80f, 0.12f, 0.20f}, // type 4: crimson in a steel frame
        {0.70f, 0.74f, 0.80f}, // type 5: riveted steel, four hits
    };
    Canvas canvas = PaintBrickBase(colours[type], type == 5);
    switch (type)
    {
    case 0:
    case 1:
        PaintBevel(canvas, 0.0f, 0.0f, 64.0f, 32.0f, 4.0f, 0.9f);
        break;
    case 2:
        PaintBevel(canvas, 0.0f, 0.0f, 64.0f, 32.0f, 4.0f, 0.9f);
        PaintBevel(canvas, 10.0f, 9.0f, 54.0f, 23.0f, 2.0f, -0.8f);
        break;
    case 3:
        PaintBevel(canvas, 0.0f, 0.0f, 64.0f, 32.0f, 3.0f, 1.0f);
        PaintBevel(canvas, 5.0f, 5.0f, 59.0f, 27.0f, 3.0f, 0.8f);
        for (int x = 12; x < 52; ++x)
        {
            canvas.Set(x, 15, Scale(canvas.At(x, 15), 0.6f));
            canvas.Set(x, 16, Mix(canvas.At(x, 16), {1.0f, 1.0f, 1.0f}, 0.25f));
        }
        break;
    case 4:
    {
        Canvas steel = PaintBrickBase({0.66f, 0.70f, 0.76f}, true);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x)
                if (x < 6 || x >= 58 || y < 6 || y >= 26)
                    canvas.Set(x, y, steel.At(x, y));
        PaintBevel(canvas, 0.0f, 0.0f, 64.0f, 32.0f, 3.0f, 1.0f);
        PaintBevel(canvas, 6.0f, 6.0f, 58.0f, 26.0f, 2.0f, -0.9f);
        break;
    }
    case 5:
        PaintBevel(canvas, 0.0f, 0.0f, 64.0f, 32.0f, 5.0f, 1.0f);
        PaintBevel(canvas, 12.0f, 10.0f, 52.0f, 22.0f, 2.0f, -0.9f);
        PaintRivet(canvas, 8.5f, 8.5f, {0.95f, 0.78f, 0.35f});
        PaintRivet(canvas, 55.5f, 8.5f, {0.95f, 0.78f, 0.35f});
        PaintRivet(canvas, 8.5f, 23.5f, {0.95f, 0.78f, 0.35f});
        PaintRivet(canvas, 55.5f, 23.5f, {0.95f, 0.78f, 0.35f});
        break;
    }
    PaintFrame(canvas, Scale(colours[type], 0.3f), 1);
    return canvas;
}

Canvas PaintBlock1()
{
    return PaintBlock(0);
}
Canvas PaintBlock2()
{
    return PaintBlock(1);
}
Canvas PaintBlock3()
{
    return PaintBlock(2);
}
Canvas PaintBlock4()
{
    return PaintBlock(3);
}
Canvas PaintBlock5()
{
    return PaintBlock(4);
}
Canvas PaintBlock6()
{
    return PaintBlock(5);
}

const TextureAsset Assets[] = {
    {"PAUSED.bmp", PaintPaused},   {"LIFE.bmp", PaintLife},         {"CAMERAS.bmp", PaintCameras},
    {"DIGITS.bmp", PaintDigits},   {"TITLE.bmp", PaintTitle},       {"SNOW.bmp", PaintSnow},
    {"BAT.bmp", PaintBat},         {"FLOOR1.bmp", PaintFloorStone}, {"FLOOR2.bmp", PaintFloorSand},
    {"BALL.bmp", PaintBall},       {"ARENA1.bmp", PaintArenaFloor}, {"ARENA2.bmp", PaintRailTop},
    {"ARENA3.bmp", PaintRailFace}, {"ARENA4.bmp", PaintOuterWall},  {"BLOCK1.bmp", PaintBlock1},
    {"BLOCK2.bmp", PaintBlock2},   {"BLOCK3.bmp", PaintBlock3},     {"BLOCK4.bmp", PaintBlock4},
    {"BLOCK5.bmp", PaintBlock5},   {"BLOCK6.bmp", PaintBlock6},
};
} // namespace

Canvas PaintIcon(int size, Mask& shape)
{
    // A night-blue tile with a "Z" laid in bevelled bricks and the pearl ball in the Z's lower
    // bay. Cells are whole pixels so the small sizes stay crisp; bevels and the outline only show
    // where there are pixels enough for them.
    const float s = float(size);
    Canvas canvas(size, size, {0.0f, 0.0f, 0.0f});
    shape.AddRoundRect(0.0f, 0.0f, s, s, std::fmax(2.0f, s * 0.18f));
    const Stop night[] = {{0.0f, {0.16f, 0.22f, 0.52f}}, {1.0f, {0.04f, 0.03f, 0.16f}}};
    canvas.PaintWith(shape, [&](int, int y) { return Ramp(night, (y + 0.5f) / s); });
    if (size >= 32)
    {
        Mask inner(size, size);
        inner.AddRoundRect(s * 0.03f, s * 0.03f, s * 0.97f, s * 0.97f, s * 0.16f);
        Mask rim = shape;
        for (size_t i = 0; i < rim.cover.size(); ++i)
            rim.cover[i] = std::fmax(0.0f, rim.cover[i] - inner.cover[i]);
        canvas.Paint(rim, {0.45f, 0.55f, 0.85f});
    }

    const float cellW = std::round(s * 0.8f / 5.5f), cellH = std::round(s * 0.8f / 7.0f);
    const float x = std::floor((s - GlyphColumns * cellW) / 2.0f);
    const float y = std::floor((s - GlyphRows * cellH) / 2.0f);
    Mask letter(size, size);
    AddText(letter, "Z", x, y, cellW, cellH);
    if (size >= 32)
        canvas.Paint(letter.Dilated(s / 48.0f).Shifted(size / 48, size / 48),
                     {0.02f, 0.02f, 0.08f});
    ForEachTextCell("Z", x, y, cellW, cellH,
                    [&](float x0, float y0, float x1, float y1)
                    {
                        Mask cell(size, size);
                        cell.AddRect(x0, y0, x1, y1);
                        canvas.PaintWith(cell,
                                         [&](int, int py)
                                         {
                                             float t = (py + 0.5f - y) / (GlyphRows * cellH);
                                             return Ramp(WarmInk, t);
                                         });
                        if (cellH >= 6.0f)
                            PaintBevel(canvas, x0, y0, x1, y1, cellH / 5.0f, 0.8f);
                    });
    // The Z's rows 4 and 5, columns 3 and 4, are empty: the ball sits there.
    PaintSphere(canvas, x + 4.0f * cellW, y + 5.0f * cellH, 0.95f * std::fmin(cellW, cellH),
                {0.80f, 0.86f, 1.0f}, 30.0f, 0.8f);
    return canvas;
}

const TextureAsset* TextureAssets(int* count)
{
    *count = int(sizeof(Assets) / sizeof(Assets[0]));
    return Assets;
}
