// Device loss on the desktop: a full-screen device is lost when its focus window loses input focus
// or is minimised (read from SDL's window flags, which the message loop keeps current by pumping
// events, and from the window events themselves, so a switch away and back between two looks
// still counts); it stays lost until Reset (device_reset.cpp), which is refused while the window
// is still away. Also the window's full-screen state on the adapter's display (put back where SDL
// left it on a focus loss), and the simulated focus change for tests.
#include "d3d8_internal.h"

#include <map>

#include "standin_window.h"

using namespace d3d8;

namespace
{
// Lives for the whole run: windows a test has marked as having lost focus.
std::map<SDL_Window*, bool>& SimulatedFocusLoss()
{
    static std::map<SDL_Window*, bool> windows;
    return windows;
}

// Asks for input focus and waits a bounded time for the window system to grant it.
void RequestFocus(SDL_Window* window)
{
    SDL_RaiseWindow(window);
    if (!StandinDriverGivesFocus())
        return;
    SDL_SetWindowInputFocus(window);
    if (!StandinWaitForFocus(window, 1000))
        Log("d3d8", "the window system did not give the device window focus");
}

// Lives for the whole run: full-screen windows that SDL has taken out of full screen.
std::map<SDL_Window*, bool>& FullscreenLeft()
{
    static std::map<SDL_Window*, bool> windows;
    return windows;
}

// Lives for the whole run: windows whose focus went away (lost, hidden or minimised) since the
// device last looked. A switch away and back can fit between two looks at the window's flags
// (on Wayland a whole switch fits inside one swap waiting for a hidden surface's frame), and the
// platform loses the device all the same, as the input devices lose their input.
std::map<SDL_Window*, bool>& FocusLossSeen()
{
    static std::map<SDL_Window*, bool> windows;
    return windows;
}

// Runs inside SDL whenever a window event is queued. Besides noting the focus losses above:
// SDL minimises a full-screen window that loses focus and leaves full screen on the way, while
// its flags still say full screen. Where the window manager then refuses to minimise the window
// (sway does for an XWayland window it considers focused; a brief focus loss during start-up is
// enough), no restore ever comes to bring full screen back, and the game stayed a tiled window
// with a title bar. Such a window is noted here; a real minimise and restore lets SDL put full
// screen back itself.
int SDLCALL NoteFocusEvents(void* unused, SDL_Event* event)
{
    (void)unused;
    if (event->type != SDL_WINDOWEVENT)
        return 0;
    SDL_Window* window = SDL_GetWindowFromID(event->window.windowID);
    if (!window)
        return 0;
    const Uint8 what = event->window.event;
    if (what == SDL_WINDOWEVENT_FOCUS_LOST || what == SDL_WINDOWEVENT_HIDDEN ||
        what == SDL_WINDOWEVENT_MINIMIZED)
        FocusLossSeen()[window] = true;
    if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN))
        return 0;
    if (what == SDL_WINDOWEVENT_FOCUS_LOST)
        FullscreenLeft()[window] = true;
    else if (what == SDL_WINDOWEVENT_RESTORED)
        FullscreenLeft().erase(window);
    return 0;
}

void WatchFocusEvents()
{
    // SDL forgets its watches when its events stop, so the watch is (re)added on every entry.
    SDL_DelEventWatch(NoteFocusEvents, nullptr);
    SDL_AddEventWatch(NoteFocusEvents, nullptr);
}

void PushFocusEvent(SDL_Window* window, bool focused)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = focused ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    event.window.timestamp = SDL_GetTicks();
    SDL_PushEvent(&event);
}

// The GL driver learns of a window's new size only when a buffer is swapped, so the first
// picture presented after the window covered the display would still be cut to the old size,
// and stay so while no second picture comes. One black frame, as a mode switch shows, makes the
// driver take the new size before the first real one.
void ShowBlackFrame(IDirect3DDevice8::Impl* device)
{
    if (!EnsureCurrent(device))
        return;
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(device->DeviceWindow, &width, &height);
    GlState* gl = &device->Shared->Gl;
    GlBindFramebuffer(gl, GL_FRAMEBUFFER, 0);
    GlEnable(gl, GL_SCISSOR_TEST, false);
    GlColorMask(gl, true, true, true, true);
    GlViewport(gl, 0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(device->DeviceWindow);
    GlBindFramebuffer(gl, GL_FRAMEBUFFER, device->Framebuffer);
    device->Dirty |= DirtyRender | DirtyViewport;
}
} // namespace

