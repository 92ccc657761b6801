// The arena: the walled box around the play field, drawn unlit in four texture groups.
#pragma once

#include <d3d8.h>

#include "game/scene/vertices.h"
#include "game/view/matrix.h"

struct Arena
{
    IDirect3DVertexBuffer8* vertexBuffer;
    Matrix4 world;

    // Identity world matrix and the buffer from ArenaVertices.
    void Create();
    // Draws the four groups with lighting off, then switches lighting on. Returns null, "Set Stream
    // Source Failed." or "Draw Primitive Failed.".
    const char* Draw();
    // Releases the buffer if present.
    void Release();
};

extern Arena GameArena;
extern SceneVertex* ArenaVertices; // 80 slots, 78 drawn
void BuildArenaVertices();
