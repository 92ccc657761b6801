// A harness for tests on the real device: a private run folder holding links to the generated
// textures and models, the game window, and the game's start-up chain from the device to the
// camera rigs (as the game runs it, without the message boxes, which would wait for a click under
// a bare X server), plus the matching shutdown. Used by the scene and platform GL tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <standin.h>
#include <windows.h>

#include "game/core/app.h"
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
#include "game/scene/render_pass.h"
#include "game/scene/snow.h"
#include "game/view/camera.h"
#include "game/view/hud.h"
#include "game/view/title_card.h"

namespace harness
{
// The folder the build generates textures/ and models/ into; the GL tests start in it.
inline std::string AssetFolder()
{
    const char* run = std::getenv("ZENDRILL_RUN_DIR");
    if (run != nullptr)
        return run;
    char here[4096];
    return getcwd(here, sizeof here) != nullptr ? here : ".";
}

// The run folders this program made, removed (links and all) when it ends.
struct RunFolders
{
    std::vector<std::string> made;
    ~RunFolders()
    {
        for (const std::string& root : made)
        {
            for (const char* sub : {"/textures", ""})
            {
                const std::string folder = root + sub;
                if (DIR* dir = opendir(folder.c_str()))
                {
                    while (dirent* entry = readdir(dir))
                        if (entry->d_type == DT_LNK)
                            unlink((folder + "/" + entry->d_name).c_str());
                    closedir(dir);
                }
            }
            rmdir((root + "/textures").c_str());
            rmdir(root.c_str());
        }
    }
};
inline RunFolders& MadeFolders()
{
    static RunFolders folders;
    return folders;
}

// Makes a fresh folder, links every asset into it except the texture files named in `missing`,
// and makes it the working directory, so tests never touch the shared run folder.
inline std::string EnterRunFolder(const std::set<std::string>& missing = {})
{
    static const std::string assets = AssetFolder();
    char pattern[] = "/tmp/zendrill-scene-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (folder == nullptr)
        return "";
    const std::string root = folder;
    MadeFolders().made.push_back(root);
    mkdir((root + "/textures").c_str(), 0755);
    if (symlink((assets + "/models").c_str(), (root + "/models").c_str()) != 0)
        return "";
    DIR* dir = opendir((assets + "/textures").c_str());
    if (dir == nullptr)
        return "";
    while (dirent* entry = readdir(dir))
    {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || missing.count(name) != 0)
            continue;
        if (symlink((assets + "/textures/" + name).c_str(), (root + "/textures/" + name).c_str()) !=
            0)
            return "";
    }
    closedir(dir);
    if (chdir(root.c_str()) != 0)
        return "";
    return root;
}

struct Options
{
    UINT width = 640;
    UINT height = 480;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    D3DFORMAT depth = D3DFMT_D16;
    DWORD filter = 1;
    bool hardwareVertexProcessing = true;
    bool mipMapping = true;
    bool wBuffering = false;
    DWORD snowLayers = 0;
    bool lighting = true;
    bool srcBlendSrcColor = true;
    bool destBlendDestColor = true;
    bool destBlendSrcColor = true;
    bool inputDevices = false; // the reset re-acquires them
};

inline void ApplyOptions(const Options& o)
{
    DisplaySettings = DisplaySettingsRecord{};
    DisplaySettings.Adapter = 0;
    DisplaySettings.DisplayMode.Width = o.width;
    DisplaySettings.DisplayMode.Height = o.height;
    DisplaySettings.DisplayMode.RefreshRate = 0;
    DisplaySettings.DisplayMode.Format = o.format;
    DisplaySettings.DepthStencilFormat = o.depth;
    DisplaySettings.FilterMethod = o.filter;
    DisplaySettings.HardwareVertexProcessing = o.hardwareVertexProcessing;
    DisplaySettings.MipMapping = o.mipMapping;
    DisplaySettings.WBuffering = o.wBuffering;
    DisplaySettings.SnowLayerCount = o.snowLayers;
    DisplaySettings.Lighting = o.lighting;
    DisplaySettings.SrcBlendSrcColor = o.srcBlendSrcColor;
    DisplaySettings.DestBlendDestColor = o.destBlendDestColor;
    DisplaySettings.DestBlendSrcColor = o.destBlendSrcColor;
}

// The number of snow layers StartGame made; a test may change the setting afterwards.
inline DWORD& LayersMade()
{
    static DWORD layers = 0;
    return layers;
}

inline LRESULT CALLBACK HarnessWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The focus window, made once per test program as the game makes it.
inline void OpenGameWindow()
{
    if (GameWindow != nullptr)
        return;
    static WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = HarnessWindowProc;
    windowClass.hInstance = GameInstance;
    windowClass.lpszClassName = "DXClass";
    RegisterClassA(&windowClass);
    GameWindow = CreateWindowExA(0, "DXClass", "D3D Zendrill", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                 nullptr, nullptr, GameInstance, nullptr);
    ShowWindow(GameWindow, SW_SHOWNORMAL);
}

