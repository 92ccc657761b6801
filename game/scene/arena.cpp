// The arena: the walled box around the play field (outer walls down to the floor plane, rails on
// the left, right and back, the play-field floor), fixed data drawn unlit in four texture groups.
#include "game/scene/arena.h"

#include <cstdlib>
#include <cstring>

#include "game/platform/display_device.h"
#include "game/platform/texture_set.h"

// Live from start-up to shutdown: the object and its vertex array (freed by ReleaseAll).
Arena GameArena;
SceneVertex* ArenaVertices = nullptr;

namespace
{
const int ArenaSlots = 80; // 78 drawn; the last two are zero and never drawn
const UINT ArenaBytes = ArenaSlots * sizeof(SceneVertex);

struct FacePoint
{
    float x, y, z, u, v;
};

// Writes one face: six vertices in the given order with one normal.
void PutFace(SceneVertex* out, const FacePoint (&points)[6], float nx, float ny, float nz)
{
    for (int i = 0; i < 6; ++i)
        out[i] = {points[i].x, points[i].y, points[i].z, nx, ny, nz, points[i].u, points[i].v};
}

// A texture group: the faces drawn with one texture in one call.
struct ArenaGroup
{
    UINT firstVertex;
    UINT triangles;
    int texture; // index into TextureSet.Arena
};
const ArenaGroup ArenaGroups[4] = {
    {0, 8, 3},   // the four outer walls: ARENA4
    {24, 10, 1}, // rail tops and the two rail front ends: ARENA2
    {54, 6, 2},  // rail inner faces: ARENA3
    {72, 2, 0},  // play-field floor: ARENA1
};
} // namespace

void BuildArenaVertices()
{
    if (ArenaVertices == nullptr)
        ArenaVertices = static_cast<SceneVertex*>(std::calloc(ArenaSlots, sizeof(SceneVertex)));
    if (ArenaVertices == nullptr)
        return; // the buffer is then not created and the draw reports it
    SceneVertex* v = ArenaVertices;

    // Group 1: outer walls, from the rail tops down to the floor plane at y = -500.
    PutFace(v + 0,
            {{0, 20, 0, 0, 0},
             {0, -500, 0, 0, 1},
             {640, 20, 0, 1, 0},
             {640, 20, 0, 1, 0},
             {0, -500, 0, 0, 1},
             {640, -500, 0, 1, 1}},
            0, 1, 0);
    PutFace(v + 6,
            {{0, 20, 0, 0, 0},
             {0, -500, 0, 0, 1},
             {0, 20, 480, 1, 0},
             {0, 20, 480, 1, 0},
             {0, -500, 0, 0, 1},
             {0, -500, 480, 1, 1}},
            0, 1, 0);
    PutFace(v + 12,
            {{640, 20, 0, 0, 0},
             {640, 20, 480, 1, 0},
             {640, -500, 0, 0, 1},
             {640, 20, 480, 1, 0},
             {640, -500, 480, 1, 1},
             {640, -500, 0, 0, 1}},
            0, 1, 0);
    // The front wall reaches only up to the play field: the ball leaves over that edge.
    PutFace(v + 18,
            {{0, 0, 480, 0, 0},
             {640, 0, 480, 1, 0},
             {0, -500, 480, 0, 1},
             {640, 0, 480, 1, 0},
             {640, -500, 480, 1, 1},
             {0, -500, 480, 0, 1}},
            0, 1, 0);

    // Group 2: the three rail tops and the two rail front ends.
    PutFace(v + 24,
            {{0, 20, 20, 0, 0},
             {20, 20, 20, 0, 1},
             {0, 20, 480, 1, 0},
             {20, 20, 20, 0, 1},
             {20, 20, 480, 1, 1},
             {0, 20, 480, 1, 0}},
            0, -1, 0);
    PutFace(v + 30,
            {{620, 20, 20, 0, 0},
             {640, 20, 20, 0, 1},
             {620, 20, 480, 1, 0},
             {640, 20, 20, 0, 1},
             {640, 20, 480, 1, 1},
             {620, 20, 480, 1, 0}},
            0, -1, 0);
    PutFace(v + 36,
            {{0, 20, 0, 0, 1},
             {640, 20, 0, 1, 1},
             {0, 20, 20, 0, 0},
             {0, 20, 20, 0, 0},
             {640, 20, 0, 1, 1},
             {640, 20, 20, 1, 0}},
            0, -1, 0);
    PutFace(v + 42,
            {{0, 20, 480, 0, 1},
             {20, 0, 480, 1, 1},
             {0, 0, 480, 0, 0},
             {0, 20, 480, 0, 0},
             {20, 20, 480, 1, 1},
             {20, 0, 480, 1, 0}},
            0, -1, 0);
    PutFace(v + 48,
            {{620, 20, 480, 0, 1},
             {640, 0, 480, 1, 1},
             {620, 0, 480, 0, 0},
             {620, 20, 480, 0, 0},
             {640, 20, 480, 1, 1},
             {640, 0, 480, 1, 0}},
            0, -1, 0);

    // Group 3: the rails' inner faces, which the ball bounces off.
    PutFace(v + 54,
            {{20, 20, 20, 0, 0},
             {20, 0, 20, 0, 1},
             {20, 20, 480, 1, 0},
             {20, 0, 20, 0, 1},
             {20, 0, 480, 1, 1},
             {20, 20, 480, 1, 0}},
            0, -1, 0);
    PutFace(v + 60,
            {{620, 20, 20, 0, 0},
             {620, 20, 480, 1, 0},
             {620, 0, 20, 0, 1},
             {620, 0, 20, 0, 1},
             {620, 20, 480, 1, 0},
             {620, 0, 480, 1, 1}},
            0, 1, 0);
    PutFace(v + 66,
            {{20, 20, 20, 0, 0},
             {620, 20, 20, 1, 0},
             {20, 0, 20, 0, 1},
             {20, 0, 20, 0, 1},
             {620, 20, 20, 1, 0},
             {620, 0, 20, 1, 1}},
            0, 1, 0);

    // Group 4: the play-field floor inside the rails.
    PutFace(v + 72,
            {{20, 0, 20, 0, 0},
             {620, 0, 20, 1, 0},
             {620, 0, 480, 1, 1},
             {20, 0, 20, 0, 0},
             {620, 0, 480, 1, 1},
             {20, 0, 480, 0, 1}},
            0, -1, 0);
}

void Arena::Create()
{
    world = IdentityMatrix();
    vertexBuffer = CreateStaticBuffer(ArenaVertices, ArenaBytes, SceneVertexFormat);
}

const char* Arena::Draw()
{
    // The arena's pictures carry their own shading; the moving light would only wash them out.
    Device->SetRenderState(D3DRS_LIGHTING, FALSE);
    Device->SetTransform(D3DTS_WORLD, &world);
    if (Device->SetStreamSource(0, vertexBuffer, sizeof(SceneVertex)) != D3D_OK)
        return "Set Stream Source Failed.";
    for (const ArenaGroup& group : ArenaGroups)
    {
        Device->SetTexture(0, TextureSet.Arena[group.texture]);
        if (Device->DrawPrimitive(D3DPT_TRIANGLELIST, group.firstVertex, group.triangles) != D3D_OK)
            return "Draw Primitive Failed.";
    }
    Device->SetRenderState(D3DRS_LIGHTING, TRUE);
    return nullptr;
}

void Arena::Release()
{
    if (vertexBuffer != nullptr)
    {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
}
