// The bricks' drawing half: the shared open-box template every brick's buffer is filled from, and
// the draw of one brick. Layout, hits and scores are the game core's (game/core/brick.h).
#include "game/core/brick.h"

#include <cstdlib>

#include "game/platform/display_device.h"

// Built once at start-up, freed by ReleaseAll.
SceneVertex* BrickTemplate = nullptr;

namespace
{
const int BrickVertexCount = 30;
} // namespace

void BuildBrickVertices()
{
    if (BrickTemplate == nullptr)
        BrickTemplate =
            static_cast<SceneVertex*>(std::calloc(BrickVertexCount, sizeof(SceneVertex)));
    if (BrickTemplate == nullptr)
        return; // the bricks then get no buffer and their draw reports it
    // Half a unit in from both ends: neighbours 40 units apart show a 1-unit gap, while the
    // collision bounds keep the full 40 units. Five faces, no bottom: (x, y, z, normal, u, v).
    FillOpenBox(BrickTemplate, 0.5f, 39.5f, 20);
}

const char* Brick::Draw()
{
    if (!alive)
        return nullptr;
    return DrawSceneObject(world, vertexBuffer, texture, 10);
}

void Brick::Release()
{
    if (vertexBuffer != nullptr)
    {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
}
