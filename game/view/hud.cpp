// The HUD: fifteen screen-space quads in one buffer, rebuilt and uploaded on every drawn frame:
// the frame-rate digits, the score digits, the camera indicator, the life icons and the PAUSED
// picture. Which of them are drawn depends on the game state and the frame-rate switch.
#include "game/view/hud.h"

#include <cstdlib>
#include <cstring>

#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"
#include "game/platform/texture_set.h"
#include "game/view/screen_quad.h"

// Live from start-up to shutdown.
Hud GameHud;

namespace
{
const UINT HudBytes = HudVertexCount * sizeof(ScreenVertex);
// First vertices of the quad groups in the buffer.
const UINT FrameRateFirst = 0;
const UINT ScoreFirst = 24;
const UINT CameraFirst = 48;
const UINT LifeFirst = 54;
const UINT PausedFirst = 84;
const int MaxLifeIcons = 5;

const float DigitCell = 0.1f;   // DIGITS.bmp: ten cells, 0 to 9 from the left
const float CameraCell = 0.25f; // CAMERAS.bmp: four cells, one per rig
} // namespace

void Hud::Build()
{
    if (vertices == nullptr)
        vertices = static_cast<ScreenVertex*>(std::calloc(HudVertexCount, sizeof(ScreenVertex)));
    if (vertices == nullptr)
        return; // the buffer is then not created and the draw reports it

    SplitFourDigits(Score, ScoreDigits);

    const float width = static_cast<float>(DisplaySettings.DisplayMode.Width);
    const float height = static_cast<float>(DisplaySettings.DisplayMode.Height);
    const float cellWidth = width * 0.02f;
    const float cellHeight = height * 0.025f;

    // Frame-rate digits in the top-left corner.
    for (int k = 0; k < 4; ++k)
    {
        const float u = FrameRateDigits[k] * DigitCell;
        PutScreenQuad(vertices + FrameRateFirst + 6 * k, k * cellWidth, 0.0f, (k + 1) * cellWidth,
                      cellHeight, u, u + DigitCell);
    }
    // Score digits centred at the top edge.
    const float scoreLeft = width * 0.5f - (cellWidth + cellWidth);
    for (int k = 0; k < 4; ++k)
    {
        const float u = ScoreDigits[k] * DigitCell;
        PutScreenQuad(vertices + ScoreFirst + 6 * k, scoreLeft + k * cellWidth, 0.0f,
                      scoreLeft + (k + 1) * cellWidth, cellHeight, u, u + DigitCell);
    }
    // Camera indicator in the top-right corner, two and a half cells wide.
    const float cameraU = CameraMode * CameraCell;
    PutScreenQuad(vertices + CameraFirst, width - width * 0.05f, 0.0f, width, cellHeight, cameraU,
                  cameraU + CameraCell);
    // Life icons along the bottom edge from the left.
    for (int k = 0; k < MaxLifeIcons; ++k)
        PutScreenQuad(vertices + LifeFirst + 6 * k, k * cellWidth, height - height * 0.025f,
                      (k + 1) * cellWidth, height, 0.0f, 1.0f);
    // The PAUSED picture in the middle of the screen.
    PutScreenQuad(vertices + PausedFirst, width * 0.5f - width * 0.05f,
                  height * 0.5f - height * 0.025f, width * 0.05f + width * 0.5f,
                  height * 0.5f + height * 0.025f, 0.0f, 1.0f);
}

void Hud::Create()
{
    world = IdentityMatrix();
    vertexBuffer = CreateStaticBuffer(vertices, HudBytes, ScreenVertexFormat);
}

void Hud::Upload()
{
    // Without a buffer or vertices there is nothing to copy; the draw then reports the buffer.
    if (vertexBuffer == nullptr || vertices == nullptr)
        return;
    BYTE* target = nullptr;
    if (vertexBuffer->Lock(0, HudBytes, &target, 0) != D3D_OK || target == nullptr)
        return; // the previous frame's vertices stay
    std::memcpy(target, vertices, HudBytes);
    vertexBuffer->Unlock();
}

const char* Hud::Draw()
{
    Device->SetVertexShader(ScreenVertexFormat);
    Device->SetTransform(D3DTS_WORLD, &world);
    if (Device->SetStreamSource(0, vertexBuffer, sizeof(ScreenVertex)) != D3D_OK)
        return "Set Stream Source Failed.";
    if (ShowFrameRate)
    {
        Device->SetTexture(0, TextureSet.Digits);
        if (Device->DrawPrimitive(D3DPT_TRIANGLELIST, FrameRateFirst, 8) != D3D_OK)
            return "Draw Primitive Failed.";
    }
    if (GameState == Playing)
    {
        Device->SetTexture(0, TextureSet.Digits);
        if (Device->DrawPrimitive(D3DPT_TRIANGLELIST, ScoreFirst, 8) != D3D_OK)
            return "Draw Primitive Failed.";
        Device->SetTexture(0, TextureSet.Cameras);
        if (Device->DrawPrimitive(D3DPT_TRIANGLELIST, CameraFirst, 2) != D3D_OK)
            return "Draw Primitive Failed.";
        // Only the icons the buffer holds: a count outside 0..5 must not draw past them.
        int icons = Lives;
        if (icons > MaxLifeIcons)
            icons = MaxLifeIcons;
        if (icons > 0)
        {
            Device->SetTexture(0, TextureSet.Life);
            if (Device->DrawPrimitive(D3DPT_TRIANGLELIST, LifeFirst, 2 * icons) != D3D_OK)
                return "Draw Primitive Failed.";
        }
    }
    if (GameState == Paused)
    {
        Device->SetTexture(0, TextureSet.Paused);
        if (Device->DrawPrimitive(D3DPT_TRIANGLELIST, PausedFirst, 2) != D3D_OK)
            return "Draw Primitive Failed.";
    }
    Device->SetVertexShader(SceneVertexFormat);
    return nullptr;
}

void Hud::Release()
{
    if (vertexBuffer != nullptr)
    {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    std::free(vertices);
    vertices = nullptr;
}
