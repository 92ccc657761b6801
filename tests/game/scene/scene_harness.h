// A harness for tests on the real device: a private run folder holding links to the generated
// textures and models and a d3d.ini of the test's options, the game's window, and the game's own
// start-up and shutdown, plus readers of the device's record and of the picture. Used by the
// scene and platform GL tests.
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

// Writes `o` as the d3d.ini of the current folder and reads it into DisplaySettings as start-up
// does. Returns null or the text of the write or the read.
inline const char* ApplyOptions(const Options& o)
{
    const SettingsFileValues values = {0,
                                       o.width,
                                       o.height,
                                       0,
                                       static_cast<int>(o.format),
                                       static_cast<int>(o.depth),
                                       static_cast<int>(o.filter),
                                       o.hardwareVertexProcessing,
                                       o.mipMapping,
                                       o.wBuffering,
                                       static_cast<int>(o.snowLayers),
                                       o.lighting,
                                       o.srcBlendSrcColor,
                                       o.destBlendDestColor,
                                       o.destBlendSrcColor,
                                       2048,
                                       2048};
    if (const char* text = WriteSettingsFile(SettingsFileName, values))
        return text;
    DisplaySettings = DisplaySettingsRecord{};
    return ReadDisplaySettings(SettingsFileName);
}

// The number of snow layers StartGame made; a test may change the setting afterwards.
inline DWORD& LayersMade()
{
    static DWORD layers = 0;
    return layers;
}

// The focus window, made once per test program by the game's own CreateGameWindow.
inline void OpenGameWindow()
{
    if (GameWindow == nullptr)
        CreateGameWindow(GameInstance);
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

// The run state a fresh program starts with, for a test program that starts the game again.
inline void ResetRunState()
{
    DeviceResetPending = false;
    CameraOrbit = CameraOrbitState{};
    GameState = Title;
    CameraMode = 0;
    TitleShown = true;
    ShowFrameRate = false;
    Score = 0;
    Lives = StartingLives;
    SpeedFactor = 1.0f;
    for (int& digit : FrameRateDigits)
        digit = 0;
}

// The game's own start-up (StartGame) in the current folder with `o` as its d3d.ini, without the
// message box, which would wait for a click under a bare X server. Returns the first text.
inline const char* StartGame(const Options& o)
{
    if (const char* text = ApplyOptions(o))
        return text;
    OpenGameWindow();
    PumpMessages();
    ResetRunState();
    StartupOptions startup = GameStartupOptions;
    startup.inputDevices = o.inputDevices;
    const char* text = ::StartGame(startup);
    LayersMade() = SnowLayers != nullptr ? DisplaySettings.SnowLayerCount : 0;
    return text;
}

// The game's own shutdown (ReleaseAll) of what StartGame made; safe after a partial start.
inline void StopGame()
{
    DisplaySettings.SnowLayerCount = LayersMade();
    LayersMade() = 0;
    ReleaseAll();
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
