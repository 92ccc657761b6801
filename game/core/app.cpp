// The game's shell: the window procedure, the error channel, the start-up chain in its fixed
// order, the main loop with the device-reset path, and the shutdown order.
#include "game/core/app.h"

#include <cstdlib>
#include <initializer_list>

#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/device_reset.h"
#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"
#include "game/platform/input_devices.h"
#include "game/platform/texture_set.h"
#include "game/scene/arena.h"
#include "game/scene/floor.h"
#include "game/scene/snow.h"
#include "game/view/camera.h"
#include "game/view/hud.h"
#include "game/view/matrix.h"
#include "game/view/title_card.h"

const StartupOptions GameStartupOptions = {SettingsFileName, true};

// Live for the whole run.
const char* ErrorText = nullptr;
bool DeviceResetPending = false;
HWND GameWindow = nullptr;
HINSTANCE GameInstance = nullptr;

namespace
{

// How long the loop rests between questions while the device stays lost, at most: short enough
// that a game brought back is drawn again at once, long enough to cost nothing meanwhile.
const DWORD LostDeviceWaitMs = 50;

// The steps of start-up up to the first one whose failure stops the chain. Returns that text, or
// null once the chain has run to its end (the floor and ball loads only record their failure).
const char* RunStartupChain(const StartupOptions& options)
{
    FillSineTable();
    FillCosineTable();
    if (const char* text = ReadDisplaySettings(options.settingsFile))
        return text;
    if (const char* text = CreateDisplayDevice())
        return text;
    if (options.inputDevices)
    {
        if (const char* text = CreateInputDevices())
            return text;
    }
    if (const char* text = LoadTextures())
        return text;
    if (const char* text = ApplyFixedState())
        return text;

    GameHud.Build();
    GameHud.Create();

    const DWORD layers = AllocateSnowLayers();

    BuildArenaVertices();
    GameArena.Create();
    BuildFloorVertices();
    if (ErrorText == nullptr)
        ErrorText = GameFloor.Create();
    BuildBrickVertices();
    PlaceBricks();
    BuildBatVertices();
    GameBat.Create(BatStartX, BatStartZ);
    if (ErrorText == nullptr)
        ErrorText = GameBall.Create();
    for (UINT i = 0; i < layers; ++i)
    {
        BuildSnowVertices();
        SnowLayers[i].Create(i);
    }
    GameTitleCard.Build();
    GameTitleCard.Create();
    InitCameraRigs();
    ShowCursor(FALSE);
    SetCursorPos(200, 200);
    return ErrorText;
}

// Shows a fatal text in a box owned by the game window and asks the window to close.
void ReportFatal(const char* text, const char* caption)
{
    MessageBoxA(GameWindow, text, caption, MB_ICONERROR);
    PostMessageA(GameWindow, WM_DESTROY, 0, 0);
}

} // namespace

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool CreateGameWindow(HINSTANCE instance)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "D3D_Zendrill.ico");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "DXClass";
    if (!RegisterClassA(&windowClass))
        return false;
    HWND hwnd = CreateWindowExA(0, "DXClass", "D3D Zendrill", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr)
        return false;
    GameWindow = hwnd;
    GameInstance = instance;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    return true;
}

const char* StartGame(const StartupOptions& options)
{
    // The floor and ball loads look at ErrorText to know whether an earlier load failed.
    ErrorText = nullptr;
    ErrorText = RunStartupChain(options);
    return ErrorText;
}

void InitGame()
{
    if (StartGame(GameStartupOptions) != nullptr)
        ReportFatal(ErrorText, "Fatal Error!");
    // The clock starts in every case; the loop does not run after a failure anyway.
    StartFrameClock();
}

int RunMainLoop()
{
    MSG msg = {};
    for (;;)
    {
        // At most one message per iteration, then one step, with no wait while the game runs.
        if (PeekMessageA(&msg, GameWindow, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (DeviceResetPending)
        {
            // A lost device is waited out here instead of running game steps.
            ErrorText = ResetDevice();
            if (ErrorText != nullptr)
                ReportFatal(ErrorText, "Reset Error");
            else if (DeviceResetPending)
                // Still lost: the window is away and nothing can be drawn, so rest until the
                // window system has news (the window coming back is a message) or a short while
                // has passed, instead of asking again at once and burning a core in the
                // background.
                MsgWaitForMultipleObjects(0, nullptr, FALSE, LostDeviceWaitMs, QS_ALLINPUT);
        }
        else if (GameState == Title || GameState == Playing || GameState == Paused)
        {
            ErrorText = GameStep();
            if (ErrorText != nullptr)
                ReportFatal(ErrorText, "Run-Time Error");
        }
        // The WM_DESTROY just posted is never dispatched: the program ends on the error.
        if (ErrorText != nullptr)
            return 1;
    }
}

void ReleaseAll()
{
    for (Brick& brick : BrickField)
        brick.Release();
    ReleaseSnowLayers();
    GameArena.Release();
    GameBall.Release();
    GameFloor.Release();
    GameBat.Release();
    GameTitleCard.Release();
    GameHud.Release();

    // The vertex arrays the builders allocated.
    for (SceneVertex** array :
         {&BrickTemplate, &BatVertices, &ArenaVertices, &FloorVertices, &FlakeVertices})
    {
        std::free(*array);
        *array = nullptr;
    }

    ReleaseTextures();
    ReleaseDisplayDevice();
    ReleaseInputDevices();
    ShowCursor(TRUE);
}
