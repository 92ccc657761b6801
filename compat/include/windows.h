// The Win32 subset both programs are written against: base types, the window class and window,
// the message queue, message boxes, the cursor and the millisecond clock. Implemented over SDL2
// by compat/win32; names, argument orders and values follow the platform's own headers.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define APIENTRY
#define STDMETHODCALLTYPE

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef float FLOAT;
typedef int32_t HRESULT;
typedef uint16_t ATOM;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Handles are distinct opaque pointer types, as with STRICT.
#define ZENDRILL_DECLARE_HANDLE(name)                                                              \
    struct name##__;                                                                               \
    typedef struct name##__* name
ZENDRILL_DECLARE_HANDLE(HWND);
ZENDRILL_DECLARE_HANDLE(HINSTANCE);
ZENDRILL_DECLARE_HANDLE(HICON);
ZENDRILL_DECLARE_HANDLE(HBRUSH);
ZENDRILL_DECLARE_HANDLE(HMENU);
ZENDRILL_DECLARE_HANDLE(HMONITOR);
ZENDRILL_DECLARE_HANDLE(HDC);
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;
typedef void* HGDIOBJ;
typedef void* HANDLE;

#define S_OK          ((HRESULT)0)
#define S_FALSE       ((HRESULT)1)
#define E_FAIL        ((HRESULT)0x80004005)
#define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#define E_INVALIDARG  ((HRESULT)0x80070057)
#define E_POINTER     ((HRESULT)0x80004003)
#define E_NOINTERFACE ((HRESULT)0x80004002)
#define E_NOTIMPL     ((HRESULT)0x80004001)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr)    (((HRESULT)(hr)) < 0)

#define LOWORD(l)           ((WORD)(((uintptr_t)(l)) & 0xffff))
#define HIWORD(l)           ((WORD)((((uintptr_t)(l)) >> 16) & 0xffff))
#define MAKEINTRESOURCEA(i) ((LPSTR)((uintptr_t)((WORD)(i))))

