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

// DisplaySettings.SnowLayerCount entries from AllocateSnowLayers to ReleaseSnowLayers; null when
// absent.
extern SnowLayer* SnowLayers;
// The flakes of the layer being built; allocated on the first build, freed by ReleaseAll.
extern SceneVertex* FlakeVertices;
// The snow's generator state, initially 1, never reseeded.
extern DWORD SnowRandomState;

// Allocates SnowLayers, zeroed, for DisplaySettings.SnowLayerCount layers (at most
// 100) and stores the count it got back: 0 when there is no snow or the array could not
// be had, so every reader of the count agrees with the array. Returns that count.
DWORD AllocateSnowLayers();
// Releases every layer's buffer and frees SnowLayers.
void ReleaseSnowLayers();

// Next value 0..32767 of the snow's generator.
int SnowRandom();
// Refills FlakeVertices with 400 new flakes. Run before each SnowLayer::Create.
void BuildSnowVertices();
