// The window system's side of the message queue in a browser: the page's activation changes
// (focus, visibility, pointer lock) sent to the window as the platform sends them, the page's
// request to end turned into WM_CLOSE, and the browser's turn to run while the loop spins.
#include "window_registry.h"

#include <algorithm>

#include "page_web.h"

POINT Win32PointerPosition()
{
    // The pointer is locked to the canvas while the game runs: it has no screen position.
    return {0, 0};
}

bool Win32TakeSystemEvent()
{
    PageYieldIfDue();
    const std::vector<HWND> windows = Win32LiveWindows();
    if (PageTakeQuit())
    {
        for (HWND hwnd : windows)
            Win32QueueMessage(hwnd, WM_CLOSE, 0, 0);
        if (windows.empty())
            Win32QueueMessage(nullptr, WM_QUIT, 0, 0);
        return true;
    }
    bool active = false;
    if (!PageTakeActivation(&active))
        return false;
    for (HWND hwnd : windows)
    {
        if (active)
        {
            Win32SendMessage(hwnd, WM_ACTIVATEAPP, TRUE, 0);
            Win32SendMessage(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
        }
        else
        {
            Win32SendMessage(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
            Win32SendMessage(hwnd, WM_ACTIVATEAPP, FALSE, 0);
        }
    }
    return true;
}

DWORD Win32WaitSystemEvent(DWORD milliseconds)
{
    // The browser runs while the program sleeps, so the page's handlers can bring the news.
    const DWORD start = timeGetTime();
    for (;;)
    {
        if (PageEventPending())
            return WAIT_OBJECT_0;
        const DWORD waited = timeGetTime() - start;
        if (milliseconds != INFINITE && waited >= milliseconds)
            return WAIT_TIMEOUT;
        PageSleep(milliseconds == INFINITE ? 10 : std::min<DWORD>(10, milliseconds - waited));
    }
}
