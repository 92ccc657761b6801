// The thread's message queue: messages posted by the program and those made from the window
// system's events (system_events_sdl.cpp, system_events_web.cpp), delivered in order by
// PeekMessageA, dispatched to window procedures, and the default procedure's answer to WM_CLOSE.
#include "window_registry.h"

#include <deque>

#include "common/log/log.h"

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
    msg.pt = Win32PointerPosition();
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

} // namespace

void Win32QueueMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Queue.push_back(MakeMessage(hwnd, message, wParam, lParam));
}

void Win32SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (WNDPROC procedure = Win32WindowProcedure(hwnd))
        procedure(hwnd, message, wParam, lParam);
}

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
    // At most one window-system event per call, so a busy loop does a bounded amount of work
    // per iteration; the event may or may not make a message.
    if (!Win32TakeSystemEvent())
        return FALSE;
    return TakeQueued(msg, hwnd, filterMin, filterMax, removeMsg) ? TRUE : FALSE;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask)
{
    (void)waitAll;
    (void)wakeMask;
    if (count != 0 || handles)
    {
        Log("MsgWaitForMultipleObjects", "there are no objects to wait for here");
        return WAIT_FAILED;
    }
    if (!Queue.empty())
        return WAIT_OBJECT_0;
    return Win32WaitSystemEvent(milliseconds);
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
            Log("PostMessageA", "the message queue is full (%zu messages)", Queue.size());
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
