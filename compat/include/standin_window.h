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
#endif
