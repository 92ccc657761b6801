// DirectInput's window-system side in a browser: the page's keys and pointer (compat/web), its
// focus for foreground devices, and pointer lock for the exclusive foreground mouse, which the
// page takes on the player's click.
#include <cstring>

#include "device_impl.h"
#include "page_web.h"

namespace
{
// The page's one canvas is the one window there is.
constexpr uint32_t kCanvasWindowId = 1;

// Whole run: the page's focus-loss count at the last look, and whether a watch is running.
uint32_t SeenFocusLosses = 0;
bool Watching = false;
} // namespace

bool StartDirectInputVideo()
{
    PageStart();
    return true;
}

void StopDirectInputVideo() {}

void StartInputWatch()
{
    Watching = true;
    SeenFocusLosses = PageFocusLosses();
}

void StopInputWatch()
{
    Watching = false;
}

void PumpInputEvents()
{
    // The page's handlers have already run between the program's turns; pass on what they saw.
    if (!Watching)
        return;
    if (PageFocusLosses() != SeenFocusLosses)
    {
        SeenFocusLosses = PageFocusLosses();
        NoteFocusLost(kCanvasWindowId);
    }
    if (const LONG wheel = PageTakeWheel())
        NoteWheel(wheel);
}

uint32_t InputWindowId(HWND hwnd)
{
    return hwnd ? kCanvasWindowId : 0;
}

bool InputWindowHasFocus(uint32_t windowId)
{
    return windowId == kCanvasWindowId && PageHasFocus();
}

bool InputWindowAwaitFirstFocus(uint32_t windowId)
{
    // The page's focus is the player's to give (a click); nothing is on its way by itself.
    (void)windowId;
    return false;
}

bool InputWindowAwaitingFirstFocus(uint32_t windowId)
{
    (void)windowId;
    return false;
}

void ReadSystemKeys(BYTE keys[256])
{
    PageKeys(keys);
}

void StartMouse(IDirectInputDevice8A::Impl& device)
{
    device.Wheel = 0;
    const DWORD exclusiveForeground = DISCL_EXCLUSIVE | DISCL_FOREGROUND;
    if ((device.Level & exclusiveForeground) == exclusiveForeground)
    {
        PageTakePointer(true);
        device.RelativeMode = true;
    }
    // Motion made before the mouse was acquired is not the program's.
    LONG dx = 0, dy = 0;
    BYTE buttons[4];
    PageTakeMotion(&dx, &dy, buttons);
}

void StopMouse(IDirectInputDevice8A::Impl& device)
{
    if (device.RelativeMode)
        PageTakePointer(false);
    device.RelativeMode = false;
}

void ReadSystemMouse(LONG* dx, LONG* dy, BYTE buttons[4])
{
    PageTakeMotion(dx, dy, buttons);
}
