// The asset tool's built-in lettering: a 5 x 7 block font for the digits and the capitals the
// game's pictures spell (title, PAUSED, camera numbers), laid out at any cell size. Nothing here
// fails (characters the font lacks are left blank).
#pragma once

#include "canvas.h"

#include <functional>

// Cells across one glyph, cells down, and the advance from one glyph to the next.
constexpr int GlyphColumns = 5;
constexpr int GlyphRows = 7;
constexpr int GlyphAdvance = 6;

// Width in pixels of `text` set with cells `cellW` wide (no trailing gap).
float TextWidth(const char* text, float cellW);
// Calls `cell` with the pixel rectangle of every inked cell of `text`, its top-left corner at
// (x, y). Characters the font lacks leave a blank.
void ForEachTextCell(const char* text, float x, float y, float cellW, float cellH,
                     const std::function<void(float, float, float, float)>& cell);
// Adds the inked cells of `text` to a mask.
void AddText(Mask& mask, const char* text, float x, float y, float cellW, float cellH);
