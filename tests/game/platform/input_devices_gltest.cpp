// Tests of the input devices on a real X display (the foreground devices need a window with
// focus): creation and release, Escape posting WM_DESTROY on every step, a failed mouse read
// counting as no motion, and the devices working again after the window lost and regained focus.
#include <gtest/gtest.h>

#include <cstring>

#include <standin.h>
#include <windows.h>

#include "game/core/app.h"
#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/input_devices.h"
#include "game/view/camera.h"

namespace
{

// What the stand-in's sources hand to the devices.
BYTE GivenKeys[256];
HRESULT KeyboardResult = DI_OK;
DIMOUSESTATE GivenMouse;
HRESULT MouseResult = DI_OK;
int MouseReads = 0;

HRESULT GiveKeys(BYTE keys[256])
{
    memcpy(keys, GivenKeys, sizeof GivenKeys);
    return KeyboardResult;
}

HRESULT GiveMouse(void* state)
{
    ++MouseReads;
    memcpy(state, &GivenMouse, sizeof GivenMouse);
    return MouseResult;
}

DWORD StillClock()
{
    return 1000;
}

class InputDevicesTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { CreateGameWindow(nullptr); }

    void SetUp() override
    {
        ASSERT_NE(GameWindow, nullptr);
        memset(GivenKeys, 0, sizeof GivenKeys);
        GivenMouse = DIMOUSESTATE{};
        KeyboardResult = MouseResult = DI_OK;
        MouseReads = 0;
        StandinSetKeyboardSource(GiveKeys);
        StandinSetMouseSource(GiveMouse);
        StandinSetClockSource(StillClock);
        Drain();
        const char* text = CreateInputDevices();
        ASSERT_EQ(text, nullptr) << text;
    }
    void TearDown() override
    {
        ReleaseInputDevices();
        StandinSetKeyboardSource(nullptr);
        StandinSetMouseSource(nullptr);
        StandinSetClockSource(nullptr);
    }

    // Fetches and dispatches every waiting message; counts WM_DESTROY and notes WM_QUIT.
    static int Drain(bool* quit = nullptr)
    {
        int destroys = 0;
        MSG msg;
        for (int i = 0; i < 1000 && PeekMessageA(&msg, GameWindow, 0, 0, PM_REMOVE); ++i)
        {
            if (msg.message == WM_QUIT)
            {
                if (quit != nullptr)
                    *quit = msg.wParam == 0;
                continue;
            }
            if (msg.message == WM_DESTROY)
                ++destroys;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return destroys;
    }

    // A game in play, on a step that draws no frame (there is no display device here).
    static void StartPlaying()
    {
        FillSineTable();
        FillCosineTable();
        InitCameraRigs();
        ResetGame();
        GameState = Playing;
        StepCounter = 1;
        SpeedFactor = 1.0f;
    }
};

TEST_F(InputDevicesTest, DevicesAreCreatedAcquiredAndReleased)
{
    ASSERT_NE(DirectInput, nullptr);
    ASSERT_NE(KeyboardDevice, nullptr);
    ASSERT_NE(MouseDevice, nullptr);
    GivenKeys[DIK_SPACE] = 0x80;
    memset(KeyboardState, 0, sizeof KeyboardState);
    EXPECT_EQ(KeyboardDevice->GetDeviceState(sizeof KeyboardState, KeyboardState), DI_OK);
    EXPECT_EQ(KeyboardState[DIK_SPACE], 0x80);
    DIMOUSESTATE mouse = {};
    GivenMouse.lX = -3;
    EXPECT_EQ(MouseDevice->GetDeviceState(sizeof mouse, &mouse), DI_OK);
    EXPECT_EQ(mouse.lX, -3);
    // A keyboard that never lost its input needs nothing.
    EXPECT_EQ(ReacquireKeyboard(), nullptr);

    ReleaseInputDevices();
    EXPECT_EQ(DirectInput, nullptr);
    EXPECT_EQ(KeyboardDevice, nullptr);
    EXPECT_EQ(MouseDevice, nullptr);
    ReleaseInputDevices(); // nothing left: harmless
}

TEST_F(InputDevicesTest, HeldEscapePostsADestroyOnEveryStepAndTheQuitFollows)
{
    StartPlaying();
    GivenKeys[DIK_ESCAPE] = 0x80;
    ASSERT_EQ(GameStep(), nullptr);
    ASSERT_EQ(GameStep(), nullptr);
    ASSERT_EQ(GameStep(), nullptr);
    bool quit = false;
    EXPECT_EQ(Drain(&quit), 3);
    EXPECT_TRUE(quit) << "WM_DESTROY reached the window procedure but no WM_QUIT with 0 came";
    GivenKeys[DIK_ESCAPE] = 0;
    ASSERT_EQ(GameStep(), nullptr);
    EXPECT_EQ(Drain(), 0);
}

TEST_F(InputDevicesTest, FailedMouseReadGivesNoMotionAndNoButton)
{
    StartPlaying();
    GivenMouse.lX = -14;
    ASSERT_EQ(GameStep(), nullptr);
    EXPECT_NEAR(GameBat.leftX, 310.0f, 1e-4f);

    // The device fails with motion and a button in its buffer: neither may count, nor may the
    // last good reading be used again.
    GivenMouse.rgbButtons[0] = 0x80;
    MouseResult = DIERR_INPUTLOST;
    ASSERT_EQ(GameStep(), nullptr);
    EXPECT_NEAR(GameBat.leftX, 310.0f, 1e-4f);
    EXPECT_EQ(GameBall.launched, 0);
    EXPECT_EQ(MouseReads, 2);

    MouseResult = DI_OK;
    ASSERT_EQ(GameStep(), nullptr);
    EXPECT_EQ(GameBall.launched, 1);
}

TEST_F(InputDevicesTest, DevicesWorkAgainAfterTheFocusCameBack)
{
    // The player switches away: the foreground devices lose their input.
    StandinSetWindowFocus(GameWindow, FALSE);
    BYTE keys[256];
    DIMOUSESTATE mouse = {};
    EXPECT_NE(KeyboardDevice->GetDeviceState(sizeof keys, keys), DI_OK);
    EXPECT_NE(MouseDevice->GetDeviceState(sizeof mouse, &mouse), DI_OK);

    // Back in front, the device reset re-acquires both.
    StandinSetWindowFocus(GameWindow, TRUE);
    Drain();
    EXPECT_EQ(ReacquireKeyboard(), nullptr);
    ReacquireMouse();
    GivenKeys[DIK_P] = 0x80;
    GivenMouse.lX = 9;
    EXPECT_EQ(KeyboardDevice->GetDeviceState(sizeof keys, keys), DI_OK);
    EXPECT_EQ(keys[DIK_P], 0x80);
    EXPECT_EQ(MouseDevice->GetDeviceState(sizeof mouse, &mouse), DI_OK);
    EXPECT_EQ(mouse.lX, 9);
    // Once more, with both already acquired: still no failure.
    EXPECT_EQ(ReacquireKeyboard(), nullptr);
    ReacquireMouse();
    EXPECT_EQ(MouseDevice->GetDeviceState(sizeof mouse, &mouse), DI_OK);
}

} // namespace