namespace d3d8
{
bool WindowInFront(SDL_Window* window)
{
    if (!window)
        return false;
    auto simulated = SimulatedFocusLoss().find(window);
    if (simulated != SimulatedFocusLoss().end() && simulated->second)
        return false;
    const Uint32 flags = SDL_GetWindowFlags(window);
    return (flags & SDL_WINDOW_INPUT_FOCUS) &&
           !(flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN));
}

void UpdateLoss(IDirect3DDevice8::Impl* device)
{
    // A windowed device shares the desktop and is not lost by switching away.
    if (device->Params.Windowed)
        return;
    const bool lossSeen = FocusLossSeen().erase(device->FocusWindow) > 0;
    if (WindowInFront(device->FocusWindow) && !lossSeen)
    {
        device->HadFocus = true;
        // Focus went and came back before the device first had it (while the window came up),
        // and full screen went with it.
        if (!device->Lost && FullscreenLeft().count(device->DeviceWindow))
            EnterFullscreen(device);
    }
    else if (device->HadFocus)
        device->Lost = true;
}

void EnterFullscreen(IDirect3DDevice8::Impl* device)
{
    SDL_Window* window = device->DeviceWindow;
    const int adapter = static_cast<int>(device->Adapter);
    WatchFocusEvents();
    if (FullscreenLeft().erase(window))
        SDL_SetWindowFullscreen(window, 0); // SDL's flags catch up, so full screen is asked anew
    Uint32 flags = SDL_GetWindowFlags(window);
    SDL_Rect bounds;
    if (!(flags & SDL_WINDOW_FULLSCREEN) && SDL_GetDisplayBounds(adapter, &bounds) == 0)
    {
        if (!device->WindowSaved)
        {
            SDL_GetWindowPosition(window, &device->SavedWindow.x, &device->SavedWindow.y);
            SDL_GetWindowSize(window, &device->SavedWindow.w, &device->SavedWindow.h);
            device->WindowSaved = true;
        }
        // Desktop full screen is the window manager's to grant; cover the adapter's display
        // first, so the picture fills it also where no window manager runs.
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.w, bounds.h);
    }
    else if ((flags & SDL_WINDOW_FULLSCREEN) && SDL_GetWindowDisplayIndex(window) != adapter)
    {
        // Full screen goes to the display the window is on, so move it there first.
        SDL_SetWindowFullscreen(window, 0);
        if (SDL_GetDisplayBounds(adapter, &bounds) == 0)
            SDL_SetWindowPosition(window, bounds.x, bounds.y);
    }
    flags = SDL_GetWindowFlags(window);
    if ((flags & SDL_WINDOW_FULLSCREEN_DESKTOP) != SDL_WINDOW_FULLSCREEN_DESKTOP &&
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
        Log("d3d8", "the device window cannot go full screen: %s", SDL_GetError());
    if (flags & SDL_WINDOW_MINIMIZED)
        SDL_RestoreWindow(window);
    SDL_ShowWindow(window);
    // Where a shown window can take focus at once, focus first: the window manager settles the
    // full-screen size meanwhile, which the black frame then takes. Where focus follows the
    // first picture (Wayland), the black frame is that picture and focus can only come after.
    if (StandinFocusFollowsFirstPicture())
    {
        ShowBlackFrame(device);
        RequestFocus(device->FocusWindow);
    }
    else
    {
        RequestFocus(device->FocusWindow);
        ShowBlackFrame(device);
    }
}

void SettleFocus(IDirect3DDevice8::Impl* device)
{
    // Focus may come and go while the window changes state for the device (leaving and entering
    // full screen); that is no switch away. What counts starts from here.
    SDL_PumpEvents();
    FocusLossSeen().erase(device->FocusWindow);
    device->HadFocus = WindowInFront(device->FocusWindow);
}

void LeaveFullscreen(IDirect3DDevice8::Impl* device)
{
    SDL_Window* window = device->DeviceWindow;
    FullscreenLeft().erase(window);
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)
        SDL_SetWindowFullscreen(window, 0);
    if (device->WindowSaved)
    {
        SDL_SetWindowSize(window, device->SavedWindow.w, device->SavedWindow.h);
        SDL_SetWindowPosition(window, device->SavedWindow.x, device->SavedWindow.y);
        device->WindowSaved = false;
    }
}
} // namespace d3d8

void StandinSetWindowFocus(HWND hwnd, BOOL focused)
{
    SDL_Window* window = SdlWindowFromHwnd(hwnd);
    if (!window)
        return;
    if (focused)
    {
        SimulatedFocusLoss().erase(window);
        RequestFocus(window);
    }
    else
        SimulatedFocusLoss()[window] = true;
    PushFocusEvent(window, focused != FALSE);
}
