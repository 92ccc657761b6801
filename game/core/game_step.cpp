// One game step: timing, the keyboard commands with their latches (the game controller's buttons
// standing in for their keys), the mouse (the controller's stick and d-pad adding to its motion),
// the ball and bat while playing, a rendered frame on every 30th step, the look for a controller
// plugged in on the others, and the end of a cleared game.
#include "game/core/game_step.h"

#include "game/core/app.h"
#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/timing.h"
#include "game/platform/input_devices.h"
#include "game/scene/render_pass.h"
#include "game/view/camera.h"

// Live for the whole run; a new game keeps all but GameState and TitleShown.
int GameState = Title;
int CameraMode = 0;
bool TitleShown = true;
bool ShowFrameRate = false;
DWORD StepCounter = 0;

namespace
{

// Live for the whole run: one latch per edge-triggered command, set while its key stays down
// after it acted, so a held key acts once.
struct KeyLatchSet
{
    bool t, c, p, pause, space, f, mouse;
};
KeyLatchSet KeyLatches = {};

const int CameraCount = 4;
// Mouse counts to world units of bat motion.
const float MouseScale = 0.7142857f;
// A frame is drawn on one step in this many.
const DWORD StepsPerFrame = 30;

// The game controller this step, at rest when there is none (read every step).
DIJOYSTATE2 PadState;

// The controller buttons that stand for keys (the XInput pad's numbering): A Space, B F, X T,
// Y C, Back R, Start P. Escape has none: quitting stays on the keyboard.
struct PadKey
{
    int key;
    int button;
};
const PadKey PadKeys[] = {{DIK_SPACE, 0}, {DIK_F, 1}, {DIK_T, 2},
                          {DIK_C, 3},     {DIK_R, 6}, {DIK_P, 7}};

// The stick at full deflection (or the d-pad held) moves the bat as this many mouse counts a
// step would: some 730 units a second whatever the frame rate (SpeedFactor keeps a step's motion
// in time), so the bat crosses the arena in under a second, as a brisk sweep of the mouse does.
const float PadCountsAtFull = 0.4f;
// Whole run: the fraction of a count the stick has moved the bat that no step has given yet.
float PadCarry = 0.0f;

bool KeyDown(int key)
{
    if ((KeyboardState[key] & 0x80) != 0)
        return true;
    for (const PadKey& padKey : PadKeys)
        if (padKey.key == key)
            return (PadState.rgbButtons[padKey.button] & 0x80) != 0;
    return false;
}

// The bat's motion from the controller this step, in mouse counts: the d-pad's left or right
// at full speed, else the stick's deflection past the dead zone. None at rest, where the
// fraction carried is dropped.
LONG PadCounts()
{
    float deflection = 0.0f;
    const DWORD pov = PadState.rgdwPOV[0];
    if (LOWORD(pov) != 0xFFFF)
    {
        if (pov > 0 && pov < 18000)
            deflection = 1.0f;
        else if (pov > 18000 && pov < 36000)
            deflection = -1.0f;
    }
    else
        deflection = static_cast<float>(PadState.lX) / static_cast<float>(GamepadAxisRange);
    if (deflection == 0.0f)
    {
        PadCarry = 0.0f;
        return 0;
    }
    const float counts = deflection * PadCountsAtFull + PadCarry;
    const LONG whole = static_cast<LONG>(counts);
    PadCarry = counts - static_cast<float>(whole);
    return whole;
}

// An edge-triggered key: acts once when pressed while `condition` holds; the latch clears when
// the key is up or the condition fails.
bool Pressed(int key, bool condition, bool* latch)
{
    if (!KeyDown(key) || !condition)
    {
        *latch = false;
        return false;
    }
    if (*latch)
        return false;
    *latch = true;
    return true;
}

void TogglePause()
{
    GameState = GameState == Playing ? Paused : Playing;
}

void MoveBat(LONG lX)
{
    float d = static_cast<float>(lX) * MouseScale;
    if (lX < 0)
        GameBat.MovePlusX(d);
    else
        GameBat.MoveMinusX(d);
}

} // namespace

