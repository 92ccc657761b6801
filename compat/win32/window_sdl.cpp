// The window: CreateWindowExA makes an SDL window (OpenGL-capable, hidden until ShowWindow) that
// runs the procedure of its class (window_class.cpp) and shows the class's icon, ShowWindow shows
// and activates it, DestroyWindow tells the procedure and retires it.
#include "window_registry.h"

#include <SDL.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/log/log.h"
#include "standin_window.h"

namespace
{
enum class WindowLife
{
    Alive,
    Destroying, // inside DestroyWindow: the procedure still gets its WM_DESTROY
    Destroyed,
};

struct WindowRecord
{
    SDL_Window* Window;
    Uint32 Id; // SDL's id tells a live window from a stale pointer without touching it
    WNDPROC Procedure;
    WindowLife Life;
};

// Whole run: the windows made so far.
std::vector<WindowRecord> Windows;

// The record of a window SDL still has, or null. Only the id is compared, so a handle whose SDL
// window is gone is never dereferenced.
WindowRecord* FindRecord(HWND hwnd)
{
    if (!hwnd || !SDL_WasInit(SDL_INIT_VIDEO))
        return nullptr;
    SDL_Window* window = SdlWindowFromHwnd(hwnd);
    for (WindowRecord& record : Windows)
        if (record.Window == window)
            return SDL_GetWindowFromID(record.Id) == window ? &record : nullptr;
    return nullptr;
}

// ShowWindow activates the window on the platform, and the program relies on that: it acquires
// its foreground keyboard right after showing the window. A window system grants focus
// asynchronously, so ask for it and wait (a bounded time) until it has arrived. Where focus
// follows the first picture (Wayland) it cannot arrive before the device has drawn one, so the
// window is only marked as awaiting it: the device and the keyboard wait for it then.
void Activate(SDL_Window* window)
{
    SDL_RaiseWindow(window);
    if (!StandinDriverGivesFocus() || (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS))
        return;
    StandinSetAwaitingFocus(window, true);
    if (StandinFocusFollowsFirstPicture())
        return;
    SDL_SetWindowInputFocus(window);
    if (!StandinWaitForFocus(window, 1000))
        Log("ShowWindow", "the window system did not give the window focus");
}
} // namespace

bool Win32EnsureVideo()
{
    // A full-screen program minimised when it lost the foreground; SDL does that for real
    // full-screen modes only unless told so, and the device uses a desktop-sized window.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
    // Closing the window goes through WM_CLOSE and the window procedure, never straight to a
    // quit event.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The window's class is the program's file name, whatever the environment says, so the
    // desktop entry's StartupWMClass finds the window.
    char exe[4096];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length > 0)
    {
        exe[length] = 0;
        const char* name = std::strrchr(exe, '/');
        name = name ? name + 1 : exe;
        SDL_SetHintWithPriority("SDL_VIDEO_X11_WMCLASS", name, SDL_HINT_OVERRIDE);
        SDL_SetHintWithPriority("SDL_VIDEO_WAYLAND_WMCLASS", name, SDL_HINT_OVERRIDE);
    }
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    StandinPreferNativeVideo();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        Log("CreateWindowExA", "no video: %s", SDL_GetError());
        return false;
    }
    // Windows of an earlier video session died with it.
    Windows.clear();
    return true;
}

WNDPROC Win32WindowProcedure(HWND hwnd)
{
    const WindowRecord* record = FindRecord(hwnd);
    return record && record->Life != WindowLife::Destroyed ? record->Procedure : nullptr;
}

std::vector<HWND> Win32LiveWindows()
{
    std::vector<HWND> live;
    for (const WindowRecord& record : Windows)
        if (record.Life == WindowLife::Alive && FindRecord(HwndFromSdlWindow(record.Window)))
            live.push_back(HwndFromSdlWindow(record.Window));
    return live;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param)
{
    (void)exStyle;
    (void)menu;
    (void)instance;
    (void)param;
    const Win32WindowClass* windowClass = Win32FindClass(className);
    if (!windowClass)
    {
        Log("CreateWindowExA", "window class is not registered");
        return nullptr;
    }
    if (parent)
        Log("CreateWindowExA", "child windows are not supported; making a top-level window");
    if (!Win32EnsureVideo())
        return nullptr;

    // The size is the client area here (the platform counts the frame too); the device sizes the
    // window itself when it goes full screen.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;
    if ((style & WS_POPUP) && !(style & WS_CAPTION))
        flags |= SDL_WINDOW_BORDERLESS;
    const char* title = windowName ? windowName : "";
    width = width > 0 ? width : 1;
    height = height > 0 ? height : 1;
    SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags);
    if (!window)
    {
        // Video drivers without OpenGL (SDL's dummy driver, used by tests that need no picture)
        // still get a window for the message queue; no device can render into it.
        Log("CreateWindowExA", "no OpenGL window (%s); the window cannot be rendered to",
            SDL_GetError());
        window = SDL_CreateWindow(title, x, y, width, height, flags & ~SDL_WINDOW_OPENGL);
    }
    if (!window)
    {
        Log("CreateWindowExA", "SDL could not create the window: %s", SDL_GetError());
        return nullptr;
    }

    if (SDL_Surface* icon = Win32IconPicture(windowClass->Icon))
        SDL_SetWindowIcon(window, icon);

    // A new window may reuse the address of one whose video session has ended.
    for (auto it = Windows.begin(); it != Windows.end();)
        it = it->Window == window ? Windows.erase(it) : it + 1;
    Windows.push_back({window, SDL_GetWindowID(window), windowClass->Procedure, WindowLife::Alive});

    HWND hwnd = HwndFromSdlWindow(window);
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmdShow)
{
    WindowRecord* record = FindRecord(hwnd);
    if (!record || record->Life == WindowLife::Destroyed)
        return FALSE;
    SDL_Window* window = record->Window;
    const BOOL wasVisible = (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    if (cmdShow == SW_HIDE)
    {
        StandinSetAwaitingFocus(window, false);
        SDL_HideWindow(window);
        return wasVisible;
    }
    SDL_ShowWindow(window);
    Activate(window);
    return wasVisible;
}

BOOL WINAPI DestroyWindow(HWND hwnd)
{
    WindowRecord* record = FindRecord(hwnd);
    if (!record || record->Life != WindowLife::Alive)
        return FALSE;
    // As on the platform the window disappears first, then its procedure hears WM_DESTROY while
    // the handle is still valid (so it may still post to it), then its messages are dropped.
    record->Life = WindowLife::Destroying;
    const WNDPROC procedure = record->Procedure;
    SDL_HideWindow(record->Window);
    procedure(hwnd, WM_DESTROY, 0, 0);

    // The SDL window itself is kept (hidden) until SDL shuts down: the other stand-in libraries
    // hold the handle as a raw SDL_Window pointer, and releasing a device after its window was
    // destroyed is harmless on the platform but would touch freed memory here.
    if (WindowRecord* again = FindRecord(hwnd))
        again->Life = WindowLife::Destroyed;
    Win32ForgetWindowMessages(hwnd);
    return TRUE;
}