// Lets the window see its pending events (focus, showing), as the game's loop would.
inline void PumpMessages()
{
    MSG message;
    for (int i = 0; i < 200 && PeekMessageA(&message, GameWindow, 0, 0, PM_REMOVE); ++i)
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The game's start-up from the device on, in the game's order. Returns the first text.
inline const char* StartGame(const Options& o)
{
    ApplyOptions(o);
    OpenGameWindow();
    PumpMessages();
    ErrorText = nullptr;
    DeviceResetPending = false;
    FillSineTable();
    FillCosineTable();
    if (const char* text = CreateDisplayDevice())
        return text;
    if (o.inputDevices)
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
    if (DisplaySettings.SnowLayerCount != 0)
        SnowLayers =
            static_cast<SnowLayer*>(std::calloc(DisplaySettings.SnowLayerCount, sizeof(SnowLayer)));
    LayersMade() = SnowLayers != nullptr ? DisplaySettings.SnowLayerCount : 0;
    BuildArenaVertices();
    GameArena.Create();
    BuildFloorVertices();
    if (const char* text = GameFloor.Create())
        return text;
    BuildBrickVertices();
    PlaceBricks();
    BuildBatVertices();
    GameBat.Create(300, 420);
    if (const char* text = GameBall.Create())
        return text;
    for (UINT i = 0; i < DisplaySettings.SnowLayerCount; ++i)
    {
        BuildSnowVertices();
        SnowLayers[i].Create(i);
    }
    GameTitleCard.Build();
    GameTitleCard.Create();
    CameraRigs[0].Init(-320, -400, -500, 11500, 0, 9000, 60);
    CameraRigs[1].Init(-320, -450, -500, 11500, 0, 9000, 60);
    CameraRigs[2].Init(-320, -500, -500, 11500, 0, 9000, 60);
    CameraRigs[3].Init(-320, -500, -500, 11500, 0, 9000, 60);
    CameraOrbit = CameraOrbitState{};
    GameState = Title;
    CameraMode = 0;
    TitleShown = true;
    ShowFrameRate = false;
    Score = 0;
    Lives = 5;
    SpeedFactor = 1.0f;
    for (int& digit : FrameRateDigits)
        digit = 0;
    return nullptr;
}

// The game's shutdown order for what StartGame made; safe after a partial start.
inline void StopGame()
{
    for (Brick& brick : BrickField)
        brick.Release();
    if (SnowLayers != nullptr)
    {
        for (DWORD i = 0; i < LayersMade(); ++i)
            SnowLayers[i].Release();
    }
    GameArena.Release();
    GameBall.Release();
    GameFloor.Release();
    GameBat.Release();
    GameTitleCard.Release();
    GameHud.Release();
    std::free(SnowLayers);
    SnowLayers = nullptr;
    for (SceneVertex** array :
         {&BrickTemplate, &BatVertices, &ArenaVertices, &FloorVertices, &FlakeVertices})
    {
        std::free(*array);
        *array = nullptr;
    }
    ReleaseTextures();
    ReleaseDisplayDevice();
    ReleaseInputDevices();
    ErrorText = nullptr;
}

// ---- Reading the device's record ----

struct Call
{
    std::string name;
    DWORD arg[4];
    const void* object;
    HRESULT result;
};

inline std::vector<Call> TakeTrace()
{
    std::vector<Call> calls;
    const UINT count = D3D8TraceCount(Device);
    for (UINT i = 0; i < count; ++i)
    {
        const D3D8TraceEntry* entry = D3D8TraceGet(Device, i);
        calls.push_back({entry->Call,
                         {entry->Arg[0], entry->Arg[1], entry->Arg[2], entry->Arg[3]},
                         entry->Object,
                         entry->Result});
    }
    D3D8TraceStop(Device);
    return calls;
}

// ---- Reading the picture ----

struct Picture
{
    UINT width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline Picture ReadPicture()
{
    Picture picture;
    picture.width = DisplaySettings.DisplayMode.Width;
    picture.height = DisplaySettings.DisplayMode.Height;
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
    D3D8ReadBackBuffer(Device, picture.pixels.data(), picture.width, picture.height);
    return picture;
}

inline int Red(DWORD c)
{
    return (c >> 16) & 0xFF;
}
inline int Green(DWORD c)
{
    return (c >> 8) & 0xFF;
}
inline int Blue(DWORD c)
{
    return c & 0xFF;
}
inline int Distance(DWORD a, DWORD b)
{
    return std::abs(Red(a) - Red(b)) + std::abs(Green(a) - Green(b)) + std::abs(Blue(a) - Blue(b));
}

// Writes a picture as a binary PPM for a person to look at when a check fails.
inline void SavePicture(const Picture& picture, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return;
    std::fprintf(file, "P6\n%u %u\n255\n", picture.width, picture.height);
    for (DWORD c : picture.pixels)
    {
        const unsigned char rgb[3] = {static_cast<unsigned char>(Red(c)),
                                      static_cast<unsigned char>(Green(c)),
                                      static_cast<unsigned char>(Blue(c))};
        std::fwrite(rgb, 1, 3, file);
    }
    std::fclose(file);
}

// Where the current camera puts a world point on the back buffer, in pixels.
inline POINT Project(float x, float y, float z)
{
    const Matrix4 m = MultiplyMatrices(ProjectionTransform, ViewTransform);
    const float cx = x * m._11 + y * m._21 + z * m._31 + m._41;
    const float cy = x * m._12 + y * m._22 + z * m._32 + m._42;
    const float cw = x * m._14 + y * m._24 + z * m._34 + m._44;
    const float width = static_cast<float>(DisplaySettings.DisplayMode.Width);
    const float height = static_cast<float>(DisplaySettings.DisplayMode.Height);
    POINT p;
    p.x = static_cast<LONG>((cx / cw + 1.0f) * 0.5f * width);
    p.y = static_cast<LONG>((1.0f - cy / cw) * 0.5f * height);
    return p;
}
} // namespace harness
