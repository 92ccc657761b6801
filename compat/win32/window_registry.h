// Internals of compat_win32 shared by its files, on the desktop and in the browser alike: the
// window classes, which windows are alive and which procedure each one runs, the window system's
// side of the message queue (system_events_sdl.cpp or system_events_web.cpp) and how the queue
// forgets a window; last, the two calls only the desktop's files make. Never included outside
// compat/win32.
#pragma once

#include <string>
#include <vector>

#include "windows.h"

struct SDL_Surface;

// A registered window class (window_class.cpp).
struct Win32WindowClass
{
    std::string Name;
    WNDPROC Procedure;
    ATOM Atom;
    HICON Icon;
};

// Called by CreateWindowExA: the class of that name (any case) or atom, or null when there is
// none.
const Win32WindowClass* Win32FindClass(LPCSTR name);

// Called by the message queue and DispatchMessageA: the procedure of a window that was created
// by CreateWindowExA and not destroyed yet; null for any other handle.
WNDPROC Win32WindowProcedure(HWND hwnd);

// Called by the window system's side when the program is asked to end (a signal or the session
// ending on the desktop, the page's quit in the browser): every window still alive, oldest
// first; empty when there is none.
std::vector<HWND> Win32LiveWindows();

// The window system's side of the queue (system_events_sdl.cpp, system_events_web.cpp), called
// by PeekMessageA: takes at most one pending window-system event and turns it into queued or sent
// messages; false when none was pending. Cannot fail.
bool Win32TakeSystemEvent();
// Called by MsgWaitForMultipleObjects with nothing queued: sleeps until the window system has an
// event for the queue (left pending for Win32TakeSystemEvent) or `milliseconds` have passed.
// WAIT_OBJECT_0 for an event, WAIT_TIMEOUT when the time ran out, WAIT_FAILED for an endless wait
// that nothing could ever end.
DWORD Win32WaitSystemEvent(DWORD milliseconds);
// Called when a message is made: the pointer's position in screen coordinates.
POINT Win32PointerPosition();
// Called by the event side: appends a message to the queue, or runs a window's procedure at once
// (as the platform sends activation messages). Cannot fail.
void Win32QueueMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void Win32SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Called by DestroyWindow: drops the messages posted to a window that no longer exists, as the
// platform does. Cannot fail.
void Win32ForgetWindowMessages(HWND hwnd);

// Desktop only (window_sdl.cpp): called by anything that needs SDL video (window creation):
// initialises it once with the stand-in's hints. Returns false, with SDL's reason already logged,
// when there is no video.
bool Win32EnsureVideo();

// Desktop only (icon_sdl.cpp): called by CreateWindowExA: the picture of an icon LoadIconA
// returned, or null for any other handle (the window then keeps the window system's default
// icon).
SDL_Surface* Win32IconPicture(HICON icon);
