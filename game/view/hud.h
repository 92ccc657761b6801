// The HUD: fifteen screen-space quads in one buffer: frame-rate digits, score digits, camera
// indicator, life icons and the PAUSED picture.
#pragma once

#include <d3d8.h>

#include "game/scene/vertices.h"
#include "game/view/matrix.h"

const int HudVertexCount = 90;

struct Hud
{
    IDirect3DVertexBuffer8* vertexBuffer;
    Matrix4 world;
    ScreenVertex* vertices; // 90 vertices, allocated on the first Build
    int ScoreDigits[4];

    // Recomputes the score digits and all 90 vertices. Run at start-up and on every drawn frame.
    void Build();
    // Creates and fills the vertex buffer. Build must have run first.
    void Create();
    // Copies the vertices into the buffer. Run on every drawn frame.
    void Upload();
    // Draws what the game state shows. Returns null, "Set Stream Source Failed." or "Draw Primitive
    // Failed.".
    const char* Draw();
    // Releases the buffer and frees the vertices.
    void Release();
};

extern Hud GameHud;
