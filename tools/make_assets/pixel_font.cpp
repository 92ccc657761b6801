// The asset tool's 5 x 7 block font and its layout.
#include "pixel_font.h"

#include <cmath>
#include <cstring>

namespace
{
struct Glyph
{
    char code;
    const char* rows[GlyphRows];
};

// Drawn for this game; strokes are one cell wide so they stay apart at 12 pixels high.
const Glyph Glyphs[] = {
    {'0', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "#####"}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"####.", "....#", "....#", ".###.", "....#", "....#", "####."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
};

const Glyph* Find(char c)
{
    for (const Glyph& g : Glyphs)
        if (g.code == c)
            return &g;
    return nullptr;
}
} // namespace

float TextWidth(const char* text, float cellW)
{
    size_t n = std::strlen(text);
    return n ? (float(n) * GlyphAdvance - (GlyphAdvance - GlyphColumns)) * cellW : 0.0f;
}

void ForEachTextCell(const char* text, float x, float y, float cellW, float cellH,
                     const std::function<void(float, float, float, float)>& cell)
{
    for (size_t i = 0; text[i]; ++i)
    {
        const Glyph* g = Find(text[i]);
        if (!g)
            continue;
        float left = x + float(i * GlyphAdvance) * cellW;
        for (int row = 0; row < GlyphRows; ++row)
            for (int col = 0; col < GlyphColumns; ++col)
                if (g->rows[row][col] == '#')
                    cell(left + col * cellW, y + row * cellH, left + (col + 1) * cellW,
                         y + (row + 1) * cellH);
    }
}

void AddText(Mask& mask, const char* text, float x, float y, float cellW, float cellH)
{
    // One pass over the whole line, so neighbouring cells join without seams.
    size_t n = std::strlen(text);
    mask.AddWhere(x, y, x + TextWidth(text, cellW), y + GlyphRows * cellH,
                  [&](float px, float py)
                  {
                      int col = int(std::floor((px - x) / cellW));
                      int row = int(std::floor((py - y) / cellH));
                      if (col < 0 || row < 0 || row >= GlyphRows)
                          return false;
                      size_t index = size_t(col / GlyphAdvance);
                      int inGlyph = col % GlyphAdvance;
                      if (index >= n || inGlyph >= GlyphColumns)
                          return false;
                      const Glyph* g = Find(text[index]);
                      return g && g->rows[row][inGlyph] == '#';
                  });
}
