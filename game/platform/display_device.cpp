// The Direct3D device: its creation (hardware, mixed, then software vertex processing), the fixed
// render states every frame relies on, light 0, the one material, the stage 0 texture filters and
// the release of the device and the Direct3D object.
#include "game/platform/display_device.h"

#include <cstdio>
#include <cstring>

#include "game/core/app.h"
#include "game/platform/display_settings_file.h"

// The SDK names the adapter's own refresh rate 0; MinGW-w64's d3d8types.h leaves the name out.
#ifndef D3DPRESENT_RATE_DEFAULT
#define D3DPRESENT_RATE_DEFAULT 0
#endif

// Live from start-up to shutdown: the two interface handles, light 0 (moved to the ball by every
// render pass) and the filter chosen from FilterMethod (restored after the snow's point filter).
IDirect3D8* Direct3D = nullptr;
IDirect3DDevice8* Device = nullptr;
D3DLIGHT8 SceneLight;
D3DTEXTUREFILTERTYPE TextureFilter = D3DTEXF_NONE;

namespace
{
// Whole run: whether the nearest accepted light has been reported (once, not at every reset).
bool NearestLightNoted = false;
} // namespace

void FillPresentParameters(D3DPRESENT_PARAMETERS* parameters, UINT refreshRate)
{
    std::memset(parameters, 0, sizeof *parameters);
    parameters->BackBufferWidth = DisplaySettings.DisplayMode.Width;
    parameters->BackBufferHeight = DisplaySettings.DisplayMode.Height;
    parameters->BackBufferFormat = DisplaySettings.DisplayMode.Format;
    parameters->BackBufferCount = 2;
    parameters->MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters->SwapEffect = D3DSWAPEFFECT_FLIP;
    parameters->hDeviceWindow = nullptr; // the focus window is used
    parameters->Windowed = FALSE;
    parameters->EnableAutoDepthStencil = TRUE;
    parameters->AutoDepthStencilFormat = DisplaySettings.DepthStencilFormat;
    parameters->Flags = 0;
    parameters->FullScreen_RefreshRateInHz = refreshRate;
    parameters->FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
}

const char* CreateDisplayDevice()
{
    Direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (Direct3D == nullptr)
        return "Failed to obtain pointer to D3D Interface.";

    D3DPRESENT_PARAMETERS parameters;
    FillPresentParameters(&parameters, D3DPRESENT_RATE_DEFAULT);

    // Hardware transform and lighting first when the settings ask for it, then mixed, then
    // software; only the last attempt's result decides the message.
    HRESULT result;
    if (DisplaySettings.HardwareVertexProcessing)
    {
        result = Direct3D->CreateDevice(DisplaySettings.Adapter, D3DDEVTYPE_HAL, GameWindow,
                                        D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &Device);
        if (result == D3D_OK)
            return nullptr;
    }
    result = Direct3D->CreateDevice(DisplaySettings.Adapter, D3DDEVTYPE_HAL, GameWindow,
                                    D3DCREATE_MIXED_VERTEXPROCESSING, &parameters, &Device);
    if (result != D3D_OK)
        result = Direct3D->CreateDevice(DisplaySettings.Adapter, D3DDEVTYPE_HAL, GameWindow,
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &Device);
    if (result == D3D_OK)
        return nullptr;
    if (result == D3DERR_OUTOFVIDEOMEMORY)
        return "Insufficient Video Card Memory.";
    return "Create D3D Device Failed.";
}

void ApplyRenderStates()
{
    Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    Device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    Device->SetRenderState(D3DRS_AMBIENT, 0xEEEEEEEE);
    Device->SetRenderState(D3DRS_LIGHTING, TRUE);
    Device->SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
    Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    Device->SetRenderState(D3DRS_ALPHAREF, 1);
    Device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    Device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    // Where the adapter lacks a blend factor the device default stays in force.
    if (DisplaySettings.SrcBlendSrcColor)
        Device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
    if (DisplaySettings.DestBlendDestColor)
        Device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTCOLOR);
    if (DisplaySettings.WBuffering)
        Device->SetRenderState(D3DRS_ZENABLE, D3DZB_USEW);
}

