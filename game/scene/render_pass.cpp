// The render pass: one picture of the game. Camera, clear, the scene objects in a fixed order with
// the states each needs, the snow, the title and the HUD, then present and move the light to the
// ball. A scene that has begun is always ended.
#include "game/scene/render_pass.h"

#include "game/core/app.h"
#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"
#include "game/scene/arena.h"
#include "game/scene/floor.h"
#include "game/scene/snow.h"
#include "game/view/camera.h"
#include "game/view/hud.h"
#include "game/view/title_card.h"

namespace
{
// Opaque sky blue (155, 155, 255) behind everything.
const D3DCOLOR SkyColour = 0xFF9B9BFF;

// The scene objects' failures end the game like a brick's: the first text is kept, the bricks
// after it are not drawn, the scene is still ended and nothing is presented.
void Keep(const char* text)
{
    if (ErrorText == nullptr)
        ErrorText = text;
}

void SetDestinationBlend(bool allowed, D3DBLEND blend)
{
    if (allowed)
        Device->SetRenderState(D3DRS_DESTBLEND, blend);
}

void SetStageFilters(DWORD filter)
{
    Device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    Device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    if (DisplaySettings.MipMapping)
        Device->SetTextureStageState(0, D3DTSS_MIPFILTER, filter);
}
} // namespace

const char* RenderFrame()
{
    const bool snowing = DisplaySettings.SnowLayerCount != SnowLayersNone && SnowLayers != nullptr;

    PrepareCamera();
    if (GameState == Playing && snowing)
    {
        for (DWORD i = 0; i < DisplaySettings.SnowLayerCount; ++i)
            SnowLayers[i].Fall();
    }
    ComposeView();
    Device->SetTransform(D3DTS_VIEW, &ViewTransform);
    Device->SetTransform(D3DTS_PROJECTION, &ProjectionTransform);

    if (Device->SetVertexShader(SceneVertexFormat) != D3D_OK)
        return "Set Vertex Shader Failed.";
    if (Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, SkyColour, 1.0f, 0) != D3D_OK)
        return "Clear Target Surface Failed.";
    if (Device->BeginScene() != D3D_OK)
        return "Begin Scene Failed.";

    // The floor and the ball are closed shapes seen from outside.
    Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    Keep(GameFloor.Draw());
    GameBall.Draw();
    Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

    // The arena, bricks and bat are open boxes seen from every side, blended where the adapter
    // offers the colour blend factors.
    Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    SetDestinationBlend(DisplaySettings.DestBlendSrcColor, D3DBLEND_SRCCOLOR);
    if (ErrorText == nullptr)
        Keep(GameArena.Draw());
    SetDestinationBlend(DisplaySettings.DestBlendDestColor, D3DBLEND_DESTCOLOR);
    for (int i = 0; i < BrickCount && ErrorText == nullptr; ++i)
        ErrorText = BrickField[i].Draw();
    SetDestinationBlend(DisplaySettings.DestBlendSrcColor, D3DBLEND_SRCCOLOR);
    if (ErrorText == nullptr)
        Keep(GameBat.Draw());
    SetDestinationBlend(DisplaySettings.DestBlendDestColor, D3DBLEND_DESTCOLOR);
    Device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

    // Snow: crisp flakes cut out by the alpha test rather than blended.
    if (snowing && (GameState == Playing || GameState == Paused))
    {
        SetStageFilters(D3DTEXF_POINT);
        Device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        for (DWORD i = 0; i < DisplaySettings.SnowLayerCount && ErrorText == nullptr; ++i)
            Keep(SnowLayers[i].Draw());
        Device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        SetStageFilters(TextureFilter);
    }

    // The overlay's own failures only cost their picture; the game goes on.
    if (TitleShown && GameState == Title)
    {
        // The title's black background is cut out by the alpha test. A game played with snow
        // left the test off, which would show the background as a black box.
        Device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        SetDestinationBlend(DisplaySettings.DestBlendSrcColor, D3DBLEND_SRCCOLOR);
        GameTitleCard.Draw();
        Device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        SetDestinationBlend(DisplaySettings.DestBlendDestColor, D3DBLEND_DESTCOLOR);
    }
    GameHud.Build();
    GameHud.Upload();
    GameHud.Draw();

    if (Device->EndScene() != D3D_OK)
        return "End Scene Failed.";
    if (ErrorText != nullptr)
        return ErrorText;

    const HRESULT presented = Device->Present(nullptr, nullptr, nullptr, nullptr);
    if (presented == D3DERR_DEVICELOST)
        DeviceResetPending = true; // not an error: the loop resets the device
    else if (presented != D3D_OK)
        return "Present Failed.";

    // The light follows the ball; the move shows in the next picture.
    if (DisplaySettings.Lighting)
    {
        SceneLight.Position = {GameBall.x, 0.0f, GameBall.z};
        if (Device->SetLight(0, &SceneLight) != D3D_OK)
            return "Run-Time Set Light Failed.";
    }
    ++RenderedFrames;
    return nullptr;
}
