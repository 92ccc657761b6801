// The DirectInput keyboard and mouse: creation, the per-step state buffers, the keyboard's
// re-acquire after a device reset, and release.
#pragma once

#include <dinput.h>

// Live from start-up to shutdown.
extern IDirectInput8A* DirectInput;
extern IDirectInputDevice8A* KeyboardDevice;
extern IDirectInputDevice8A* MouseDevice;
extern BYTE KeyboardState[256]; // keeps the last read when a read fails

// Creates DirectInput, the keyboard and the mouse. Returns null or the text of the first failing
// step.
const char* CreateInputDevices();
// Acquires the keyboard again when its input was lost. Returns null or "Re-aquire Keyboard
// Failed.".
const char* ReacquireKeyboard();
// Acquires the mouse again after the game was switched away from and back, so the bat answers the
// mouse once play resumes. A failure leaves the mouse silent.
void ReacquireMouse();
// Acquires again a device the last reset could not acquire because another window had the
// foreground again; nothing when there is none. Called by every step before it reads them.
void RetryRefusedDevices();
// Unacquires and releases the keyboard, the mouse, then DirectInput.
void ReleaseInputDevices();
