// The floor: the huge textured square far below the arena and the floor mesh.
#pragma once

#include <d3dx8.h>

#include "game/scene/vertices.h"
#include "game/view/matrix.h"

struct Floor
{
    ID3DXMesh* mesh;
    IDirect3DVertexBuffer8* vertexBuffer;
    Matrix4 world;

    // Creates the quad buffer and loads models/floor.X. Returns null or "Load Floor.x Failed.".
    const char* Create();
    // Draws the quad, then the mesh. Returns null, "Set Stream Source Failed." or "Draw Primitive
    // Failed.".
    const char* Draw();
    // Releases the quad buffer and the mesh.
    void Release();
};

extern Floor GameFloor;
extern SceneVertex* FloorVertices; // 6 vertices
void BuildFloorVertices();
