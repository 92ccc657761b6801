// The thread's message queue: messages posted by the program and those made from SDL's events,
// delivered in order by PeekMessageA, dispatched to window procedures, and the default
// procedure's answer to WM_CLOSE.
#include "window_registry.h"

#include <SDL.h>

#include <cstdio>
#include <deque>

#include "standin_window.h"

namespace
{
// Whole run: the queue itself, and whether its overflow has been reported.
std::deque<MSG> Queue;
bool OverflowReported = false;

// The platform refuses to post more than this many messages to one queue; a program that posts
// faster than it reads fails to post instead of growing without bound.
constexpr size_t QueueLimit = 10000;

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    // The pointer position in screen coordinates, from what SDL last saw (no server round trip).
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    if (SDL_Window* focus = SDL_GetMouseFocus())
    {
        int left = 0, top = 0;
        SDL_GetWindowPosition(focus, &left, &top);
        x += left;
        y += top;
    }
    msg.pt = {x, y};
    return msg;
}

bool Matches(const MSG& msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    // WM_QUIT is retrieved whatever the filters say; the program peeks with its window handle.
    if (msg.message == WM_QUIT)
        return true;
    if (hwnd && msg.hwnd != hwnd)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool TakeQueued(LPMSG out, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    for (auto it = Queue.begin(); it != Queue.end(); ++it)
    {
        if (!Matches(*it, hwnd, filterMin, filterMax))
            continue;
        *out = *it;
        if (removeMsg & PM_REMOVE)
            Queue.erase(it);
        return true;
    }
    return false;
}

// Messages that the platform sends straight to the procedure rather than posting.
void Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (WNDPROC procedure = Win32WindowProcedure(hwnd))
        procedure(hwnd, message, wParam, lParam);
}

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
            Queue.push_back(MakeMessage(hwnd, WM_CLOSE, 0, 0));
        if (windows.empty())
            Queue.push_back(MakeMessage(nullptr, WM_QUIT, 0, 0));
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
        Queue.push_back(MakeMessage(hwnd, WM_CLOSE, 0, 0));
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        StandinSetAwaitingFocus(SdlWindowFromHwnd(hwnd), false);
        Send(hwnd, WM_ACTIVATEAPP, TRUE, 0);
        Send(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        Send(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
        Send(hwnd, WM_ACTIVATEAPP, FALSE, 0);
        break;
    default:
        break;
    }
}
} // namespace

void Win32ForgetWindowMessages(HWND hwnd)
{
    for (auto it = Queue.begin(); it != Queue.end();)
        it = it->hwnd == hwnd ? Queue.erase(it) : it + 1;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    if (!msg)
        return FALSE;
    if (TakeQueued(msg, hwnd, filterMin, filterMax, removeMsg))
        return TRUE;
    // At most one SDL event per call, so a busy loop does a bounded amount of work per
    // iteration; the event may or may not make a message.
    // (SDL_PollEvent would also spend a call now and then on its end-of-cycle marker.)
    SDL_Event event;
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return FALSE;
    SDL_PumpEvents();
    if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1)
        return FALSE;
    HandleEvent(event);
    return TakeQueued(msg, hwnd, filterMin, filterMax, removeMsg) ? TRUE : FALSE;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask)
{
    (void)waitAll;
    (void)wakeMask;
    if (count != 0 || handles)
    {
        std::fprintf(stderr, "MsgWaitForMultipleObjects: there are no objects to wait for here\n");
        return WAIT_FAILED;
    }
    if (!Queue.empty())
        return WAIT_OBJECT_0;
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

BOOL WINAPI TranslateMessage(const MSG* msg)
{
    // Only key messages are translated (into characters), and none are ever delivered here.
    (void)msg;
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    if (!msg || !msg->hwnd)
        return 0;
    WNDPROC procedure = Win32WindowProcedure(msg->hwnd);
    return procedure ? procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (message == WM_CLOSE)
        DestroyWindow(hwnd);
    return 0;
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A null window posts to the thread itself, as on the platform.
    if (hwnd && !Win32WindowProcedure(hwnd))
        return FALSE;
    if (Queue.size() >= QueueLimit)
    {
        if (!OverflowReported)
            std::fprintf(stderr, "PostMessageA: the message queue is full (%zu messages)\n",
                         Queue.size());
        OverflowReported = true;
        return FALSE;
    }
    Queue.push_back(MakeMessage(hwnd, message, wParam, lParam));
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode)
{
    // Never refused: the request to end must get through even to a full queue.
    Queue.push_back(MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0));
}
