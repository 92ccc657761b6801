// Device creation and lifetime: CreateDevice's validation and the GL context the device and its
// resources share, reference counting, and the device's questions about itself (caps, mode,
// texture memory, its Direct3D object).
#include "d3d8_internal.h"

using namespace d3d8;

namespace
{
// Lives for the whole run: the context whose shadow of the GL state was used last.
const SharedContext* StateOwner = nullptr;

constexpr DWORD kKnownBehaviorFlags = D3DCREATE_FPU_PRESERVE | D3DCREATE_MULTITHREADED |
                                      D3DCREATE_PUREDEVICE | D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                      D3DCREATE_MIXED_VERTEXPROCESSING;

HRESULT CheckBehavior(DWORD flags)
{
    const DWORD processing =
        flags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                 D3DCREATE_MIXED_VERTEXPROCESSING);
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_MIXED_VERTEXPROCESSING)
    {
        Log("d3d8",
            "CreateDevice: behaviour flags 0x%x name not exactly one kind of vertex processing",
            flags);
        return D3DERR_INVALIDCALL;
    }
    if (flags & ~kKnownBehaviorFlags)
    {
        Log("d3d8", "CreateDevice: unknown behaviour flags 0x%x", flags & ~kKnownBehaviorFlags);
        return D3DERR_INVALIDCALL;
    }
    if ((flags & D3DCREATE_PUREDEVICE) && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

void DestroyDevice(IDirect3DDevice8::Impl* device)
{
    if (device->Shared->MakeCurrent())
    {
        ReleaseBindings(device);
        DestroyBackBuffer(device);
        DestroyDrawObjects(device);
    }
    else
        ReleaseBindings(device);
    if (!device->Params.Windowed && device->DeviceWindow)
        LeaveFullscreen(device); // the desktop comes back, as on release
    SharedContext* shared = device->Shared;
    if (shared->References > 1)
        Log("d3d8",
            "device released while %d of its textures or buffers live; their GL objects go with "
            "its context",
            shared->References - 1);
    DeleteGlContext(shared->Window, shared->Context);
    shared->Context = nullptr;
    shared->DeviceAlive = false;
    shared->Release();
    device->Direct3D->Release();
}
} // namespace

namespace d3d8
{
bool SharedContext::MakeCurrent()
{
    if (!DeviceAlive || !Context)
        return false;
    if (CurrentGlContext() != Context && !MakeGlCurrent(Window, Context))
    {
        LogOnce("make-current", "d3d8", "cannot make the device's GL context current: %s",
                WindowSystemError());
        return false;
    }
    // A page's devices take turns on the canvas's one context, so what another device set there
    // since this one last drew is not in this one's shadow.
    if (StateOwner != this)
    {
        ForgetGlState(&Gl);
        StateOwner = this;
    }
    return true;
}

void SharedContext::Release()
{
    if (--References == 0)
        delete this;
}

bool EnsureCurrent(IDirect3DDevice8::Impl* device)
{
    return device->Shared->MakeCurrent();
}
} // namespace d3d8

