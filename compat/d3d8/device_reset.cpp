// The device-loss protocol both window systems share: TestCooperativeLevel's answer and Reset,
// which rebuilds the back buffer and every default state once the window is back in front.
// What "in front" means is the window system's (device_loss_sdl.cpp, device_loss_web.cpp).
#include "d3d8_internal.h"

using namespace d3d8;

HRESULT IDirect3DDevice8::TestCooperativeLevel()
{
    UpdateLoss(impl);
    if (!impl->Lost)
        return D3D_OK;
    return WindowInFront(impl->FocusWindow) ? D3DERR_DEVICENOTRESET : D3DERR_DEVICELOST;
}

HRESULT IDirect3DDevice8::Reset(D3DPRESENT_PARAMETERS* presentationParameters)
{
    UpdateLoss(impl);
    HRESULT result = D3D_OK;
    D3DPRESENT_PARAMETERS accepted{};
    if (impl->Lost && !WindowInFront(impl->FocusWindow))
        result = D3DERR_DEVICELOST;
    else if (!presentationParameters)
        result = D3DERR_INVALIDCALL;
    else
    {
        accepted = *presentationParameters;
        if (!accepted.hDeviceWindow)
            accepted.hDeviceWindow = impl->Params.hDeviceWindow;
        result =
            ValidatePresentParameters(impl->Direct3D, impl->Adapter, impl->DeviceWindow, &accepted);
    }
    if (result == D3D_OK && impl->Shared->DefaultPoolResources > 0)
    {
        Log("d3d8", "Reset: %d resources of the default pool still live; release them first",
            impl->Shared->DefaultPoolResources);
        result = D3DERR_INVALIDCALL;
    }
    if (result == D3D_OK && !EnsureCurrent(impl))
        result = D3DERR_INVALIDCALL;
    if (result == D3D_OK)
    {
        DestroyBackBuffer(impl);
        impl->Params = accepted;
        result = CreateBackBuffer(impl);
        ResetDeviceState(impl);
        if (result != D3D_OK)
            impl->Lost = true; // only another Reset can bring the device back
        else
        {
            if (accepted.Windowed)
                LeaveFullscreen(impl);
            else
                EnterFullscreen(impl);
            impl->Lost = false;
            SettleFocus(impl);
            *presentationParameters = accepted;
        }
    }
    TraceCall(impl, "Reset", presentationParameters ? presentationParameters->BackBufferWidth : 0,
              presentationParameters ? presentationParameters->BackBufferHeight : 0,
              presentationParameters ? presentationParameters->BackBufferFormat : 0, 0, nullptr,
              result);
    return result;
}
