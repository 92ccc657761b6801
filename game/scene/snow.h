// Snow: layers of 400 flat flakes that sink over the arena and jump back to the top.
#pragma once

#include <d3d8.h>

#include "game/scene/vertices.h"
#include "game/view/matrix.h"

struct SnowLayer
{
    float height; // world y, 0..400
    IDirect3DVertexBuffer8* vertexBuffer;
    IDirect3DTexture8* texture;
    Matrix4 world;

    // Places layer `index` of SnowLayerCount and fills its buffer from FlakeVertices.
    // BuildSnowVertices must have filled FlakeVertices first.
    void Create(UINT index);
    // Sinks by 0.5 * SpeedFactor, back to 400 below 0.
    void Fall();
    // Draws the flakes. Returns null, "Set Stream Source Failed." or "Draw Primitive Failed.".
    const char* Draw();
    // Releases the buffer if present.
    void Release();
};

// Allocated by InitGame with DisplaySettings.SnowLayerCount entries; null when absent.
extern SnowLayer* SnowLayers;
// The flakes of the layer being built; allocated on the first build, freed by ReleaseAll.
extern SceneVertex* FlakeVertices;
// The snow's generator state, initially 1, never reseeded.
extern DWORD SnowRandomState;

// Next value 0..32767 of the snow's generator.
int SnowRandom();
// Refills FlakeVertices with 400 new flakes. Run before each SnowLayer::Create.
void BuildSnowVertices();
