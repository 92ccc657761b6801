// Tests of start-up and shutdown on the real device: InitGame builds everything in a folder with
// a d3d.ini and the generated assets, hides the cursor and starts the clock; the first step draws
// a frame; ReleaseAll gives everything back. A hand-edited snow layer count is capped where the
// layers are allocated, and the settings the setup tool writes are kept exactly.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include <standin.h>
#include <windows.h>

#include "game/core/app.h"
#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"
#include "game/platform/input_devices.h"
#include "game/platform/texture_set.h"
#include "game/scene/arena.h"
#include "game/scene/floor.h"
#include "game/scene/snow.h"
#include "game/view/camera.h"
#include "game/view/hud.h"
#include "game/view/title_card.h"

#include "game_window.h"

namespace
{

DWORD StartClock()
{
    return 424242;
}

// The cursor's display count, read without changing it.
int CursorCount()
{
    const int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return count;
}

class StartupTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        folder = game_window::MakeRunFolder();
        ASSERT_FALSE(folder.empty()) << "no run folder: build the zendrill_assets target";
        ASSERT_EQ(chdir(folder.c_str()), 0);
        StandinSetClockSource(StartClock);
        game_window::OpenWindow();
        ASSERT_NE(GameWindow, nullptr);
    }
    void TearDown() override
    {
        ReleaseAll();
        StandinSetClockSource(nullptr);
        (void)!chdir("/");
        game_window::RemoveFolder(folder);
    }

    // Writes d3d.ini with the settings writer (game_window::Settings, `snow` layers) and starts
    // the game.
    void Start(int snow)
    {
        ASSERT_EQ(WriteSettingsFile(SettingsFileName, game_window::Settings(snow)), nullptr);
        StartWritten();
    }

    // The same file with a snow count beyond any the setup tool's line holds (it writes an int),
    // as a hand-edited file can have it: the writer's lines with line 11 replaced.
    void StartWithSnowLine(const std::string& snow)
    {
        char text[SettingsFileLineCount * 24];
        ASSERT_GT(FormatSettingsText(game_window::Settings(0), "\n", text, sizeof text), 0);
        std::istringstream written(text);
        std::string line, lines;
        for (int number = 1; std::getline(written, line); ++number)
            lines += (number > 1 ? "\n" : "") + (number == 11 ? snow : line);
        std::ofstream(SettingsFileName) << lines;
        StartWritten();
    }

    void StartWritten()
    {
        DisplaySettings = DisplaySettingsRecord{};
        ErrorText = nullptr;
        game_window::GuardedInitGame();
        ASSERT_EQ(ErrorText, nullptr) << ErrorText;
    }

    std::string folder;
};

TEST_F(StartupTest, StartUpBuildsEverythingAndShutdownGivesItBack)
{
    const int cursorBefore = CursorCount();
    Start(25);
    EXPECT_EQ(DisplaySettings.DisplayMode.Width, 640u);
    EXPECT_EQ(DisplaySettings.DisplayMode.Format, D3DFMT_X8R8G8B8);
    EXPECT_NE(Direct3D, nullptr);
    EXPECT_NE(Device, nullptr);
    EXPECT_NE(KeyboardDevice, nullptr);
    EXPECT_NE(MouseDevice, nullptr);
    EXPECT_NE(TextureSet.Block[5], nullptr);
    EXPECT_NE(GameArena.vertexBuffer, nullptr);
    EXPECT_NE(GameFloor.mesh, nullptr);
    EXPECT_NE(GameHud.vertexBuffer, nullptr);
    EXPECT_NE(GameTitleCard.vertexBuffer, nullptr);

    // Every brick has its own buffer and the picture of its row's type.
    for (int i = 0; i < BrickCount; ++i)
    {
        EXPECT_NE(BrickField[i].vertexBuffer, nullptr) << i;
        EXPECT_EQ(BrickField[i].texture, TextureSet.Block[5 - i / 15]) << i;
    }
    EXPECT_EQ(GameBat.leftX, 300.0f);
    EXPECT_EQ(GameBat.nearZ, 420.0f);
    EXPECT_NE(GameBat.vertexBuffer, nullptr);
    EXPECT_EQ(GameBall.x, 320.0f);
    EXPECT_EQ(GameBall.z, 417.0f);
    EXPECT_NE(GameBall.mesh, nullptr);
    ASSERT_NE(SnowLayers, nullptr);
    for (int i = 0; i < 25; ++i)
        EXPECT_NE(SnowLayers[i].vertexBuffer, nullptr) << i;
    EXPECT_EQ(CameraRigs[1].offsetY, -450.0f);
    EXPECT_EQ(CameraRigs[3].angleX, 11500);
    EXPECT_EQ(CameraRigs[2].angleZ, 9000);
    EXPECT_EQ(CursorCount(), cursorBefore - 1);
    EXPECT_EQ(FrameSampleTime, 424242u);

    // The first step draws and presents a frame.
    StepCounter = 0;
    const DWORD frames = RenderedFrames;
    ASSERT_EQ(GameStep(), nullptr);
    EXPECT_EQ(RenderedFrames, frames + 1);

    ReleaseAll();
    EXPECT_EQ(Device, nullptr);
    EXPECT_EQ(Direct3D, nullptr);
    EXPECT_EQ(DirectInput, nullptr);
    EXPECT_EQ(KeyboardDevice, nullptr);
    EXPECT_EQ(MouseDevice, nullptr);
    EXPECT_EQ(TextureSet.Ball, nullptr);
    EXPECT_EQ(TextureSet.Block[0], nullptr);
    EXPECT_EQ(SnowLayers, nullptr);
    EXPECT_EQ(BrickTemplate, nullptr);
    EXPECT_EQ(BatVertices, nullptr);
    EXPECT_EQ(ArenaVertices, nullptr);
    EXPECT_EQ(FloorVertices, nullptr);
    EXPECT_EQ(FlakeVertices, nullptr);
    EXPECT_EQ(BrickField[89].vertexBuffer, nullptr);
    EXPECT_EQ(GameBall.mesh, nullptr);
    EXPECT_EQ(GameBat.vertexBuffer, nullptr);
    EXPECT_EQ(GameFloor.mesh, nullptr);
    EXPECT_EQ(GameHud.vertices, nullptr);
    EXPECT_EQ(GameTitleCard.vertices, nullptr);
    EXPECT_EQ(CursorCount(), cursorBefore);
}

TEST_F(StartupTest, SnowLayerCountIsCappedWhereTheLayersAreMade)
{
    // 4000000000 layers would be a quarter of a terabyte of records: capped at 100.
    StartWithSnowLine("4000000000");
    EXPECT_EQ(DisplaySettings.SnowLayerCount, 100u);
    ASSERT_NE(SnowLayers, nullptr);
    EXPECT_NE(SnowLayers[99].vertexBuffer, nullptr);
    // All hundred fall and are drawn in a frame of play.
    GameState = Playing;
    StepCounter = 0;
    ASSERT_EQ(GameStep(), nullptr);
    ReleaseAll();

    // The counts the setup tool writes are kept as they are.
    for (DWORD count : {0u, 8u, 12u, 25u, 100u})
    {
        Start(static_cast<int>(count));
        EXPECT_EQ(DisplaySettings.SnowLayerCount, count);
        EXPECT_EQ(SnowLayers == nullptr, count == 0);
        ReleaseAll();
    }
    Start(101);
    EXPECT_EQ(DisplaySettings.SnowLayerCount, 100u);
}

} // namespace
