// Stand-in internals shared by the compat libraries (never included by game or setup code): an
// HWND is the SDL_Window pointer of that window, so every compat library can reach the window.
// Windows are created with SDL_WINDOW_OPENGL so the device can render into them.
#pragma once

#include <SDL.h>

#include "windows.h"

inline SDL_Window* SdlWindowFromHwnd(HWND hwnd)
{
    return reinterpret_cast<SDL_Window*>(hwnd);
}
inline HWND HwndFromSdlWindow(SDL_Window* window)
{
    return reinterpret_cast<HWND>(window);
}
