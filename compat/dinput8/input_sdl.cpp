// DirectInput's window-system side on the desktop: SDL's video for as long as DirectInput lives,
// its event watch for focus losses and wheel steps, SDL's key state by DIK code, and SDL's
// relative mouse mode for the exclusive foreground mouse.
#include <SDL.h>

#include <cstring>

#include "common/log/log.h"
#include "device_impl.h"
#include "keyboard_map.h"
#include "standin_window.h"

namespace
{
// Whole run: how many DirectInput objects hold SDL's video.
int VideoUsers = 0;

// How long Acquire waits for a newly shown window's first focus, at most.
constexpr Uint32 FirstFocusWaitMs = 3000;

// Runs inside SDL whenever an event is queued.
int SDLCALL WatchEvents(void* unused, SDL_Event* event)
{
    (void)unused;
    if (event->type == SDL_WINDOWEVENT)
    {
        const Uint8 what = event->window.event;
        if (what == SDL_WINDOWEVENT_FOCUS_LOST || what == SDL_WINDOWEVENT_HIDDEN ||
            what == SDL_WINDOWEVENT_MINIMIZED)
            NoteFocusLost(event->window.windowID);
    }
    else if (event->type == SDL_MOUSEWHEEL)
    {
        // One notch is 120 units on the platform; forward (away from the user) is positive.
        const int sign = event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
        NoteWheel(sign * event->wheel.y * 120);
    }
    return 0;
}
} // namespace

bool StartDirectInputVideo()
{
    // The keyboard and mouse states come from SDL's video events.
    StandinPreferNativeVideo();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        Log("DirectInput8Create", "no input without video: %s", SDL_GetError());
        return false;
    }
    ++VideoUsers;
    return true;
}

void StopDirectInputVideo()
{
    if (VideoUsers > 0)
    {
        --VideoUsers;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

void StartInputWatch()
{
    SDL_AddEventWatch(WatchEvents, nullptr);
}

void StopInputWatch()
{
    SDL_DelEventWatch(WatchEvents, nullptr);
}

void PumpInputEvents()
{
    if (SDL_WasInit(SDL_INIT_EVENTS))
        SDL_PumpEvents();
}

uint32_t InputWindowId(HWND hwnd)
{
    return hwnd ? SDL_GetWindowID(SdlWindowFromHwnd(hwnd)) : 0;
}

bool InputWindowHasFocus(uint32_t windowId)
{
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    return window && (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS);
}

bool InputWindowAwaitFirstFocus(uint32_t windowId)
{
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    return StandinAwaitingFocus(window) && StandinWaitForFocus(window, FirstFocusWaitMs);
}

bool InputWindowAwaitingFirstFocus(uint32_t windowId)
{
    return StandinAwaitingFocus(SDL_GetWindowFromID(windowId));
}

void ReadSystemKeys(BYTE keys[256])
{
    int count = 0;
    const Uint8* down = SDL_GetKeyboardState(&count);
    std::memset(keys, 0, 256);
    for (int scancode = 0; scancode < count; ++scancode)
        if (down[scancode])
            if (const BYTE dik = DikFromSdlScancode(scancode))
                keys[dik] = 0x80;
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
            Log("Acquire", "no relative mouse mode (%s); the motion stops at the screen edges",
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

void ReadSystemMouse(LONG* dx, LONG* dy, BYTE buttons[4])
{
    int x = 0, y = 0;
    const Uint32 held = SDL_GetRelativeMouseState(&x, &y);
    *dx = x;
    *dy = y;
    // The platform numbers the buttons left, right, middle, then the first side button.
    buttons[0] = (held & SDL_BUTTON_LMASK) ? 0x80 : 0;
    buttons[1] = (held & SDL_BUTTON_RMASK) ? 0x80 : 0;
    buttons[2] = (held & SDL_BUTTON_MMASK) ? 0x80 : 0;
    buttons[3] = (held & SDL_BUTTON_X1MASK) ? 0x80 : 0;
}
