// The twenty pictures of the game's texture set, each painted procedurally by its own function.
#pragma once

#include "canvas.h"

struct TextureAsset
{
    const char* file;  // name inside textures/, e.g. "TITLE.bmp"
    Canvas (*paint)(); // paints the picture; the same pixels on every run
};

// The twenty entries in the game's load order. Called by the tool's main.
const TextureAsset* TextureAssets(int* count);

// The programs' icon, `size` x `size` pixels (16 and up); `shape`, a mask of the same size,
// receives its coverage, which is the icon's alpha channel.
Canvas PaintIcon(int size, Mask& shape);