void LaunchBall()
{
    GameBall.launched = 1;
    GameBall.vx = 0.05f;
    GameBall.vz = -0.05f;
}

void HandleKeyboard()
{
    BatDirection = BatDirectionNone;
    // Each key sees the state the keys before it left.
    if (Pressed(DIK_T, GameState == Title, &KeyLatches.t))
        TitleShown = !TitleShown;
    if (Pressed(DIK_C, GameState == Playing, &KeyLatches.c))
    {
        CameraMode += 1;
        if (CameraMode >= CameraCount)
            CameraMode = 0;
    }
    // P and Pause toggle alike, each with its own latch: both in one step cancel out.
    if (Pressed(DIK_P, GameState != Title, &KeyLatches.p))
        TogglePause();
    if (Pressed(DIK_PAUSE, GameState != Title, &KeyLatches.pause))
        TogglePause();
    if (KeyDown(DIK_ESCAPE))
        PostMessageA(GameWindow, WM_DESTROY, 0, 0);
    if (Pressed(DIK_SPACE, true, &KeyLatches.space))
    {
        if (GameState == Title)
            GameState = Playing;
        else if (GameState == Playing && !GameBall.launched)
            LaunchBall();
    }
    if (Pressed(DIK_F, true, &KeyLatches.f))
        ShowFrameRate = !ShowFrameRate;
    if (KeyDown(DIK_R))
        ResetGame();
}

void HandleMouse(DIMOUSESTATE mouse)
{
    const bool button = mouse.rgbButtons[0] != 0;
    if (button && !KeyLatches.mouse)
    {
        KeyLatches.mouse = true;
        if (GameState == Title)
        {
            // The click that starts play also moves the bat in the same step.
            GameState = Playing;
            MoveBat(mouse.lX);
            return;
        }
        if (!GameBall.launched)
        {
            if (GameState != Playing)
                return;
            LaunchBall();
            MoveBat(mouse.lX);
            return;
        }
    }
    if (!button)
        KeyLatches.mouse = false;
    if (GameState != Playing)
        return;
    MoveBat(mouse.lX);
}

const char* GameStep()
{
    UpdateTiming();

    RetryRefusedDevices();
    // A failed keyboard read leaves KeyboardState as the previous step left it. The controller
    // is read beside it, at rest when absent or failed, so its buttons act with the keys.
    if (KeyboardDevice != nullptr)
        KeyboardDevice->GetDeviceState(sizeof KeyboardState, KeyboardState);
    ReadGamepad(&PadState);
    HandleKeyboard();

    // A failed mouse read (lost focus, not acquired) counts as no motion and no button: the
    // buffer may hold anything after a failure, and a stale button must not launch the ball.
    DIMOUSESTATE mouse = {};
    if (MouseDevice != nullptr && FAILED(MouseDevice->GetDeviceState(sizeof mouse, &mouse)))
        mouse = DIMOUSESTATE{};
    mouse.lX += PadCounts();
    HandleMouse(mouse);

    WrapRigAngles();

    if (GameState == Playing)
    {
        Ball& ball = GameBall;
        if (ball.launched)
        {
            if (BallXFree)
                ball.x += ball.vx * SpeedFactor;
            ball.z += ball.vz * SpeedFactor;
            ball.y += ball.vy * SpeedFactor;
        }
        ball.UpdateWorld();
        CollideBricks();
        CollideBat();
        CollideWalls();
    }

    if (StepCounter % StepsPerFrame == 0)
    {
        const char* text = RenderFrame();
        if (text != nullptr)
            return text;
    }
    else
        LookForGamepad(timeGetTime());
    StepCounter += 1;
    if (BricksLeft < 1)
        ResetGame();
    return nullptr;
}
