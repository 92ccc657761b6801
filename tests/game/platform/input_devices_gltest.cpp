// Tests of the input devices on a real X display (the foreground devices need a window with
// focus): creation and release, Escape posting WM_DESTROY on every step, a failed mouse read
// counting as no motion, the devices working again after the window lost and regained focus, and
// a game played with a controller plugged in and pulled out while it runs.
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

// Stands still unless a test moves it.
DWORD Now = 1000;

DWORD StillClock()
{
    return Now;
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
        Now = 1000;
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

// The virtual controller's controls, in SDL's game controller order (standin.h).
enum
{
    ButtonA = 0,
    ButtonY = 3,
    ButtonStart = 6,
    DpadRight = 14,
    LeftX = 0,
};

// Steps on the steps that draw no frame (there is no display device here).
void Steps(int count)
{
    for (int i = 0; i < count; ++i)
    {
        if (StepCounter % 30 == 0)
            StepCounter += 1;
        ASSERT_EQ(GameStep(), nullptr);
    }
}

// Presses a controller button for one step and lets it go for the next.
void Tap(int button)
{
    StandinSetGamepadButton(button, TRUE);
    Steps(1);
    StandinSetGamepadButton(button, FALSE);
    Steps(1);
}

TEST_F(InputDevicesTest, AGameIsPlayedWithAControllerPluggedInAndPulledOutWhileItRuns)
{
    // No controller at start-up is no failure: the set-up above asserted a clean start.
    ASSERT_EQ(GamepadDevice, nullptr);
    StartPlaying();
    GameState = Title;
    ASSERT_TRUE(StandinAttachGamepad());

    // Plugged in after start-up, it is taken at the next look, not on every step.
    Steps(3);
    EXPECT_EQ(GamepadDevice, nullptr) << "looked for a controller before the interval was up";
    Now += GamepadLookMs;
    Steps(1);
    ASSERT_NE(GamepadDevice, nullptr) << "the controller plugged in while running was not taken";

    // A starts play, then launches the ball; in between the stick steers the bat and the ball
    // resting on it. Full deflection right moves the bat as the mouse moving right does, 0.4
    // counts a step: 100 steps are 40 counts of 0.714 units.
    Tap(ButtonA);
    EXPECT_EQ(GameState, Playing);
    EXPECT_EQ(GameBall.launched, 0);
    const float start = GameBat.leftX;
    StandinSetGamepadAxis(LeftX, 32767);
    Steps(100);
    EXPECT_NEAR(GameBat.leftX, start - 40 * 0.7142857f, 0.75f);
    EXPECT_NEAR(GameBall.x, GameBat.leftX + 20.0f, 1e-3f);
    // Within the dead zone (20 %) the bat stays put; half way left it moves at 3/8 of full
    // speed (the dead zone taken off), the other way.
    StandinSetGamepadAxis(LeftX, -6000);
    float before = GameBat.leftX;
    Steps(100);
    EXPECT_FLOAT_EQ(GameBat.leftX, before);
    StandinSetGamepadAxis(LeftX, -16384);
    Steps(100);
    EXPECT_NEAR(GameBat.leftX, before + 15 * 0.7142857f, 0.75f);
    // The d-pad goes at full speed, over the stick.
    StandinSetGamepadButton(DpadRight, TRUE);
    before = GameBat.leftX;
    Steps(100);
    EXPECT_NEAR(GameBat.leftX, before - 40 * 0.7142857f, 0.75f);
    StandinSetGamepadButton(DpadRight, FALSE);
    StandinSetGamepadAxis(LeftX, 0);
    Steps(1);
    before = GameBat.leftX;
    Steps(10);
    EXPECT_FLOAT_EQ(GameBat.leftX, before) << "the bat moved with the stick at rest";
    Tap(ButtonA);
    EXPECT_EQ(GameBall.launched, 1);

    // Start pauses and resumes; held, it acts once.
    StandinSetGamepadButton(ButtonStart, TRUE);
    Steps(5);
    EXPECT_EQ(GameState, Paused);
    StandinSetGamepadButton(ButtonStart, FALSE);
    Steps(1);
    Tap(ButtonStart);
    EXPECT_EQ(GameState, Playing);
    // Y changes the camera.
    const int camera = CameraMode;
    Tap(ButtonY);
    EXPECT_EQ(CameraMode, (camera + 1) % 4);

    // Switched away, the controller is silent; back in front, the reset path takes it again.
    StandinSetWindowFocus(GameWindow, FALSE);
    Tap(ButtonStart);
    EXPECT_EQ(GameState, Playing) << "a controller read while the game was away";
    StandinSetWindowFocus(GameWindow, TRUE);
    Drain();
    EXPECT_EQ(ReacquireKeyboard(), nullptr);
    ReacquireMouse();
    ReacquireGamepad();
    Tap(ButtonStart);
    EXPECT_EQ(GameState, Paused) << "the controller was not acquired again";
    Tap(ButtonStart);

    // Pulled out: let go at the next read, with no error, and the mouse goes on.
    StandinSetGamepadButton(ButtonStart, TRUE);
    StandinDetachGamepad();
    Steps(1);
    EXPECT_EQ(GamepadDevice, nullptr);
    EXPECT_EQ(GameState, Playing);
    before = GameBat.leftX;
    GivenMouse.lX = -14;
    Steps(1);
    EXPECT_NEAR(GameBat.leftX, before + 10.0f, 1e-4f);
    GivenMouse.lX = 0;
    // Nothing is there to be taken at the next look.
    Now += GamepadLookMs;
    Steps(2);
    EXPECT_EQ(GamepadDevice, nullptr);
}

} // namespace
