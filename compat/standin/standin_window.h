// Stand-in internals shared by the compat libraries (never included by game or setup code): what
// an HWND is on each platform, so every compat library can reach the window behind it.
// On the desktop an HWND is the SDL_Window pointer of that window (windows are created with
// SDL_WINDOW_OPENGL so the device can render into them); in a browser it is the record of the
// page's canvas (standin_window_web.h).
#pragma once

#include "windows.h"

#ifdef __EMSCRIPTEN__
#include "standin_window_web.h"
#else
#include <SDL.h>

// The window system's own window behind an HWND.
using StandinNativeWindow = SDL_Window;

inline SDL_Window* SdlWindowFromHwnd(HWND hwnd)
{
    return reinterpret_cast<SDL_Window*>(hwnd);
}
inline HWND HwndFromSdlWindow(SDL_Window* window)
{
    return reinterpret_cast<HWND>(window);
}
inline StandinNativeWindow* NativeWindowFromHwnd(HWND hwnd)
{
    return SdlWindowFromHwnd(hwnd);
}

// Called before SDL video starts: on a Wayland desktop the programs run as Wayland clients, not
// through the desktop's X server, which SDL would otherwise pick first. Under XWayland a
// full-screen window is at the mercy of the X window manager emulation (a brief focus loss can
// leave it tiled); natively the compositor keeps it full screen. SDL_VIDEODRIVER, when set, still
// chooses (SDL_VIDEODRIVER=x11 for the X server); set but empty, it chooses nothing.
inline void StandinPreferNativeVideo()
{
    const char* chosen = SDL_getenv("SDL_VIDEODRIVER");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if ((!chosen || !*chosen) && wayland && *wayland)
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "wayland,x11", SDL_HINT_OVERRIDE);
}

// ---- Focus as the window system grants it ---------------------------------------------------
// The platform activates a window as ShowWindow shows it; window systems grant focus later, and
// Wayland only once the window's surface shows a picture. These helpers let ShowWindow, the
// device and the input devices agree on what is still on its way.

// Whether the video driver ever hands out keyboard focus; the dummy and offscreen drivers have
// no window system behind them, so waiting for focus there would only waste time.
inline bool StandinDriverGivesFocus()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && SDL_strcmp(driver, "dummy") != 0 && SDL_strcmp(driver, "offscreen") != 0;
}

// Whether a shown window gets focus only after its first picture (Wayland's compositors map a
// surface, and then focus it, once it has a buffer).
inline bool StandinFocusFollowsFirstPicture()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && SDL_strcmp(driver, "wayland") == 0;
}

// A shown window whose first focus has not arrived yet: set by ShowWindow, cleared once the
// focus is there or the window is hidden. Kept on the SDL window, which every library reaches.
inline void StandinSetAwaitingFocus(SDL_Window* window, bool awaiting)
{
    if (window)
        SDL_SetWindowData(window, "standin.awaiting-focus", awaiting ? window : nullptr);
}
inline bool StandinAwaitingFocus(SDL_Window* window)
{
    return window && SDL_GetWindowData(window, "standin.awaiting-focus") != nullptr;
}

// Waits up to `milliseconds` for the window to have input focus, taking in the window system's
// events meanwhile. True once it has focus (and no longer awaits it), false when time ran out.
inline bool StandinWaitForFocus(SDL_Window* window, Uint32 milliseconds)
{
    const Uint64 deadline = SDL_GetTicks64() + milliseconds;
    for (;;)
    {
        SDL_PumpEvents();
        if (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS)
        {
            StandinSetAwaitingFocus(window, false);
            return true;
        }
        if (SDL_GetTicks64() > deadline)
            return false;
        SDL_Delay(2);
    }
}
#endif
