// How many levels a full mip chain of a texture has: the device's and the texture loader's count.
#pragma once

// Levels from width x height down to 1 x 1, each half the one before (rounded down, at least 1).
inline unsigned FullMipLevelCount(unsigned width, unsigned height)
{
    unsigned levels = 1;
    while (width > 1 || height > 1)
    {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
        ++levels;
    }
    return levels;
}
