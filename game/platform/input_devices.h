// The DirectInput keyboard, mouse and game controller: creation, the per-step state buffers, the
// keyboard's re-acquire after a device reset, the look for a controller plugged in later, and
// release.
#pragma once

#include <dinput.h>

// Live from start-up to shutdown.
extern IDirectInput8A* DirectInput;
extern IDirectInputDevice8A* KeyboardDevice;
extern IDirectInputDevice8A* MouseDevice;
extern IDirectInputDevice8A* GamepadDevice; // null while no controller is attached
extern BYTE KeyboardState[256];             // keeps the last read when a read fails

// The controller's axes report this range, centred at 0, and rest within the dead zone
// (ten-thousandths of the way from the centre to an end).
const LONG GamepadAxisRange = 1000;
const DWORD GamepadDeadZone = 2000;

// Creates DirectInput, the keyboard and the mouse, then takes the first attached game controller
// if there is one. Returns null or the text of the first failing step; a missing controller, or
// one that cannot be set up, is not a failure.
const char* CreateInputDevices();
// Takes the first attached game controller when none is held and `now` (timeGetTime) is at
// least GamepadLookMs after the last look. Enumeration takes milliseconds on some systems, so
// the game step calls this only on steps that draw no frame.
const DWORD GamepadLookMs = 2000;
void LookForGamepad(DWORD now);
// The controller's state for this step: true with `state` filled, or false with `state` at rest
// (centred axes, centred POV, no button) when there is no controller or its read failed. A
// controller pulled out is released here; the next look may take another.
bool ReadGamepad(DIJOYSTATE2* state);
// Acquires the controller again after the game was switched away from and back.
void ReacquireGamepad();
// Acquires the keyboard again when its input was lost. Returns null or "Re-aquire Keyboard
// Failed.".
const char* ReacquireKeyboard();
// Acquires the mouse again after the game was switched away from and back, so the bat answers the
// mouse once play resumes. A failure leaves the mouse silent.
void ReacquireMouse();
// Acquires again a device the last reset could not acquire because another window had the
// foreground again; nothing when there is none. Called by every step before it reads them.
void RetryRefusedDevices();
// Unacquires and releases the keyboard, the mouse, the controller, then DirectInput.
void ReleaseInputDevices();
