// The Direct3D stand-in's window system in a browser: one adapter (the page's screen, its modes
// the classic sizes that fit it), the canvas as every window's drawable, WebGL 2 contexts from
// html5.h, and presenting as giving the browser its turn at the display's pace.
#include "d3d8_internal.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include "page_web.h"

namespace d3d8
{
namespace
{
// Whole run: the context made for the probe (kept and reused by the first device, since a canvas
// has one WebGL context for its whole life), how many Direct3D objects use the page, the time of
// the last present, and the last failure's text.
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE CanvasContext = 0;
int VideoUsers = 0;
double LastSwap = 0.0;
bool SwapWaits = true;
// Whole run: a fence after each of the last frames presented, oldest first (null where none).
GLsync FramesInFlight[2] = {};
const char* LastError = "";

// One WebGL 2 context for the canvas; every device and the probe use it in turn.
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE CanvasGl()
{
    if (CanvasContext > 0)
        return CanvasContext;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    // The device draws into its own back buffer; the canvas only receives the scaled picture.
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE; // screenshots read what was last presented
    attributes.enableExtensionsByDefault = EM_TRUE;
    attributes.powerPreference = EM_WEBGL_POWER_PREFERENCE_HIGH_PERFORMANCE;
    CanvasContext = emscripten_webgl_create_context(kPageCanvas, &attributes);
    if (CanvasContext <= 0)
    {
        LastError = "the browser offers no WebGL 2 context";
        CanvasContext = 0;
    }
    return CanvasContext;
}
} // namespace

bool StartVideo()
{
    PageStart();
    ++VideoUsers;
    return true;
}

void StopVideo()
{
    if (VideoUsers > 0)
        --VideoUsers;
}

int DisplayCount()
{
    return VideoUsers > 0 ? 1 : 0;
}

const char* DisplayName(int display)
{
    return display == 0 ? "Browser" : nullptr;
}

const char* VideoDriverName()
{
    return "WebGL 2";
}

bool DesktopMode(int display, D3DDISPLAYMODE* mode)
{
    if (display != 0)
    {
        LastError = "there is one display";
        return false;
    }
    int width = 0, height = 0, refresh = 0;
    PageScreenSize(&width, &height, &refresh);
    if (width <= 0 || height <= 0)
    {
        LastError = "the page reports no screen size";
        return false;
    }
    *mode = {UINT(width), UINT(height), UINT(refresh), D3DFMT_X8R8G8B8};
    return true;
}

std::vector<D3DDISPLAYMODE> ListedModes(int display)
{
    // The page scales the canvas to the screen whatever its size, so the game's smallest mode is
    // always offered, on a phone whose screen is smaller too; the desktop mode and the classic
    // sizes that fit it (direct3d.cpp adds both) are the rest.
    if (display != 0)
        return {};
    return {{640, 480, 60, D3DFMT_X8R8G8B8}};
}

UINT WindowRefreshRate(StandinNativeWindow* window, UINT adapter)
{
    (void)window;
    (void)adapter;
    return 60; // a page cannot read the display's rate
}

void WindowSize(StandinNativeWindow* window, int* width, int* height)
{
    *width = window ? window->Width : 0;
    *height = window ? window->Height : 0;
}

void DrawableSize(StandinNativeWindow* window, int* width, int* height)
{
    (void)window;
    PageCanvasSize(width, height);
}

bool WindowCanRender(StandinNativeWindow* window)
{
    return window && window->Alive;
}

GlContext CreateGlContext(StandinNativeWindow* window)
{
    (void)window;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = CanvasGl();
    if (!context || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS)
    {
        Log("d3d8", "CreateDevice: no WebGL 2 context: %s", LastError);
        return nullptr;
    }
    return reinterpret_cast<GlContext>(context);
}

void DeleteGlContext(StandinNativeWindow* window, GlContext context)
{
    // The canvas keeps its one context for the next device; only the binding goes.
    (void)window;
    (void)context;
}

bool MakeGlCurrent(StandinNativeWindow* window, GlContext context)
{
    (void)window;
    const auto handle = EMSCRIPTEN_WEBGL_CONTEXT_HANDLE(reinterpret_cast<intptr_t>(context));
    if (emscripten_webgl_make_context_current(handle) != EMSCRIPTEN_RESULT_SUCCESS)
    {
        LastError = "the WebGL context is gone";
        return false;
    }
    return true;
}

GlContext CurrentGlContext()
{
    return reinterpret_cast<GlContext>(intptr_t(emscripten_webgl_get_current_context()));
}

// The browser does the GPU's work after the program's turn, and nothing else holds a program
// back that presents faster than that work gets done: on a software rasteriser the page went
// on presenting while the screen showed frames seconds old, so keys seemed to act seconds late.
// A frame therefore waits, giving the page its turns, until the GPU has finished the frame two
// before it.
void AwaitFramesInFlight()
{
    if (GLsync oldest = FramesInFlight[0])
    {
        // Without a timeout the browser answers at once; the status changes between turns.
        GLenum status;
        while ((status = glClientWaitSync(oldest, 0, 0)) == GL_TIMEOUT_EXPIRED)
            PageSleep(1);
        glDeleteSync(oldest);
        if (status == GL_WAIT_FAILED) // the context is gone: nothing more to wait for
        {
            glDeleteSync(FramesInFlight[1]);
            FramesInFlight[1] = nullptr;
        }
    }
    FramesInFlight[0] = FramesInFlight[1];
    FramesInFlight[1] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
}

void SwapWindow(StandinNativeWindow* window)
{
    (void)window;
    AwaitFramesInFlight();
    // The browser shows the canvas when the program gives it its turn; waiting out the rest of
    // the display's period here is the vsync the desktop driver gives.
    const double period = 1000.0 / 60.0;
    const double now = emscripten_get_now();
    const double wait = SwapWaits ? LastSwap + period - now : 0.0;
    if (wait > 1.0)
        PageSleep(unsigned(wait));
    else
        PageYield();
    LastSwap = emscripten_get_now();
}

bool SetSwapInterval(int interval)
{
    SwapWaits = interval != 0;
    return true;
}

bool OpenProbeContext()
{
    if (!CanvasGl())
    {
        Log("d3d8", "no WebGL 2 context (%s): no capabilities to report", LastError);
        return false;
    }
    return emscripten_webgl_make_context_current(CanvasContext) == EMSCRIPTEN_RESULT_SUCCESS;
}

void CloseProbeContext() {}

const char* WindowSystemError()
{
    return LastError;
}

} // namespace d3d8
