// The window class and the window in a browser: RegisterClassA keeps class name -> window
// procedure, CreateWindowExA makes the window the page's canvas shows (one live window at a time:
// the page has one canvas), ShowWindow shows it, DestroyWindow tells the procedure and retires it.
// Also the resource look-ups that only need to hand back harmless handles (icon, cursor, stock
// objects, module): the page has its own icon and cursor.
#include "window_registry.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "page.h"
#include "standin_window.h"

namespace
{
struct WindowClass
{
    std::string Name;
    WNDPROC Procedure;
    ATOM Atom;
};

// Whole run: the registered classes (never unregistered) and every window made, kept so a stale
// handle is never a dangling pointer. The atoms start where the platform's string atoms do.
std::vector<WindowClass> Classes;
ATOM NextAtom = 0xC000;
std::vector<StandinWebWindow*> Windows;

// Whole run: the objects behind the dummy handles, one byte each so their addresses differ.
char ModuleObject, CursorObject, StockObject, IconObject;

bool SameName(const std::string& a, const char* b)
{
    if (a.size() != std::char_traits<char>::length(b))
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const WindowClass* FindClass(LPCSTR name)
{
    if (!name)
        return nullptr;
    // A class may be named by its atom, passed in the low word of the pointer. WebAssembly's
    // static data lives at low addresses too, so a small value is an atom only when it is one
    // of ours (reading a string there is always safe: there are no unmapped pages).
    const uintptr_t value = reinterpret_cast<uintptr_t>(name);
    for (const WindowClass& windowClass : Classes)
        if (windowClass.Atom == value)
            return &windowClass;
    for (const WindowClass& windowClass : Classes)
        if (SameName(windowClass.Name, name))
            return &windowClass;
    return nullptr;
}

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

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass)
{
    if (!wndClass || !wndClass->lpszClassName || !*wndClass->lpszClassName ||
        !wndClass->lpfnWndProc)
    {
        std::fprintf(stderr, "RegisterClassA: a class needs a name and a window procedure\n");
        return 0;
    }
    if (FindClass(wndClass->lpszClassName))
    {
        std::fprintf(stderr, "RegisterClassA: class \"%s\" already exists\n",
                     wndClass->lpszClassName);
        return 0;
    }
    Classes.push_back({wndClass->lpszClassName, wndClass->lpfnWndProc, NextAtom});
    return NextAtom++;
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
    const WindowClass* windowClass = FindClass(className);
    if (!windowClass)
    {
        std::fprintf(stderr, "CreateWindowExA: window class is not registered\n");
        return nullptr;
    }
    if (parent)
        std::fprintf(stderr, "CreateWindowExA: child windows are not supported; making a "
                             "top-level window\n");
    if (!Win32LiveWindows().empty())
    {
        std::fprintf(stderr, "CreateWindowExA: the page has one canvas, and a window shows it\n");
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

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    // Every window uses the page's arrow, which is what the programs ask for.
    (void)instance;
    (void)name;
    return reinterpret_cast<HCURSOR>(&CursorObject);
}

HGDIOBJ WINAPI GetStockObject(int object)
{
    // Background brushes are never painted: the device draws the whole canvas.
    (void)object;
    return &StockObject;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    // There is one module, the program itself, whatever name is asked for.
    (void)moduleName;
    return reinterpret_cast<HMODULE>(&ModuleObject);
}