struct GUID
{
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
typedef GUID IID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
inline bool operator==(const GUID& a, const GUID& b)
{
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3;
}
inline bool operator!=(const GUID& a, const GUID& b)
{
    return !(a == b);
}

struct IUnknown;
typedef IUnknown* LPUNKNOWN;

struct POINT
{
    LONG x;
    LONG y;
};
struct RECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;

struct LARGE_INTEGER
{
    int64_t QuadPart;
};

// A palette colour (GDI); the utility subset's texture loader takes a palette of them.
struct PALETTEENTRY
{
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

// ---- Window class and window ----------------------------------------------------------------

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSA
{
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_OWNDC   0x0020

#define WS_OVERLAPPED  0x00000000L
#define WS_POPUP       0x80000000L
#define WS_VISIBLE     0x10000000L
#define WS_CAPTION     0x00C00000L
#define WS_SYSMENU     0x00080000L
#define WS_THICKFRAME  0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW                                                                        \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)

#define SW_HIDE       0
#define SW_SHOWNORMAL 1
#define SW_SHOW       5

#define IDC_ARROW   MAKEINTRESOURCEA(32512)
#define BLACK_BRUSH 4

// Called by each program's WinMain: keeps class name -> window procedure. 0 for a class without
// name or procedure, or one already registered (names compare without case).
ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass);
// Called by WinMain: an SDL window (always OpenGL-capable, hidden until ShowWindow unless
// WS_VISIBLE) running its class's procedure; no WM_CREATE is sent. Null, with the reason on
// standard error, for an unknown class or when SDL has no video.
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
// Called by WinMain: shows (and activates, waiting briefly for the focus) or hides the window.
// Answers whether it was visible before; FALSE for a handle that is not a live window.
BOOL WINAPI ShowWindow(HWND hwnd, int cmdShow);
// Called by DefWindowProcA on WM_CLOSE: hides the window, sends WM_DESTROY, drops its posted
// messages. FALSE for a window that is not alive. The SDL window is freed only when SDL quits.
BOOL WINAPI DestroyWindow(HWND hwnd);
// Called by WinMain while filling its class: harmless non-null handles, never a failure.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
HGDIOBJ WINAPI GetStockObject(int object);
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);

// ---- Messages -------------------------------------------------------------------------------

struct MSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

#define WM_NULL        0x0000
#define WM_CREATE      0x0001
#define WM_DESTROY     0x0002
#define WM_MOVE        0x0003
#define WM_SIZE        0x0005
#define WM_ACTIVATE    0x0006
#define WM_SETFOCUS    0x0007
#define WM_KILLFOCUS   0x0008
#define WM_PAINT       0x000F
#define WM_CLOSE       0x0010
#define WM_QUIT        0x0012
#define WM_ACTIVATEAPP 0x001C
#define WM_KEYDOWN     0x0100
#define WM_KEYUP       0x0101
#define WM_CHAR        0x0102
#define WM_SYSKEYDOWN  0x0104
#define WM_SYSKEYUP    0x0105
#define WM_INITDIALOG  0x0110
#define WM_COMMAND     0x0111
#define WM_MOUSEMOVE   0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP   0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP   0x0205

// Dialog commands: the notification codes in WM_COMMAND's high word, and the virtual keys a
// dialog turns into its standard OK and Cancel commands (IDOK, IDCANCEL).
#define MAKEWPARAM(low, high) ((WPARAM)(((WORD)(low)) | (((DWORD)(WORD)(high)) << 16)))
#define BN_CLICKED            0
#define LBN_SELCHANGE         1
#define VK_RETURN             0x0D
#define VK_ESCAPE             0x1B

#define WA_INACTIVE 0
#define WA_ACTIVE   1

#define PM_NOREMOVE 0x0000
#define PM_REMOVE   0x0001

// Called by the main loops. Posted messages come first, in the order posted (WM_QUIT passes
// every filter); otherwise at most one SDL event is handled: a close request becomes WM_CLOSE,
// a quit request WM_CLOSE to every window (WM_QUIT when none is left), focus changes are sent
// to the procedure as WM_ACTIVATEAPP and WM_ACTIVATE, and key and mouse events make no message.
// FALSE when no message is ready.
BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Called by the main loops: no key messages exist here, so it always answers FALSE.
BOOL WINAPI TranslateMessage(const MSG* msg);
// Called by the main loops: the window procedure's answer; 0 for thread messages and for
// windows that are gone.
LRESULT WINAPI DispatchMessageA(const MSG* msg);
// Called by window procedures: WM_CLOSE destroys the window; every message answers 0.
LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Called by the game (WM_DESTROY on Escape or an error). FALSE for a window that is not alive
// or a full queue (10000 messages); a null window posts to the thread.
BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Called by window procedures on WM_DESTROY: queues WM_QUIT with the code; never refused.
void WINAPI PostQuitMessage(int exitCode);

#define QS_KEY            0x0001
#define QS_MOUSEMOVE      0x0002
#define QS_MOUSEBUTTON    0x0004
#define QS_POSTMESSAGE    0x0008
#define QS_TIMER          0x0010
#define QS_PAINT          0x0020
#define QS_SENDMESSAGE    0x0040
#define QS_HOTKEY         0x0080
#define QS_ALLPOSTMESSAGE 0x0100
#define QS_MOUSE          (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT          (QS_MOUSE | QS_KEY)
#define QS_ALLEVENTS      (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY)
#define QS_ALLINPUT       (QS_ALLEVENTS | QS_SENDMESSAGE)
#define INFINITE          0xFFFFFFFF
#define WAIT_OBJECT_0     0x00000000L
#define WAIT_TIMEOUT      0x00000102L
#define WAIT_FAILED       0xFFFFFFFF

// Called by a main loop with nothing to do: sleeps until a message is queued or the window
// system has an event, or `milliseconds` pass (INFINITE: no limit). No kernel objects exist
// here, so `count` must be 0 and `wakeMask` is read as QS_ALLINPUT. WAIT_OBJECT_0 (+ count) when
// there is input, WAIT_TIMEOUT when the time ran out, WAIT_FAILED for handles to wait on.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask);

// ---- Message box, cursor, clock -------------------------------------------------------------

#define MB_OK              0x00000000L
#define MB_ICONHAND        0x00000010L
#define MB_ICONERROR       MB_ICONHAND
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING     MB_ICONEXCLAMATION
#define MB_ICONASTERISK    0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define IDOK               1
#define IDCANCEL           2

// Called for every fatal error: writes "caption: text" to standard error, then shows a modal
// SDL box with one OK button. Always IDOK, also where no display can show the box.
int WINAPI MessageBoxA(HWND hwnd, LPCSTR text, LPCSTR caption, UINT type);
// Called by the game's start-up, reset and shutdown: the display counter (cursor shown while it
// is 0 or more, starting at 0). Answers the new count; cannot fail.
int WINAPI ShowCursor(BOOL show);
// Called by the game's start-up and reset: moves the pointer in screen coordinates. FALSE where
// the pointer cannot be moved (no display, or a window system that forbids it, as Wayland
// does), with a line on standard error the first time for each reason.
BOOL WINAPI SetCursorPos(int x, int y);

#include "mmsystem.h"

// The program's entry point, defined by each program and called by the stand-in's main().
int WINAPI WinMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR cmdLine, int cmdShow);
