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

    // Recomputes the score digits and all 90 vertices. Called by InitGame and every drawn frame.
    void Build();
    // Creates and fills the vertex buffer. Called by InitGame after Build.
    void Create();
    // Copies the vertices into the buffer. Called by every drawn frame.
    void Upload();
    // Draws what the game state shows. Called by the render pass. Returns null, "Set Stream
    // Source Failed." or "Draw Primitive Failed.".
    const char* Draw();
    // Releases the buffer and frees the vertices. Called by ReleaseAll.
    void Release();
};

extern Hud GameHud;
