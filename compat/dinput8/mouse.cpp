// The mouse: SDL's relative mode while an exclusive foreground mouse is acquired, and the read
// of motion since the previous read, wheel and buttons as a DIMOUSESTATE, or what a test's mouse
// source gives.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "device_impl.h"
#include "standin.h"

namespace
{
// Whole run: the test's replacement for the real mouse, or null.
StandinMouseSource MouseSource = nullptr;
} // namespace

void StandinSetMouseSource(StandinMouseSource source)
{
    MouseSource = source;
}

void StartMouse(IDirectInputDevice8A::Impl& device)
{
    device.Wheel = 0;
    const DWORD exclusiveForeground = DISCL_EXCLUSIVE | DISCL_FOREGROUND;
    if ((device.Level & exclusiveForeground) == exclusiveForeground && !SDL_GetRelativeMouseMode())
    {
        // The exclusive mouse has no cursor and no screen edge: SDL's relative mode, which also
        // keeps the pointer in the window only while the window has focus.
        if (SDL_SetRelativeMouseMode(SDL_TRUE) == 0)
            device.RelativeMode = true;
        else
            std::fprintf(stderr,
                         "Acquire: no relative mouse mode (%s); the motion stops at the "
                         "screen edges\n",
                         SDL_GetError());
    }
    // Motion made before the mouse was acquired is not the program's.
    SDL_PumpEvents();
    SDL_GetRelativeMouseState(nullptr, nullptr);
}

void StopMouse(IDirectInputDevice8A::Impl& device)
{
    if (device.RelativeMode)
        SDL_SetRelativeMouseMode(SDL_FALSE);
    device.RelativeMode = false;
}

HRESULT ReadMouse(IDirectInputDevice8A::Impl& device, DIMOUSESTATE* state)
{
    if (MouseSource)
    {
        DIMOUSESTATE given{};
        const HRESULT result = MouseSource(&given);
        if (SUCCEEDED(result))
            std::memcpy(state, &given, sizeof given);
        return result;
    }
    int x = 0, y = 0;
    const Uint32 buttons = SDL_GetRelativeMouseState(&x, &y);
    state->lX = x;
    state->lY = y;
    state->lZ = device.Wheel;
    device.Wheel = 0;
    // The platform numbers the buttons left, right, middle, then the first side button.
    state->rgbButtons[0] = (buttons & SDL_BUTTON_LMASK) ? 0x80 : 0;
    state->rgbButtons[1] = (buttons & SDL_BUTTON_RMASK) ? 0x80 : 0;
    state->rgbButtons[2] = (buttons & SDL_BUTTON_MMASK) ? 0x80 : 0;
    state->rgbButtons[3] = (buttons & SDL_BUTTON_X1MASK) ? 0x80 : 0;
    return DI_OK;
}
