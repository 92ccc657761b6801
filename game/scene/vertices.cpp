// The static vertex buffers of the drawable objects: created once at start-up with the usage and
// pool that the vertex processing setting selects, filled from the object's vertex array and never
// recreated (the managed and system-memory pools survive a device reset).
#include "game/scene/vertices.h"

#include <cstdio>
#include <cstring>

#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"

IDirect3DVertexBuffer8* CreateStaticBuffer(const void* data, UINT bytes, DWORD fvf)
{
    if (Device == nullptr || data == nullptr)
        return nullptr;

    // The setting decides, not the kind of device creation finally obtained: a software-processed
    // buffer must live in system memory.
    DWORD usage = D3DUSAGE_WRITEONLY;
    D3DPOOL pool = D3DPOOL_MANAGED;
    if (!DisplaySettings.HardwareVertexProcessing)
    {
        usage = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING;
        pool = D3DPOOL_SYSTEMMEM;
    }

    // The creators report nothing, so a failure is written to the log here; the object is then
    // left without a buffer and its draw fails with its own text, which ends the game.
    IDirect3DVertexBuffer8* buffer = nullptr;
    HRESULT result = Device->CreateVertexBuffer(bytes, usage, fvf, pool, &buffer);
    if (result != D3D_OK || buffer == nullptr)
    {
        std::fprintf(stderr, "CreateVertexBuffer of %u bytes failed (0x%08X).\n", bytes,
                     static_cast<unsigned>(result));
        return nullptr;
    }
    BYTE* target = nullptr;
    result = buffer->Lock(0, bytes, &target, 0);
    if (result != D3D_OK || target == nullptr)
    {
        std::fprintf(stderr, "Lock of a %u-byte vertex buffer failed (0x%08X).\n", bytes,
                     static_cast<unsigned>(result));
        buffer->Release();
        return nullptr;
    }
    std::memcpy(target, data, bytes);
    buffer->Unlock();
    return buffer;
}

void FillOpenBox(SceneVertex* out, float left, float right, float depth)
{
    const float top = 10;
    const SceneVertex box[30] = {
        // side at z = 0
        {left, 0, 0, 0, 0, -1, 1, 1},
        {right, 0, 0, 0, 0, -1, 0, 1},
        {left, top, 0, 0, 0, -1, 1, 0},
        {right, 0, 0, 0, 0, -1, 0, 1},
        {right, top, 0, 0, 0, -1, 0, 0},
        {left, top, 0, 0, 0, -1, 1, 0},
        // right end
        {right, 0, 0, 1, 0, 0, 1, 1},
        {right, 0, depth, 1, 0, 0, 0, 1},
        {right, top, 0, 1, 0, 0, 1, 0},
        {right, 0, depth, 1, 0, 0, 0, 1},
        {right, top, depth, 1, 0, 0, 0, 0},
        {right, top, 0, 1, 0, 0, 1, 0},
        // side at z = depth
        {left, top, depth, 0, 0, 1, 0, 0},
        {right, top, depth, 0, 0, 1, 1, 0},
        {left, 0, depth, 0, 0, 1, 0, 1},
        {right, top, depth, 0, 0, 1, 1, 0},
        {right, 0, depth, 0, 0, 1, 1, 1},
        {left, 0, depth, 0, 0, 1, 0, 1},
        // left end
        {left, 0, depth, -1, 0, 0, 1, 1},
        {left, 0, 0, -1, 0, 0, 0, 1},
        {left, top, depth, -1, 0, 0, 1, 0},
        {left, 0, 0, -1, 0, 0, 0, 1},
        {left, top, 0, -1, 0, 0, 0, 0},
        {left, top, depth, -1, 0, 0, 1, 0},
        // top
        {left, top, 0, 0, 1, 0, 0, 0},
        {right, top, 0, 0, 1, 0, 1, 0},
        {left, top, depth, 0, 1, 0, 0, 1},
        {right, top, 0, 0, 1, 0, 1, 0},
        {right, top, depth, 0, 1, 0, 1, 1},
        {left, top, depth, 0, 1, 0, 0, 1},
    };
    for (int i = 0; i < 30; ++i)
        out[i] = box[i];
}

const char* DrawSceneObject(const Matrix4& world, IDirect3DVertexBuffer8* buffer,
                            IDirect3DTexture8* texture, UINT triangles)
{
    Device->SetTransform(D3DTS_WORLD, &world);
    if (Device->SetStreamSource(0, buffer, sizeof(SceneVertex)) != D3D_OK)
        return "Set Stream Source Failed.";
    Device->SetTexture(0, texture);
    if (Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles) != D3D_OK)
        return "Draw Primitive Failed.";
    return nullptr;
}
