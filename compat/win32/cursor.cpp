// The mouse cursor: the platform's display counter (the cursor shows while it is 0 or more) and
// moving the pointer to a screen position.
#include <SDL.h>

#include <cstdio>

#include "windows.h"

namespace
{
// Whole run: the display counter; 0 at start, as on a machine with a mouse.
int CursorCount = 0;
} // namespace

int WINAPI ShowCursor(BOOL show)
{
    CursorCount += show ? 1 : -1;
    SDL_ShowCursor(CursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return CursorCount;
}

BOOL WINAPI SetCursorPos(int x, int y)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_WarpMouseGlobal(x, y) != 0)
    {
        std::fprintf(stderr, "SetCursorPos: cannot move the pointer: %s\n", SDL_GetError());
        return FALSE;
    }
    return TRUE;
}