HRESULT IDirect3D8::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                 DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                                 IDirect3DDevice8** returnedDevice)
{
    if (!returnedDevice || !params)
        return D3DERR_INVALIDCALL;
    *returnedDevice = nullptr;
    if (adapter >= GetAdapterCount())
    {
        Log("d3d8", "CreateDevice: there is no adapter %u", adapter);
        return D3DERR_INVALIDCALL;
    }
    HRESULT result = DeviceTypeResult(deviceType);
    if (result != D3D_OK)
    {
        Log("d3d8", "CreateDevice: only the HAL device type exists");
        return result;
    }
    result = CheckBehavior(behaviorFlags);
    if (result != D3D_OK)
        return result;
    StandinNativeWindow* focus = NativeWindowFromHwnd(focusWindow);
    StandinNativeWindow* window =
        params->hDeviceWindow ? NativeWindowFromHwnd(params->hDeviceWindow) : focus;
    if (!window || (!focus && !params->Windowed))
    {
        Log("d3d8", "CreateDevice: no focus or device window");
        return D3DERR_INVALIDCALL;
    }
    if (!focus)
        focus = window;
    if (!WindowCanRender(window))
    {
        Log("d3d8", "CreateDevice: the window was made without GL");
        return D3DERR_NOTAVAILABLE;
    }
    D3DPRESENT_PARAMETERS accepted = *params;
    result = ValidatePresentParameters(this, adapter, window, &accepted);
    if (result != D3D_OK)
        return result;

    GlContext context = CreateGlContext(window);
    if (!context)
        return D3DERR_NOTAVAILABLE;

    IDirect3DDevice8* object = new IDirect3DDevice8;
    IDirect3DDevice8::Impl* device = new IDirect3DDevice8::Impl;
    object->impl = device;
    device->Direct3D = this;
    AddRef();
    device->Adapter = adapter;
    device->Behavior = behaviorFlags;
    device->FocusWindow = focus;
    device->DeviceWindow = window;
    device->Params = accepted;
    device->Shared = new SharedContext;
    device->Shared->Context = context;
    device->Shared->Window = window;
    ForgetGlState(&device->Shared->Gl);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &device->Shared->MaxTextureSize);
    const GlProbe* probe = Probe();
    device->ClipControl = probe && probe->ClipControl;
    device->Anisotropic = probe && probe->Anisotropic;
    device->MaxAnisotropy = probe ? probe->MaxAnisotropy : 1.0f;

    result = CreateDrawObjects(device) ? CreateBackBuffer(device) : D3DERR_NOTAVAILABLE;
    if (result != D3D_OK)
    {
        DestroyDevice(device);
        delete device;
        delete object;
        return result;
    }
    ResetDeviceState(device);
    if (!accepted.Windowed)
        EnterFullscreen(device);
    SettleFocus(device);
    *params = accepted;
    *returnedDevice = object;
    return D3D_OK;
}

ULONG IDirect3DDevice8::AddRef()
{
    return ++impl->References;
}

ULONG IDirect3DDevice8::Release()
{
    const ULONG left = --impl->References;
    if (left == 0)
    {
        DestroyDevice(impl);
        delete impl;
        delete this;
    }
    return left;
}

HRESULT IDirect3DDevice8::GetDirect3D(IDirect3D8** direct3D)
{
    if (!direct3D)
        return D3DERR_INVALIDCALL;
    impl->Direct3D->AddRef();
    *direct3D = impl->Direct3D;
    return D3D_OK;
}

HRESULT IDirect3DDevice8::GetDeviceCaps(D3DCAPS8* caps)
{
    if (!caps)
        return D3DERR_INVALIDCALL;
    const GlProbe* probe = Probe();
    if (!probe)
        return D3DERR_NOTAVAILABLE;
    FillCaps(*probe, impl->Adapter, caps);
    return D3D_OK;
}

HRESULT IDirect3DDevice8::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    if (!mode)
        return D3DERR_INVALIDCALL;
    if (impl->Params.Windowed)
        return impl->Direct3D->GetAdapterDisplayMode(impl->Adapter, mode);
    mode->Width = impl->Params.BackBufferWidth;
    mode->Height = impl->Params.BackBufferHeight;
    mode->RefreshRate = impl->Params.FullScreen_RefreshRateInHz;
    mode->Format = impl->Params.BackBufferFormat;
    return D3D_OK;
}

UINT IDirect3DDevice8::GetAvailableTextureMem()
{
    // GL does not say how much memory is left; report a fixed 512 MiB budget less what this
    // device's textures and buffers hold.
    LogOnce("texture-mem", "d3d8",
            "GetAvailableTextureMem is an estimate: GL reports no free memory");
    const size_t budget = size_t(512) << 20;
    const size_t used = impl->Shared->ResourceBytes;
    return static_cast<UINT>(used < budget ? budget - used : 0);
}
