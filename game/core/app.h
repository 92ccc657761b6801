// The game's shell: the window, the error channel, the start-up chain, the main loop and the
// shutdown order.
#pragma once

#include <windows.h>

// Lives for the whole run.
extern const char* ErrorText;   // the one error channel; null while all is well
extern bool DeviceResetPending; // set by the render pass on a lost device, cleared by ResetDevice
extern HWND GameWindow;         // the focus window; owner of message boxes and cooperative levels
extern HINSTANCE GameInstance;

// The window procedure: WM_DESTROY posts the quit message, all else goes to DefWindowProcA.
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window class "DXClass" and creates and shows the focus window "D3D Zendrill"
// (640 x 480 at 0, 0), keeping it and `instance` in GameWindow and GameInstance. False when the
// class or the window cannot be made: there is nothing to show a message in then.
bool CreateGameWindow(HINSTANCE instance);

// What a start-up may do otherwise than the game does. InitGame passes GameStartupOptions; a test
// program passes a d3d.ini of its own, and leaves out the input devices where it feeds none.
struct StartupOptions
{
    const char* settingsFile; // the d3d.ini to read
    bool inputDevices;        // false: DirectInput, the keyboard and the mouse stay null
};
// d3d.ini in the working directory, with the keyboard and the mouse.
extern const StartupOptions GameStartupOptions;

// Runs the start-up chain, from the trigonometric tables to the hidden cursor, and shows nothing.
// Returns null, or the text that stopped the chain or that the floor or ball load recorded; the
// result is also left in ErrorText. ReleaseAll gives back what it made, whatever the result.
const char* StartGame(const StartupOptions& options);

// StartGame with GameStartupOptions; a failure is shown under "Fatal Error!" and the window asked
// to close. The frame clock starts in every case.
void InitGame();

// Runs the main loop until WM_QUIT or the first error text. Returns the exit code: the quit
// message's wParam, or 1 when the loop ended on an error.
int RunMainLoop();

// Releases everything start-up created, in the fixed order; safe after a partial start-up.
void ReleaseAll();
