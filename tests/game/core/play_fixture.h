// A fixture shared by the game-rule tests: a fresh field, ball and bat, a clock that stands
// still (so SpeedFactor stays 1.0), and a step counter away from the drawn steps, so GameStep
// runs its rules without a device for up to 29 steps.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <standin.h>

#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/input_devices.h"
#include "game/view/camera.h"

inline DWORD StillClock()
{
    return 5000;
}

class PlayFixture : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        StandinSetClockSource(StillClock);
        FillSineTable();
        FillCosineTable();
        InitCameraRigs();
        FrameRate = 50000;
        SpeedFactor = 1.0f;
        PlaceBricks();
        ResetGame();
        BallXFree = true;
        BatPushing = false;
        CameraMode = 0;
        ShowFrameRate = false;
        StepCounter = 1;
        // All keys up and no button: every latch clears.
        memset(KeyboardState, 0, sizeof KeyboardState);
        HandleKeyboard();
        HandleMouse(DIMOUSESTATE{});
    }
    void TearDown() override { StandinSetClockSource(nullptr); }

    // Sets the keys held down for the next steps; all others are up.
    static void Hold(std::initializer_list<int> keys)
    {
        memset(KeyboardState, 0, sizeof KeyboardState);
        for (int key : keys)
            KeyboardState[key] = 0x80;
    }

    // Puts the ball in flight at (x, z) with the given per-step velocity.
    static void Fly(float x, float z, float vx, float vz)
    {
        GameState = Playing;
        GameBall.launched = 1;
        GameBall.x = x;
        GameBall.z = z;
        GameBall.vx = vx;
        GameBall.vz = vz;
    }

    // Leaves only the listed bricks standing.
    static void OnlyBricks(std::initializer_list<int> indices)
    {
        for (Brick& brick : BrickField)
            brick.alive = 0;
        for (int i : indices)
            BrickField[i].alive = 1;
    }
};
