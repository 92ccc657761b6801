// The title card: the title picture as one screen-space quad over the scene on the title screen.
// Its black background is made transparent by the texture's colour key.
#include "game/view/title_card.h"

#include <cstdlib>

#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"
#include "game/platform/texture_set.h"
#include "game/view/screen_quad.h"

// Live from start-up to shutdown.
TitleCard GameTitleCard;

namespace
{
const int TitleVertexCount = 6;
const UINT TitleBytes = TitleVertexCount * sizeof(ScreenVertex);
} // namespace

void TitleCard::Build()
{
    if (vertices == nullptr)
        vertices = static_cast<ScreenVertex*>(std::calloc(TitleVertexCount, sizeof(ScreenVertex)));
    if (vertices == nullptr)
        return; // the buffer is then not created and the draw reports it
    const float width = static_cast<float>(DisplaySettings.DisplayMode.Width);
    const float height = static_cast<float>(DisplaySettings.DisplayMode.Height);
    // The side margins follow the height and the vertical placement the width, which keeps the
    // picture's proportions on the 4:3 modes it was drawn for.
    const float margin = height * 0.16666667f;
    const float top = width * 0.06666667f;
    PutScreenQuad(vertices, margin, top, width - margin, 3.0f * top, 0.0f, 1.0f);
}

void TitleCard::Create()
{
    world = IdentityMatrix();
    texture = TextureSet.Title;
    vertexBuffer = CreateStaticBuffer(vertices, TitleBytes, ScreenVertexFormat);
}

const char* TitleCard::Draw()
{
    Device->SetVertexShader(ScreenVertexFormat);
    Device->SetTransform(D3DTS_WORLD, &world);
    if (Device->SetStreamSource(0, vertexBuffer, sizeof(ScreenVertex)) != D3D_OK)
        return "Set Stream Source Failed.";
    Device->SetTexture(0, texture);
    if (Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2) != D3D_OK)
        return "Draw Primitive Failed.";
    Device->SetVertexShader(SceneVertexFormat);
    return nullptr;
}

void TitleCard::Release()
{
    if (vertexBuffer != nullptr)
    {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    std::free(vertices);
    vertices = nullptr;
}
