// A game controller with the "standard" layout (SDL's game controllers, the page's gamepads with
// the standard mapping) as its window system reports it, and the one table that turns it into
// the DIJOYSTATE2 the platform gives an XInput pad. Internal to the stand-in; its tests read it.
#pragma once

#include "dinput.h"

// The controls, in the order SDL numbers them (SDL_CONTROLLER_BUTTON_*, SDL_CONTROLLER_AXIS_*).
enum StandardPadButton
{
    PadA,
    PadB,
    PadX,
    PadY,
    PadBack,
    PadGuide,
    PadStart,
    PadLeftStick,
    PadRightStick,
    PadLeftShoulder,
    PadRightShoulder,
    PadUp,
    PadDown,
    PadLeft,
    PadRight,
    PadButtonCount
};

enum StandardPadAxis
{
    PadLeftX,
    PadLeftY,
    PadRightX,
    PadRightY,
    PadLeftTrigger,
    PadRightTrigger,
    PadAxisCount
};

// A game controller's axis properties: the range its axes report, and the dead zone and
// saturation in ten-thousandths of the way from the centre to either end.
struct PadAxisScale
{
    LONG Min;
    LONG Max;
    DWORD DeadZone;
    DWORD Saturation;
};

// Sticks from -1 to 1, right and down positive; triggers from 0 (released) to 1.
struct StandardPad
{
    float Axis[PadAxisCount];
    bool Button[PadButtonCount];
};

// The page's "standard" gamepad: which of our buttons each of its 17 button slots is (-1 for the
// two triggers, which are axes here). Its axes 0..3 are our PadLeftX..PadRightY.
constexpr int WebStandardButtonCount = 17;
extern const int WebStandardButtons[WebStandardButtonCount];
constexpr int WebLeftTriggerSlot = 6;
constexpr int WebRightTriggerSlot = 7;

// Fills the whole DIJOYSTATE2 from a standard controller: the axes scaled to the device's range
// with its dead zone and saturation, the d-pad as the first POV, the buttons as 0x80 bytes.
void FillJoyState(const StandardPad& pad, const PadAxisScale& scale, DIJOYSTATE2* state);
