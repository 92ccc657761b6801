// The window system's side of the message queue on the desktop: SDL's events turned into the
// messages the platform would queue or send, and the pointer position messages carry.
#include "window_registry.h"

#include <SDL.h>

#include "standin_window.h"

namespace
{
// Turns one SDL event into what the platform would do. Keyboard and mouse events make no
// messages: the programs read their input through DirectInput.
void HandleEvent(const SDL_Event& event)
{
    if (event.type == SDL_QUIT)
    {
        // A request to end the program (a signal, the session ending) closes every window as
        // the close box would; with no window left there is nothing to close, so quit directly.
        const std::vector<HWND> windows = Win32LiveWindows();
        for (HWND hwnd : windows)
            Win32QueueMessage(hwnd, WM_CLOSE, 0, 0);
        if (windows.empty())
            Win32QueueMessage(nullptr, WM_QUIT, 0, 0);
        return;
    }
    if (event.type != SDL_WINDOWEVENT)
        return;
    HWND hwnd = HwndFromSdlWindow(SDL_GetWindowFromID(event.window.windowID));
    if (!Win32WindowProcedure(hwnd))
        return;
    switch (event.window.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        Win32QueueMessage(hwnd, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        StandinSetAwaitingFocus(SdlWindowFromHwnd(hwnd), false);
        Win32SendMessage(hwnd, WM_ACTIVATEAPP, TRUE, 0);
        Win32SendMessage(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        Win32SendMessage(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
        Win32SendMessage(hwnd, WM_ACTIVATEAPP, FALSE, 0);
        break;
    default:
        break;
    }
}
} // namespace

POINT Win32PointerPosition()
{
    // In screen coordinates, from what SDL last saw (no server round trip).
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    if (SDL_Window* focus = SDL_GetMouseFocus())
    {
        int left = 0, top = 0;
        SDL_GetWindowPosition(focus, &left, &top);
        x += left;
        y += top;
    }
    return {x, y};
}

bool Win32TakeSystemEvent()
{
    // (SDL_PollEvent would also spend a call now and then on its end-of-cycle marker.)
    SDL_Event event;
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return false;
    SDL_PumpEvents();
    if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1)
        return false;
    HandleEvent(event);
    return true;
}

DWORD Win32WaitSystemEvent(DWORD milliseconds)
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
    {
        // No window system to hear from: only the time can pass.
        if (milliseconds != INFINITE)
            SDL_Delay(milliseconds);
        return milliseconds == INFINITE ? WAIT_FAILED : WAIT_TIMEOUT;
    }
    // SDL sleeps on the window system's connection; the event stays queued for PeekMessageA.
    const int timeout = milliseconds == INFINITE ? -1 : static_cast<int>(milliseconds);
    return SDL_WaitEventTimeout(nullptr, timeout) == 1 ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
