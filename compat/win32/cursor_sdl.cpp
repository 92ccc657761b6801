// The mouse cursor: the platform's display counter (the cursor shows while it is 0 or more) and
// moving the pointer to a screen position, where the window system allows it.
#include <SDL.h>

#include <string>

#include "common/log/log.h"
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
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_WarpMouseGlobal(x, y) == 0)
        return TRUE;
    // Some window systems never let a program move the pointer (Wayland): every start and every
    // device reset would say the same again, so each reason is said once.
    const std::string reason = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetError() : "no video";
    LogOnce(("SetCursorPos: " + reason).c_str(), "SetCursorPos", "cannot move the pointer: %s",
            reason.c_str());
    return FALSE;
}
