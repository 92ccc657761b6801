// The back buffer and Present: a framebuffer object of exactly the requested size, colour format
// and depth format; Present scales it, aspect kept and letterboxed in black, onto the device
// window's drawable and then waits for the next refresh (vsync where the driver has it, else its
// own pacing to the display's rate). Also the test read-back of the back buffer.
#include "d3d8_internal.h"

#include <algorithm>
#include <thread>
#include <vector>

using namespace d3d8;

namespace
{
// Lives for the whole run: whether Present waits for the refresh (tests and benchmarks turn
// it off to measure raw drawing speed).
bool PacingEnabled = true;

UINT DisplayRefresh(IDirect3DDevice8::Impl* device)
{
    if (device->Params.FullScreen_RefreshRateInHz)
        return device->Params.FullScreen_RefreshRateInHz;
    return WindowRefreshRate(device->DeviceWindow, device->Adapter);
}

// Scales the back buffer onto the current draw framebuffer of `width` x `height` pixels.
void Blit(IDirect3DDevice8::Impl* device, const RECT* source, int width, int height,
          const RECT* dest)
{
    const int backWidth = static_cast<int>(device->Params.BackBufferWidth);
    const int backHeight = static_cast<int>(device->Params.BackBufferHeight);
    RECT src = {0, 0, backWidth, backHeight};
    if (source)
        src = *source;
    RECT area = {0, 0, width, height};
    if (dest)
        area = *dest;
    const int srcW = src.right - src.left;
    const int srcH = src.bottom - src.top;
    const int areaW = area.right - area.left;
    const int areaH = area.bottom - area.top;
    if (srcW <= 0 || srcH <= 0 || areaW <= 0 || areaH <= 0)
    {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    // The largest picture of the back buffer's shape that fits, centred.
    int outW = areaW;
    int outH = static_cast<int>(static_cast<long long>(areaW) * srcH / srcW);
    if (outH > areaH)
    {
        outH = areaH;
        outW = static_cast<int>(static_cast<long long>(areaH) * srcW / srcH);
    }
    const int x0 = area.left + (areaW - outW) / 2;
    const int yTop = area.top + (areaH - outH) / 2;
    // Black bars where the picture leaves the window uncovered; nothing to clear otherwise.
    if (x0 > 0 || yTop > 0 || x0 + outW < width || yTop + outH < height)
    {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // Both rectangles flip from Direct3D's top-left origin to GL's bottom-left one.
    glBlitFramebuffer(src.left, backHeight - src.bottom, src.right, backHeight - src.top, x0,
                      height - (yTop + outH), x0 + outW, height - yTop, GL_COLOR_BUFFER_BIT,
                      outW == srcW && outH == srcH ? GL_NEAREST : GL_LINEAR);
}

void Pace(IDirect3DDevice8::Impl* device)
{
    const bool pacing = PacingEnabled && device->Params.FullScreen_PresentationInterval !=
                                             D3DPRESENT_INTERVAL_IMMEDIATE;
    if (device->AppliedPacing != (pacing ? 1 : 0))
    {
        device->AppliedPacing = pacing ? 1 : 0;
        device->VsyncActive = false;
        if (pacing && SetSwapInterval(1))
            device->VsyncActive = true;
        else if (!pacing)
            SetSwapInterval(0);
        if (pacing && !device->VsyncActive)
            LogOnce("no-vsync", "d3d8",
                    "the GL driver gives no vsync; Present paces itself to %u Hz",
                    device->RefreshRate);
    }
    if (!pacing || device->VsyncActive)
        return;
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / device->RefreshRate));
    const Clock::time_point deadline = device->LastPresent + period;
    const Clock::time_point now = Clock::now();
    if (now < deadline)
    {
        std::this_thread::sleep_until(deadline);
        device->LastPresent = deadline;
    }
    else
        device->LastPresent = now;
}
} // namespace

void StandinSetPresentPacing(BOOL enabled)
{
    PacingEnabled = enabled != FALSE;
}

