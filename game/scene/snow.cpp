// Snow: evenly spaced horizontal layers of 400 flat flakes each, scattered once by the snow's own
// generator, sinking while the game is played and jumping back to the top below the play field.
#include "game/scene/snow.h"

#include <cstdlib>

#include "game/core/timing.h"
#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"
#include "game/platform/texture_set.h"

// Live from start-up to shutdown: the layer array (AllocateSnowLayers), the flake array the
// layers are filled from, and the generator, which is never reseeded so every run snows alike.
SnowLayer* SnowLayers = nullptr;
SceneVertex* FlakeVertices = nullptr;
DWORD SnowRandomState = 1;

namespace
{
const int FlakesPerLayer = 400;
const int FlakeVertexCount = 3 * FlakesPerLayer;
const UINT FlakeBytes = FlakeVertexCount * sizeof(SceneVertex);
const float TopHeight = 400.0f;
// d3d.ini is edited by hand at times; more layers than this are not snow any more but a way to
// exhaust memory, so the count is capped where the layers are allocated.
const DWORD MaxSnowLayers = 100;
} // namespace

DWORD AllocateSnowLayers()
{
    DWORD layers = DisplaySettings.SnowLayerCount;
    if (layers > MaxSnowLayers)
        layers = MaxSnowLayers;
    SnowLayers = nullptr;
    if (layers > 0)
        SnowLayers = static_cast<SnowLayer*>(std::calloc(layers, sizeof(SnowLayer)));
    if (SnowLayers == nullptr)
        layers = 0;
    DisplaySettings.SnowLayerCount = layers;
    return layers;
}

void ReleaseSnowLayers()
{
    if (SnowLayers != nullptr)
        for (UINT i = 0; i < DisplaySettings.SnowLayerCount; ++i)
            SnowLayers[i].Release();
    std::free(SnowLayers);
    SnowLayers = nullptr;
}

int SnowRandom()
{
    SnowRandomState = SnowRandomState * 214013u + 2531011u;
    return static_cast<int>((SnowRandomState >> 16) & 0x7FFF);
}

void BuildSnowVertices()
{
    if (FlakeVertices == nullptr)
        FlakeVertices =
            static_cast<SceneVertex*>(std::calloc(FlakeVertexCount, sizeof(SceneVertex)));
    if (FlakeVertices == nullptr)
        return; // the layers then get no buffer and their draw reports it
    const float unit = 1.0f / 32767.0f;
    for (int f = 0; f < FlakesPerLayer; ++f)
    {
        const int a = SnowRandom();
        const int b = SnowRandom();
        const float x = static_cast<float>(a) * unit * 640.0f;
        const float z = static_cast<float>(b) * unit * 480.0f;
        // A right triangle with legs of 2 units lying flat, showing half of the flake picture.
        SceneVertex* v = FlakeVertices + 3 * f;
        v[0] = {x, 0.0f, z, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f};
        v[1] = {x + 2.0f, 0.0f, z, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f};
        v[2] = {x + 2.0f, 0.0f, z + 2.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f};
    }
}

void SnowLayer::Create(UINT index)
{
    world = IdentityMatrix();
    // Evenly spaced: the first layer at 400 / N, the last at 400.
    height = static_cast<float>(TopHeight / DisplaySettings.SnowLayerCount * (index + 1));
    world = MultiplyMatrices(TranslationMatrix(0.0f, height, 0.0f), IdentityMatrix());
    texture = TextureSet.Snow;
    vertexBuffer = CreateStaticBuffer(FlakeVertices, FlakeBytes, SceneVertexFormat);
}

void SnowLayer::Fall()
{
    // 0.5 per drawn frame scaled by SpeedFactor: 42.5 units a second whatever the frame rate.
    height = height - SpeedFactor * 0.5f;
    if (height < 0.0f)
        height = TopHeight; // back to the top exactly; the rest of the step is dropped
    world = MultiplyMatrices(TranslationMatrix(0.0f, height, 0.0f), IdentityMatrix());
}

const char* SnowLayer::Draw()
{
    return DrawSceneObject(world, vertexBuffer, texture, FlakesPerLayer);
}

void SnowLayer::Release()
{
    if (vertexBuffer != nullptr)
    {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
}
