// The window classes, the same on every window system: RegisterClassA keeps class name -> window
// procedure and icon, and CreateWindowExA looks them up here. Also the resource look-ups that
// only need to hand back harmless handles (cursor, stock objects, module).
#include "window_registry.h"

#include <cctype>
#include <cstdint>
#include <string>

#include "common/log/log.h"

namespace
{
// Whole run: the registered classes (never unregistered). The atoms start where the platform's
// string atoms do.
std::vector<Win32WindowClass> Classes;
ATOM NextAtom = 0xC000;

// Whole run: the objects behind the dummy handles, one byte each so their addresses differ.
char ModuleObject, CursorObject, StockObject;

// Whether a pointer into the first 64 KiB may be read: not on the desktop, where that page is
// unmapped (and a small value there is an atom); in WebAssembly, whose static data lives at low
// addresses and where every address in its memory can be read.
#ifdef __EMSCRIPTEN__
const bool LowAddressesReadable = true;
#else
const bool LowAddressesReadable = false;
#endif

bool SameName(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}
} // namespace

const Win32WindowClass* Win32FindClass(LPCSTR name)
{
    if (!name)
        return nullptr;
    // A class may be named by its atom, passed in the low word of the pointer.
    const uintptr_t value = reinterpret_cast<uintptr_t>(name);
    for (const Win32WindowClass& windowClass : Classes)
        if (windowClass.Atom == value)
            return &windowClass;
    if (value < 0x10000 && !LowAddressesReadable)
        return nullptr;
    for (const Win32WindowClass& windowClass : Classes)
        if (SameName(windowClass.Name, name))
            return &windowClass;
    return nullptr;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass)
{
    if (!wndClass || !wndClass->lpszClassName || !*wndClass->lpszClassName ||
        !wndClass->lpfnWndProc)
    {
        Log("RegisterClassA", "a class needs a name and a window procedure");
        return 0;
    }
    if (Win32FindClass(wndClass->lpszClassName))
    {
        Log("RegisterClassA", "class \"%s\" already exists", wndClass->lpszClassName);
        return 0;
    }
    Classes.push_back({wndClass->lpszClassName, wndClass->lpfnWndProc, NextAtom, wndClass->hIcon});
    return NextAtom++;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name)
{
    // Every window uses the window system's arrow, which is what the programs ask for.
    (void)instance;
    (void)name;
    return reinterpret_cast<HCURSOR>(&CursorObject);
}

HGDIOBJ WINAPI GetStockObject(int object)
{
    // Background brushes are never painted: the device draws the whole window.
    (void)object;
    return &StockObject;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    // There is one module, the program itself, whatever name is asked for.
    (void)moduleName;
    return reinterpret_cast<HMODULE>(&ModuleObject);
}