void SetupLight()
{
    std::memset(&SceneLight, 0, sizeof SceneLight);
    SceneLight.Type = D3DLIGHT_POINT;
    SceneLight.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    SceneLight.Specular = {0.0f, 0.0f, 0.0f, 0.0f};
    SceneLight.Ambient = {1.0f, 1.0f, 1.0f, 0.0f};
    SceneLight.Position = {0.0f, 0.0f, 0.0f};
    SceneLight.Direction = {0.0f, 0.0f, 0.0f};
    SceneLight.Range = 80.0f;
    SceneLight.Falloff = 0.0f;
    SceneLight.Attenuation0 = 1.0f;
    // The light's fall-off around the ball was tuned with these very values (bits 0xBD8B4396 and
    // 0x3BA3D70A); Attenuation1 is negative on purpose.
    SceneLight.Attenuation1 = -0.068f;
    SceneLight.Attenuation2 = 0.005f;
    SceneLight.Theta = 0.0f;
    SceneLight.Phi = 0.0f;
    if (Device->SetLight(0, &SceneLight) != D3D_OK)
    {
        // A device that takes only non-negative attenuation (Wine's, for one) refuses the tuned
        // light, and every render pass would then fail to move it. It gets the nearest light it
        // accepts instead: 1 / (0.38 + 0.00325 d²) stays within 0.02 of the tuned fall-off,
        // clamped to full brightness as the vertex colour is, over the light's whole range.
        SceneLight.Attenuation0 = 0.38f;
        SceneLight.Attenuation1 = 0.0f;
        SceneLight.Attenuation2 = 0.00325f;
        if (Device->SetLight(0, &SceneLight) == D3D_OK && !NearestLightNoted)
        {
            std::fprintf(stderr, "zendrill: the device refused light 0's negative attenuation; "
                                 "using 1 / (0.38 + 0.00325 d^2) instead\n");
            NearestLightNoted = true;
        }
    }
    Device->LightEnable(0, TRUE);
}

const char* ApplyMaterial()
{
    D3DMATERIAL8 material;
    std::memset(&material, 0, sizeof material);
    material.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    material.Ambient = {1.0f, 1.0f, 1.0f, 0.0f};
    if (FAILED(Device->SetMaterial(&material)))
        return "Set Material Failed.";
    return nullptr;
}

void ApplyTextureFilters()
{
    switch (DisplaySettings.FilterMethod)
    {
    case FilterPoint:
        TextureFilter = D3DTEXF_POINT;
        break;
    case FilterLinear:
        TextureFilter = D3DTEXF_LINEAR;
        break;
    case FilterAnisotropic:
        TextureFilter = D3DTEXF_ANISOTROPIC;
        break;
    default:
        break; // an unknown method keeps the filter it had
    }
    Device->SetTextureStageState(0, D3DTSS_MAGFILTER, TextureFilter);
    Device->SetTextureStageState(0, D3DTSS_MINFILTER, TextureFilter);
    if (DisplaySettings.MipMapping)
        Device->SetTextureStageState(0, D3DTSS_MIPFILTER, TextureFilter);
    Device->SetTextureStageState(0, D3DTSS_MAXANISOTROPY,
                                 DisplaySettings.FilterMethod == FilterAnisotropic ? 2 : 1);
}

const char* ApplyFixedState()
{
    ApplyRenderStates();
    if (DisplaySettings.Lighting)
        SetupLight(); // light 0 stays at the origin until the next render pass moves it
    if (const char* text = ApplyMaterial())
        return text;
    ApplyTextureFilters();
    return nullptr;
}

void ReleaseDisplayDevice()
{
    if (Device != nullptr)
    {
        Device->Release();
        Device = nullptr;
    }
    if (Direct3D != nullptr)
    {
        Direct3D->Release();
        Direct3D = nullptr;
    }
}
