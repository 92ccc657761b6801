// The ball's drawing half: its mesh from models/ball.x, its texture and the draw at its position.
// Its flight and collisions are the game core's (game/core/ball.h).
#include "game/core/ball.h"

#include "game/platform/display_device.h"
#include "game/platform/texture_set.h"

const char* Ball::Create()
{
    // At rest on the start bat, which start-up has placed at (300, 420): the ball is at (320, 0,
    // 417), centred on it and 3 units in front of its face.
    PutBallOnBat();
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
