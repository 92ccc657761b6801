// The title picture: one screen-space quad drawn over the scene on the title screen.
#pragma once

#include <d3d8.h>

#include "game/scene/vertices.h"
#include "game/view/matrix.h"

struct TitleCard
{
    IDirect3DVertexBuffer8* vertexBuffer;
    IDirect3DTexture8* texture;
    Matrix4 world;
    ScreenVertex* vertices; // 6 vertices

    // Allocates and fills the quad from the display size.
    void Build();
    // Creates and fills the vertex buffer. Build must have run first.
    void Create();
    // Draws the quad. Returns null, "Set Stream Source Failed." or "Draw Primitive Failed.".
    const char* Draw();
    // Releases the buffer and frees the vertices.
    void Release();
};

extern TitleCard GameTitleCard;
