// Helpers for the game-core tests on a real display: a private run folder with links to the
// generated assets and a d3d.ini of the test's choosing, the game's window made as WinMain makes
// it, and a guard that ends the program if start-up hangs on a message box nobody will close.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>

#include "common/settings/display_settings.h"
#include "game/core/app.h"

namespace game_window
{

// A fresh folder holding links to textures/ and models/ of the run folder; empty on failure.
inline std::string MakeRunFolder()
{
    // The links must hold an absolute path: they live in a folder of their own.
    const char* run = std::getenv("ZENDRILL_RUN_DIR");
    char here[4096];
    const std::string assets = run ? run : getcwd(here, sizeof here) ? here : ".";
    struct stat info;
    if (stat((assets + "/models/ball.x").c_str(), &info) != 0)
        return ""; // the zendrill_assets target has not been built
    char pattern[] = "/tmp/zendrill-core-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return "";
    const std::string folder = pattern;
    if (symlink((assets + "/textures").c_str(), (folder + "/textures").c_str()) != 0 ||
        symlink((assets + "/models").c_str(), (folder + "/models").c_str()) != 0)
        return "";
    return folder;
}

inline void RemoveFolder(const std::string& folder)
{
    if (!folder.empty())
        (void)!system(("rm -rf '" + folder + "'").c_str());
}

// 640 x 480 in 32 bits, linear filter with mip maps, lighting and all blends; `snow` layers.
inline SettingsFileValues Settings(int snow)
{
    return SettingsFileValues{0, 640, 480, 0, 22, 80, 1, 0, 1, 0, snow, 1, 1, 1, 1, 2048, 2048};
}

// The class and window, as WinMain registers and creates them; once per program.
inline void OpenWindow()
{
    if (GameWindow != nullptr)
        return;
    CreateGameWindow(GameInstance);
}

inline void StartUpHung(int)
{
    const char text[] = "start-up did not finish (a message box is probably waiting)\n";
    (void)!write(2, text, sizeof text - 1);
    _exit(2);
}

// InitGame, ended by force if it has not come back within a minute.
inline void GuardedInitGame()
{
    signal(SIGALRM, StartUpHung);
    alarm(60);
    InitGame();
    alarm(0);
}

} // namespace game_window