namespace d3d8
{
bool PresentPacingEnabled()
{
    return PacingEnabled;
}

HRESULT CreateBackBuffer(IDirect3DDevice8::Impl* device)
{
    const D3DPRESENT_PARAMETERS& p = device->Params;
    const ColorFormat* color = FindColorFormat(p.BackBufferFormat);
    const DepthFormat* depth =
        p.EnableAutoDepthStencil ? FindDepthFormat(p.AutoDepthStencilFormat) : nullptr;
    const GLsizei width = static_cast<GLsizei>(p.BackBufferWidth);
    const GLsizei height = static_cast<GLsizei>(p.BackBufferHeight);
    TakeGlErrors();
    GlState* gl = &device->Shared->Gl;
    glGenFramebuffers(1, &device->Framebuffer);
    GlBindFramebuffer(gl, GL_FRAMEBUFFER, device->Framebuffer);
    glGenRenderbuffers(1, &device->ColorBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, device->ColorBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, color->Internal, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              device->ColorBuffer);
    if (depth)
    {
        glGenRenderbuffers(1, &device->DepthBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, device->DepthBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, depth->Internal, width, height);
        glFramebufferRenderbuffer(
            GL_FRAMEBUFFER, depth->HasStencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
            GL_RENDERBUFFER, device->DepthBuffer);
    }
    bool outOfMemory = false;
    const GLenum error = TakeGlErrors(&outOfMemory);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (outOfMemory)
    {
        Log("d3d8", "no memory for a %d x %d back buffer", width, height);
        DestroyBackBuffer(device);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    if (error != GL_NO_ERROR || status != GL_FRAMEBUFFER_COMPLETE)
    {
        Log("d3d8",
            "the GL driver cannot make a %s back buffer with %s depth (error 0x%x, status 0x%x)",
            color->Name, depth ? depth->Name : "no", error, status);
        DestroyBackBuffer(device);
        return D3DERR_NOTAVAILABLE;
    }
    device->BackFormat = color;
    device->DepthFormat = depth;
    // A new back buffer starts black with the depth at its far end.
    GlEnable(gl, GL_SCISSOR_TEST, false);
    GlColorMask(gl, true, true, true, true);
    GlDepthMask(gl, true);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    SetClearDepth(1.0f);
    glClear(GL_COLOR_BUFFER_BIT | (depth ? GL_DEPTH_BUFFER_BIT : 0));
    device->RefreshRate = DisplayRefresh(device);
    device->AppliedPacing = -1;
    device->LastPresent = {};
    device->Dirty = DirtyAll;
    return D3D_OK;
}

void DestroyBackBuffer(IDirect3DDevice8::Impl* device)
{
    ForgetFramebuffers(&device->Shared->Gl);
    if (device->Framebuffer)
        glDeleteFramebuffers(1, &device->Framebuffer);
    if (device->ColorBuffer)
        glDeleteRenderbuffers(1, &device->ColorBuffer);
    if (device->DepthBuffer)
        glDeleteRenderbuffers(1, &device->DepthBuffer);
    device->Framebuffer = device->ColorBuffer = device->DepthBuffer = 0;
    device->BackFormat = nullptr;
    device->DepthFormat = nullptr;
}
} // namespace d3d8

HRESULT IDirect3DDevice8::Present(const RECT* sourceRect, const RECT* destRect,
                                  HWND destWindowOverride, const RGNDATA* dirtyRegion)
{
    (void)dirtyRegion; // only a hint: the whole picture is shown
    HRESULT result = D3D_OK;
    UpdateLoss(impl);
    const bool copy = impl->Params.SwapEffect == D3DSWAPEFFECT_COPY ||
                      impl->Params.SwapEffect == D3DSWAPEFFECT_COPY_VSYNC;
    StandinNativeWindow* target =
        destWindowOverride ? NativeWindowFromHwnd(destWindowOverride) : impl->DeviceWindow;
    if (impl->Lost)
        result = D3DERR_DEVICELOST;
    else if (((sourceRect || destRect) && !copy) || (destWindowOverride && !impl->Params.Windowed))
        result = D3DERR_INVALIDCALL;
    else if (sourceRect &&
             (sourceRect->left < 0 || sourceRect->top < 0 ||
              sourceRect->left >= sourceRect->right || sourceRect->top >= sourceRect->bottom ||
              sourceRect->right > LONG(impl->Params.BackBufferWidth) ||
              sourceRect->bottom > LONG(impl->Params.BackBufferHeight)))
        result = D3DERR_INVALIDCALL;
    else if (!EnsureCurrent(impl) ||
             (target != impl->DeviceWindow && !MakeGlCurrent(target, impl->Shared->Context)))
    {
        LogOnce("present-current", "d3d8", "Present cannot draw into the window: %s",
                WindowSystemError());
        result = D3DERR_INVALIDCALL;
    }
    else
    {
        int width = 0;
        int height = 0;
        DrawableSize(target, &width, &height);
        GlState* gl = &impl->Shared->Gl;
        GlBindFramebuffer(gl, GL_READ_FRAMEBUFFER, impl->Framebuffer);
        GlBindFramebuffer(gl, GL_DRAW_FRAMEBUFFER, 0);
        GlEnable(gl, GL_SCISSOR_TEST, false);
        GlColorMask(gl, true, true, true, true);
        GlViewport(gl, 0, 0, width, height);
        Blit(impl, sourceRect, width, height, destRect);
        Pace(impl);
        SwapWindow(target);
        if (target != impl->DeviceWindow)
            MakeGlCurrent(impl->DeviceWindow, impl->Shared->Context);
        GlBindFramebuffer(gl, GL_FRAMEBUFFER, impl->Framebuffer);
        impl->Dirty |= DirtyRender | DirtyViewport;
    }
    TraceCall(impl, "Present", 0, 0, 0, 0, nullptr, result);
    return result;
}

HRESULT D3D8ReadBackBuffer(IDirect3DDevice8* device, DWORD* pixels, UINT width, UINT height)
{
    if (!device || !pixels || width != device->impl->Params.BackBufferWidth ||
        height != device->impl->Params.BackBufferHeight || !EnsureCurrent(device->impl))
        return D3DERR_INVALIDCALL;
    std::vector<uint32_t> rows(size_t(width) * height);
    GlBindFramebuffer(&device->impl->Shared->Gl, GL_FRAMEBUFFER, device->impl->Framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    ReadPixelsArgb(static_cast<GLsizei>(width), static_cast<GLsizei>(height), rows.data());
    // GL's row 0 is the bottom one.
    for (UINT y = 0; y < height; ++y)
        std::copy_n(rows.data() + size_t(height - 1 - y) * width, width,
                    pixels + size_t(y) * width);
    return D3D_OK;
}
