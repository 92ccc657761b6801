// What an HWND is in a browser (included by standin_window.h): the record of a window, which the
// page's one canvas shows. Made by CreateWindowExA (compat/win32/window_web.cpp).
#pragma once

#include "windows.h"

struct StandinWebWindow
{
    WNDPROC Procedure;
    bool Alive;   // not destroyed yet
    bool Visible; // shown by ShowWindow
    int Width;    // the size asked for, in page pixels
    int Height;
};

using StandinNativeWindow = StandinWebWindow;

inline StandinNativeWindow* NativeWindowFromHwnd(HWND hwnd)
{
    return reinterpret_cast<StandinWebWindow*>(hwnd);
}
inline HWND HwndFromNativeWindow(StandinNativeWindow* window)
{
    return reinterpret_cast<HWND>(window);
}
