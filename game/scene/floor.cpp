// The floor: the huge textured square 500 units below the play field, level with the foot of the
// arena's outer walls, and the floor mesh from models/floor.X drawn over it.
#include "game/scene/floor.h"

#include <cstdlib>

#include "game/platform/display_device.h"
#include "game/platform/texture_set.h"

// Live from start-up to shutdown: the object and its quad array (freed by ReleaseAll).
Floor GameFloor;
SceneVertex* FloorVertices = nullptr;

namespace
{
const int FloorQuadVertices = 6;
const UINT FloorQuadBytes = FloorQuadVertices * sizeof(SceneVertex);
} // namespace

void BuildFloorVertices()
{
    if (FloorVertices == nullptr)
        FloorVertices =
            static_cast<SceneVertex*>(std::calloc(FloorQuadVertices, sizeof(SceneVertex)));
    if (FloorVertices == nullptr)
        return; // the buffer is then not created and the draw reports it
    // 20000 units square, the picture repeated 30 times along each side (wrap addressing).
    const SceneVertex quad[FloorQuadVertices] = {
        {-10000, -500, -10000, 0, 1, 0, 0, 0}, {10000, -500, 10000, 0, 1, 0, 30, 30},
        {10000, -500, -10000, 0, 1, 0, 30, 0}, {-10000, -500, -10000, 0, 1, 0, 0, 0},
        {-10000, -500, 10000, 0, 1, 0, 0, 30}, {10000, -500, 10000, 0, 1, 0, 30, 30},
    };
    for (int i = 0; i < FloorQuadVertices; ++i)
        FloorVertices[i] = quad[i];
}

const char* Floor::Create()
{
    world = IdentityMatrix();
    vertexBuffer = CreateStaticBuffer(FloorVertices, FloorQuadBytes, SceneVertexFormat);
    if (D3DXLoadMeshFromX("models/floor.X", D3DXMESH_MANAGED, Device, nullptr, nullptr, nullptr,
                          &mesh) != D3D_OK)
    {
        mesh = nullptr;
        return "Load Floor.x Failed.";
    }
    return nullptr;
}

const char* Floor::Draw()
{
    // The mesh shares the identity world matrix: its vertices are world coordinates.
    Device->SetTransform(D3DTS_WORLD, &world);
    if (Device->SetStreamSource(0, vertexBuffer, sizeof(SceneVertex)) != D3D_OK)
        return "Set Stream Source Failed.";
    Device->SetTexture(0, TextureSet.Floor2);
    if (Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2) != D3D_OK)
        return "Draw Primitive Failed.";
    Device->SetTexture(0, TextureSet.Floor1);
    if (mesh != nullptr)
        mesh->DrawSubset(0);
    return nullptr;
}

void Floor::Release()
{
    if (vertexBuffer != nullptr)
    {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (mesh != nullptr)
    {
        mesh->Release();
        mesh = nullptr;
    }
}
