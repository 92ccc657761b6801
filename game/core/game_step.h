// One step of the game: timing, input commands, the game states, the ball and bat while playing,
// and every 30th step a rendered frame.
#pragma once

#include <windows.h>
#include <dinput.h>

enum GameStateValue
{
    Title = 0,
    Playing = 1,
    Paused = 2
};

// Live for the whole run.
extern int GameState;      // Title, Playing or Paused
extern int CameraMode;     // active camera rig, 0..3
extern bool TitleShown;    // title picture shown on the title screen
extern bool ShowFrameRate; // frame-rate digits shown
extern DWORD StepCounter;  // completed steps; a frame is rendered when it is a multiple of 30

// Runs one step. Returns null, or the render pass's error text, which the loop shows under
// "Run-Time Error".
const char* GameStep();

// Turns KeyboardState into commands (edge and level triggered keys).
void HandleKeyboard();

// Starts play, launches the ball and moves the bat from one mouse reading.
void HandleMouse(DIMOUSESTATE mouse);

// Sets the ball moving at (0.05, -0.05) per step. Called by Space and the first mouse button.
void LaunchBall();
