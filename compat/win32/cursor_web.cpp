// The mouse cursor in a browser: the platform's display counter, shown as the canvas's CSS cursor
// (hidden while the count is below 0); the page has no screen position to move the pointer to.
#include <emscripten.h>

#include "page_web.h"
#include "windows.h"

namespace
{
// Whole run: the display counter; 0 at start, as on a machine with a mouse.
int CursorCount = 0;
} // namespace

int WINAPI ShowCursor(BOOL show)
{
    CursorCount += show ? 1 : -1;
    // clang-format off
    EM_ASM(
        {
            var canvas = document.querySelector(UTF8ToString($0));
            if (canvas)
                canvas.style.cursor = $1 ? "" : "none";
        },
        kPageCanvas, CursorCount >= 0 ? 1 : 0);
    // clang-format on
    return CursorCount;
}

BOOL WINAPI SetCursorPos(int x, int y)
{
    // A page cannot move the pointer; while the game holds it (pointer lock) it has no position.
    (void)x;
    (void)y;
    return TRUE;
}
