// The Direct3D stand-in's window system on the desktop: SDL2's displays and modes, windows, and
// OpenGL 3.3 core contexts.
#include "d3d8_internal.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>

namespace d3d8
{
namespace
{
// Lives for the whole run: the probe's hidden window and the context current before it.
SDL_Window* ProbeWindow = nullptr;
SDL_GLContext ProbeContext = nullptr;
SDL_Window* ProbePreviousWindow = nullptr;
SDL_GLContext ProbePreviousContext = nullptr;

// Requests a GL 3.3 core context for the next SDL_GL_CreateContext.
void RequestCoreContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
}

int PinObject(struct dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name && info->dlpi_name[0])
    {
        // RTLD_NOLOAD promotes an object that is already loaded without loading anything new.
        void* handle = dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        if (handle)
            dlclose(handle);
    }
    return 0;
}

// Pins every shared object loaded so far (the GL driver among them) for the life of the process.
// Called after a context is made: the X client unloads the driver when SDL quits, and a leak
// checker at exit could then no longer tell the driver's own allocations from ours.
void KeepGlDriverLoaded()
{
    static bool pinned = false;
    if (pinned)
        return;
    pinned = true;
    dl_iterate_phdr(PinObject, nullptr);
}

// Mode formats: 16-bit desktops as their 16-bit format, everything else as X8R8G8B8.
D3DFORMAT FormatFromSdl(Uint32 sdlFormat)
{
    switch (sdlFormat)
    {
    case SDL_PIXELFORMAT_RGB565:
        return D3DFMT_R5G6B5;
    case SDL_PIXELFORMAT_RGB555:
        return D3DFMT_X1R5G5B5;
    default:
        // 24- and 32-bit desktops (and anything unusual) show an X8R8G8B8 back buffer.
        return D3DFMT_X8R8G8B8;
    }
}

D3DDISPLAYMODE ModeFromSdl(const SDL_DisplayMode& mode)
{
    return {static_cast<UINT>(std::max(mode.w, 0)), static_cast<UINT>(std::max(mode.h, 0)),
            static_cast<UINT>(std::max(mode.refresh_rate, 0)), FormatFromSdl(mode.format)};
}
} // namespace

bool StartVideo()
{
    StandinPreferNativeVideo();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        Log("d3d8", "Direct3DCreate8: no video: %s", SDL_GetError());
        return false;
    }
    return true;
}

void StopVideo()
{
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

int DisplayCount()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return 0;
    return SDL_GetNumVideoDisplays();
}

const char* DisplayName(int display)
{
    return SDL_GetDisplayName(display);
}

const char* VideoDriverName()
{
    return SDL_GetCurrentVideoDriver();
}

bool DesktopMode(int display, D3DDISPLAYMODE* mode)
{
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(display, &desktop) != 0)
        return false;
    *mode = ModeFromSdl(desktop);
    return true;
}

std::vector<D3DDISPLAYMODE> ListedModes(int display)
{
    std::vector<D3DDISPLAYMODE> modes;
    for (int i = 0; i < SDL_GetNumDisplayModes(display); ++i)
    {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) == 0)
            modes.push_back(ModeFromSdl(mode));
    }
    return modes;
}

UINT WindowRefreshRate(StandinNativeWindow* window, UINT adapter)
{
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(window);
    if (display < 0)
        display = static_cast<int>(adapter);
    if (SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0)
        return static_cast<UINT>(mode.refresh_rate);
    return 60; // the refresh rate is unknown (as under Xvfb)
}

void WindowSize(StandinNativeWindow* window, int* width, int* height)
{
    SDL_GetWindowSize(window, width, height);
}

void DrawableSize(StandinNativeWindow* window, int* width, int* height)
{
    SDL_GL_GetDrawableSize(window, width, height);
}

bool WindowCanRender(StandinNativeWindow* window)
{
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) != 0;
}

GlContext CreateGlContext(StandinNativeWindow* window)
{
    RequestCoreContext();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
    {
        Log("d3d8", "CreateDevice: no OpenGL 3.3 core context: %s", SDL_GetError());
        return nullptr;
    }
    KeepGlDriverLoaded();
    if (GlVersion() < kGlRequiredVersion)
    {
        Log("d3d8", "CreateDevice: OpenGL %d.%d is below 3.3", GlVersion() / 10, GlVersion() % 10);
        SDL_GL_DeleteContext(context);
        return nullptr;
    }
    return context;
}

void DeleteGlContext(StandinNativeWindow* window, GlContext context)
{
    if (SDL_GL_GetCurrentContext() == context)
        SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(context);
}

bool MakeGlCurrent(StandinNativeWindow* window, GlContext context)
{
    return SDL_GL_MakeCurrent(window, context) == 0;
}

GlContext CurrentGlContext()
{
    return SDL_GL_GetCurrentContext();
}

void SwapWindow(StandinNativeWindow* window)
{
    SDL_GL_SwapWindow(window);
}

bool SetSwapInterval(int interval)
{
    return SDL_GL_SetSwapInterval(interval) == 0;
}

bool OpenProbeContext()
{
    ProbePreviousWindow = SDL_GL_GetCurrentWindow();
    ProbePreviousContext = SDL_GL_GetCurrentContext();
    ProbeWindow =
        SDL_CreateWindow("d3d8 probe", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16, 16,
                         SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR);
    if (!ProbeWindow)
    {
        Log("d3d8", "no OpenGL window on this display (%s): no capabilities to report",
            SDL_GetError());
        return false;
    }
    RequestCoreContext();
    ProbeContext = SDL_GL_CreateContext(ProbeWindow);
    if (!ProbeContext)
    {
        Log("d3d8", "no OpenGL 3.3 core context (%s): no capabilities to report", SDL_GetError());
        SDL_DestroyWindow(ProbeWindow);
        ProbeWindow = nullptr;
        return false;
    }
    KeepGlDriverLoaded();
    return true;
}

void CloseProbeContext()
{
    SDL_GL_DeleteContext(ProbeContext);
    SDL_DestroyWindow(ProbeWindow);
    ProbeContext = nullptr;
    ProbeWindow = nullptr;
    if (ProbePreviousContext)
        SDL_GL_MakeCurrent(ProbePreviousWindow, ProbePreviousContext);
}

const char* WindowSystemError()
{
    return SDL_GetError();
}

} // namespace d3d8
