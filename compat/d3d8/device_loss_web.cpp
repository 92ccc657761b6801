// Device loss in a browser: a full-screen device is lost when the player leaves the game (the page
// loses focus or is hidden, or pointer lock or full screen is left after the game took the
// pointer) and stays lost until Reset (device_reset.cpp), which is refused until the player is
// back. Full screen itself is the page's to ask for, on the player's click; the canvas is sized
// to the back buffer and the page scales it. Also the simulated focus change for tests.
#include "d3d8_internal.h"

#include "page_web.h"

using namespace d3d8;

namespace
{
// Lives for the whole run: a focus loss a test simulated, until it simulates the return; and the
// page's count of focus losses when the devices last looked.
bool SimulatedAway = false;
uint32_t SeenFocusLosses = 0;
} // namespace

namespace d3d8
{
bool WindowInFront(StandinNativeWindow* window)
{
    return window && window->Alive && !SimulatedAway && PageInFront();
}

void UpdateLoss(IDirect3DDevice8::Impl* device)
{
    // A windowed device shares the page and is not lost by switching away.
    if (device->Params.Windowed)
        return;
    // The page can lose focus and get it back between two looks (entering full screen does);
    // the keyboard has then lost its input, and only a reset gives it back, so the device counts
    // as lost too, as it would on a desktop that took the screen away.
    const bool focusLostBetween = PageFocusLosses() != SeenFocusLosses;
    SeenFocusLosses = PageFocusLosses();
    if (WindowInFront(device->FocusWindow) && !(device->HadFocus && focusLostBetween))
        device->HadFocus = true;
    else if (device->HadFocus)
        device->Lost = true;
}

void SettleFocus(IDirect3DDevice8::Impl* device)
{
    // Losses while the device came up or was reset are no switch away.
    SeenFocusLosses = PageFocusLosses();
    device->HadFocus = WindowInFront(device->FocusWindow);
}

void EnterFullscreen(IDirect3DDevice8::Impl* device)
{
    // The back buffer's size is the canvas's: the page scales the canvas to the screen.
    PageSetCanvasSize(int(device->Params.BackBufferWidth), int(device->Params.BackBufferHeight));
    device->Dirty |= DirtyRender | DirtyViewport;
}

void LeaveFullscreen(IDirect3DDevice8::Impl* device)
{
    StandinNativeWindow* window = device->DeviceWindow;
    if (window)
        PageSetCanvasSize(window->Width, window->Height);
}
} // namespace d3d8

void StandinSetWindowFocus(HWND hwnd, BOOL focused)
{
    (void)hwnd;
    SimulatedAway = !focused;
}
