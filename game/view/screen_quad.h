// One screen-space quad of the overlay: six pre-transformed vertices forming two triangles that
// run counter-clockwise on the screen (drawn with culling at CW), in the order top-left,
// bottom-right, top-right, top-left, bottom-left, bottom-right. Shared by the title card and HUD.
#pragma once

#include "game/scene/vertices.h"

// Writes the quad spanning [left, right] x [top, bottom] in pixels, with u from leftU to rightU and
// v from 0 (top) to 1 (bottom), at z 0 and rhw 1.
inline void PutScreenQuad(ScreenVertex* out, float left, float top, float right, float bottom,
                          float leftU, float rightU)
{
    const ScreenVertex topLeft = {left, top, 0.0f, 1.0f, leftU, 0.0f};
    const ScreenVertex topRight = {right, top, 0.0f, 1.0f, rightU, 0.0f};
    const ScreenVertex bottomLeft = {left, bottom, 0.0f, 1.0f, leftU, 1.0f};
    const ScreenVertex bottomRight = {right, bottom, 0.0f, 1.0f, rightU, 1.0f};
    out[0] = topLeft;
    out[1] = bottomRight;
    out[2] = topRight;
    out[3] = topLeft;
    out[4] = bottomLeft;
    out[5] = bottomRight;
}
