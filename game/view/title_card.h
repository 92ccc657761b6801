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

    // Allocates and fills the quad from the display size. Called by InitGame.
    void Build();
    // Creates and fills the vertex buffer. Called by InitGame after Build.
    void Create();
    // Draws the quad. Called by the render pass. Returns null, "Set Stream Source Failed." or
    // "Draw Primitive Failed.".
    const char* Draw();
    // Releases the buffer and frees the vertices. Called by ReleaseAll.
    void Release();
};

extern TitleCard GameTitleCard;
