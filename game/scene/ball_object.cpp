// The ball's drawing half: its mesh from models/ball.x, its texture and the draw at its position.
// Its flight and collisions are the game core's (game/core/ball.h).
#include "game/core/ball.h"

#include "game/platform/display_device.h"
#include "game/platform/texture_set.h"

const char* Ball::Create()
{
    // At rest on the start bat: centred on it (300 + 20) and 3 units in front of its face.
    x = 320.0f;
    y = 0.0f;
    z = 417.0f;
    vx = 0.0f;
    vy = 0.0f;
    vz = 0.0f;
    launched = 0;
    UpdateWorld();
    texture = TextureSet.Ball;
    if (D3DXLoadMeshFromX("models/ball.x", D3DXMESH_MANAGED, Device, nullptr, nullptr, nullptr,
                          &mesh) != D3D_OK)
    {
        mesh = nullptr;
        return "Load Ball.x Failed.";
    }
    return nullptr;
}

const char* Ball::Draw()
{
    Device->SetTransform(D3DTS_WORLD, &world);
    Device->SetTexture(0, texture);
    if (mesh != nullptr)
        mesh->DrawSubset(0);
    return nullptr;
}

void Ball::Release()
{
    if (mesh != nullptr)
    {
        mesh->Release();
        mesh = nullptr;
    }
}
