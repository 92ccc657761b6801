// The game controller read: a standard controller from the window system, turned into the
// DIJOYSTATE2 the platform gives an XInput pad by one table that both stand-in backends use.
#include <cmath>
#include <cstring>

#include "device_impl.h"
#include "gamepad_map.h"

namespace
{
// Where each axis goes; the triggers share lZ, the left one toward lMax.
LONG DIJOYSTATE2::*const StickTargets[4] = {&DIJOYSTATE2::lX, &DIJOYSTATE2::lY, &DIJOYSTATE2::lRx,
                                            &DIJOYSTATE2::lRy};

// The button each control is on the platform's XInput pad, or -1 (the guide button is not
// offered; the d-pad is the POV).
constexpr int ButtonTargets[PadButtonCount] = {
    0,  // A
    1,  // B
    2,  // X
    3,  // Y
    6,  // Back
    -1, // Guide
    7,  // Start
    8,  // left stick press
    9,  // right stick press
    4,  // left shoulder
    5,  // right shoulder
    -1, -1, -1, -1,
};

constexpr DWORD PovCentred = 0xFFFFFFFF;

// One axis in -1..1 through the dead zone and saturation (ten-thousandths of the way from the
// centre), then onto the device's range.
LONG ScaleAxis(float value, const PadAxisScale& scale)
{
    const float magnitude = std::fabs(value);
    const float dead = static_cast<float>(scale.DeadZone) / 10000.0f;
    const float full = static_cast<float>(scale.Saturation) / 10000.0f;
    float t = 0.0f;
    if (magnitude >= full || (magnitude > dead && full <= dead))
        t = 1.0f;
    else if (magnitude > dead)
        t = (magnitude - dead) / (full - dead);
    const double centre = (static_cast<double>(scale.Min) + scale.Max) / 2.0;
    const double reach = value < 0 ? centre - scale.Min : scale.Max - centre;
    const double scaled = centre + (value < 0 ? -t : t) * reach;
    return static_cast<LONG>(std::lround(scaled));
}

// The d-pad in hundredths of a degree clockwise from up; opposite directions cancel.
DWORD PovFromPad(const StandardPad& pad)
{
    const int x = (pad.Button[PadRight] ? 1 : 0) - (pad.Button[PadLeft] ? 1 : 0);
    const int y = (pad.Button[PadDown] ? 1 : 0) - (pad.Button[PadUp] ? 1 : 0);
    // Indexed by (y + 1) * 3 + (x + 1).
    constexpr DWORD Angles[9] = {31500, 0, 4500, 27000, PovCentred, 9000, 22500, 18000, 13500};
    return Angles[(y + 1) * 3 + (x + 1)];
}
} // namespace

// Slots 0..16 of the standard mapping: A, B, X, Y, LB, RB, LT, RT, Back, Start, the stick
// presses, the d-pad up, down, left, right, then the centre (guide) button.
const int WebStandardButtons[WebStandardButtonCount] = {
    PadA,  PadB,    PadX,    PadY,     PadLeftShoulder, PadRightShoulder,
    -1,    -1,      PadBack, PadStart, PadLeftStick,    PadRightStick,
    PadUp, PadDown, PadLeft, PadRight, PadGuide,
};

void FillJoyState(const StandardPad& pad, const PadAxisScale& scale, DIJOYSTATE2* state)
{
    // What the pad does not have (Rz, sliders, the other POVs' motion) reads as the platform
    // reads it: zero, and centred POVs.
    std::memset(state, 0, sizeof *state);
    for (int axis = PadLeftX; axis <= PadRightY; ++axis)
        state->*StickTargets[axis] = ScaleAxis(pad.Axis[axis], scale);
    state->lZ = ScaleAxis(pad.Axis[PadLeftTrigger] - pad.Axis[PadRightTrigger], scale);
    state->rgdwPOV[0] = PovFromPad(pad);
    state->rgdwPOV[1] = state->rgdwPOV[2] = state->rgdwPOV[3] = PovCentred;
    for (int button = 0; button < PadButtonCount; ++button)
        if (ButtonTargets[button] >= 0 && pad.Button[button])
            state->rgbButtons[ButtonTargets[button]] = 0x80;
}

const GUID StandinPropertyNames[8] = {{0, 0, 0, {}}, {1, 0, 0, {}}, {2, 0, 0, {}}, {3, 0, 0, {}},
                                      {4, 0, 0, {}}, {5, 0, 0, {}}, {6, 0, 0, {}}, {7, 0, 0, {}}};

bool PropertyIs(const void* named, uintptr_t number)
{
    return number < 8 && named == &StandinPropertyNames[number];
}

HRESULT ReadGamepad(IDirectInputDevice8A::Impl& device, DIJOYSTATE2* state)
{
    StandardPad pad{};
    if (device.Unplugged || !ReadSystemPad(device.PadId, &pad))
    {
        device.Unplugged = true;
        device.Acquired = false;
        return DIERR_UNPLUGGED;
    }
    FillJoyState(pad, device.Scale, state);
    return DI_OK;
}
