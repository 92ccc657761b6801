// The window in a browser: CreateWindowExA makes the window the page's canvas shows (one live
// window at a time: the page has one canvas) for a class of window_class.cpp, ShowWindow shows
// it, DestroyWindow tells the procedure and retires it. LoadIconA hands back a harmless handle:
// the page has its own icon.
#include "window_registry.h"

#include <string>
#include <vector>

#include "common/log/log.h"
#include "page_web.h"
#include "standin_window.h"

namespace
{
// Whole run: every window made, kept so a stale handle is never a dangling pointer.
std::vector<StandinWebWindow*> Windows;

// Whole run: the object behind the icon handle.
char IconObject;

StandinWebWindow* FindWindow(HWND hwnd)
{
    for (StandinWebWindow* window : Windows)
        if (HwndFromNativeWindow(window) == hwnd)
            return window;
    return nullptr;
}
} // namespace

WNDPROC Win32WindowProcedure(HWND hwnd)
{
    const StandinWebWindow* window = FindWindow(hwnd);
    return window && window->Alive ? window->Procedure : nullptr;
}

std::vector<HWND> Win32LiveWindows()
{
    std::vector<HWND> live;
    for (StandinWebWindow* window : Windows)
        if (window->Alive)
            live.push_back(HwndFromNativeWindow(window));
    return live;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param)
{
    (void)exStyle;
    (void)windowName; // the page has its own title
    (void)x;
    (void)y;
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
    if (!Win32LiveWindows().empty())
    {
        Log("CreateWindowExA", "the page has one canvas, and a window shows it");
        return nullptr;
    }
    PageStart();
    auto* window = new StandinWebWindow{windowClass->Procedure, true, false, width > 0 ? width : 1,
                                        height > 0 ? height : 1};
    Windows.push_back(window);
    // The size is the canvas's drawing size until a device sizes it for its back buffer.
    PageSetCanvasSize(window->Width, window->Height);
    HWND hwnd = HwndFromNativeWindow(window);
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmdShow)
{
    StandinWebWindow* window = FindWindow(hwnd);
    if (!window || !window->Alive)
        return FALSE;
    const BOOL wasVisible = window->Visible ? TRUE : FALSE;
    window->Visible = cmdShow != SW_HIDE;
    return wasVisible;
}

BOOL WINAPI DestroyWindow(HWND hwnd)
{
    StandinWebWindow* window = FindWindow(hwnd);
    if (!window || !window->Alive)
        return FALSE;
    // As on the platform the procedure hears WM_DESTROY while the handle is still valid (so it
    // may still post to it), then the window's messages are dropped.
    window->Visible = false;
    window->Procedure(hwnd, WM_DESTROY, 0, 0);
    window->Alive = false;
    Win32ForgetWindowMessages(hwnd);
    return TRUE;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    // The page shows its own icon (the tab's); every icon resource is there.
    (void)instance;
    (void)name;
    return reinterpret_cast<HICON>(&IconObject);
}
