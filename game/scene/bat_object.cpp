// The bat's drawing half: the open box it is drawn as (BatWidth wide, 10 high, BatDepth deep), its
// buffer, texture and draw. Its moves and clamps are the game core's (game/core/bat.h).
#include "game/core/bat.h"

#include <cstdlib>

#include "game/platform/display_device.h"
#include "game/platform/texture_set.h"

// Built once at start-up, freed by ReleaseAll.
SceneVertex* BatVertices = nullptr;

namespace
{
const int BatVertexCount = 30;
const UINT BatBytes = BatVertexCount * sizeof(SceneVertex);
} // namespace

void BuildBatVertices()
{
    if (BatVertices == nullptr)
        BatVertices = static_cast<SceneVertex*>(std::calloc(BatVertexCount, sizeof(SceneVertex)));
    if (BatVertices == nullptr)
        return; // the buffer is then not created and the draw reports it
    // Five faces of two triangles, no bottom: (x, y, z, normal, u, v).
    FillOpenBox(BatVertices, 0, BatWidth, BatDepth);
}

void Bat::Create(float x, float z)
{
    Place(x, z);
    texture = TextureSet.Bat;
    vertexBuffer = CreateStaticBuffer(BatVertices, BatBytes, SceneVertexFormat);
}

const char* Bat::Draw()
{
    return DrawSceneObject(world, vertexBuffer, texture, 10);
}

void Bat::Release()
{
    if (vertexBuffer != nullptr)
    {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
}
