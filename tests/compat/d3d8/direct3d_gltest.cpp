// The Direct3D object on a real display: adapter and mode enumeration as the setup tool walks
// it, plausible capabilities, format checks that agree with what CreateDevice really makes, and
// CreateDevice's validation codes.
#include "d3d8_harness.h"

#include <algorithm>

namespace
{
const D3DFORMAT kDepthFormats[] = {D3DFMT_D15S1,   D3DFMT_D16_LOCKABLE, D3DFMT_D16, D3DFMT_D24S8,
                                   D3DFMT_D24X4S4, D3DFMT_D24X8,        D3DFMT_D32};
const D3DFORMAT kDisplayFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                     D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4};
} // namespace

class Direct3DTest : public DeviceTest
{
  protected:
    std::vector<D3DDISPLAYMODE> Modes(UINT adapter)
    {
        std::vector<D3DDISPLAYMODE> modes;
        D3DDISPLAYMODE mode;
        while (D3d->EnumAdapterModes(adapter, static_cast<UINT>(modes.size()), &mode) == D3D_OK)
            modes.push_back(mode);
        return modes;
    }

    HRESULT TryCreate(D3DPRESENT_PARAMETERS p, DWORD flags = D3DCREATE_HARDWARE_VERTEXPROCESSING,
                      UINT adapter = 0, D3DDEVTYPE type = D3DDEVTYPE_HAL)
    {
        if (!Window)
            Window = MakeWindow();
        IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(1);
        const HRESULT result =
            D3d->CreateDevice(adapter, type, HwndFromSdlWindow(Window), flags, &p, &device);
        if (result == D3D_OK)
            EXPECT_EQ(device->Release(), 0u);
        else
            EXPECT_EQ(device, nullptr);
        return result;
    }
};

TEST_F(Direct3DTest, OnlyVersion220IsCreated)
{
    EXPECT_EQ(Direct3DCreate8(219), nullptr);
    EXPECT_EQ(Direct3DCreate8(0), nullptr);
}

TEST_F(Direct3DTest, AdaptersAndModesEnumerate)
{
    const UINT adapters = D3d->GetAdapterCount();
    ASSERT_GE(adapters, 1u);
    D3DADAPTER_IDENTIFIER8 id;
    ASSERT_EQ(D3d->GetAdapterIdentifier(0, D3DENUM_NO_WHQL_LEVEL, &id), D3D_OK);
    EXPECT_GT(std::strlen(id.Description), 0u);
    EXPECT_GT(std::strlen(id.Driver), 0u);
    EXPECT_NE(std::strstr(id.Description, "llvmpipe"), nullptr) << id.Description;
    EXPECT_EQ(D3d->GetAdapterIdentifier(adapters, 0, &id), D3DERR_INVALIDCALL);

    D3DDISPLAYMODE desktop;
    ASSERT_EQ(D3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    EXPECT_EQ(desktop.Width, 1024u); // the test display
    EXPECT_EQ(desktop.Height, 768u);
    EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(D3d->GetAdapterDisplayMode(adapters, &desktop), D3DERR_INVALIDCALL);

    const std::vector<D3DDISPLAYMODE> modes = Modes(0);
    ASSERT_GE(modes.size(), 1u);
    EXPECT_EQ(D3d->GetAdapterModeCount(0), modes.size());
    D3DDISPLAYMODE mode;
    EXPECT_EQ(D3d->EnumAdapterModes(0, static_cast<UINT>(modes.size()), &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3d->EnumAdapterModes(adapters, 0, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3d->GetAdapterModeCount(adapters), 0u);
    auto has = [&](UINT w, UINT h, D3DFORMAT f)
    {
        return std::any_of(modes.begin(), modes.end(),
                           [&](const D3DDISPLAYMODE& m)
                           { return m.Width == w && m.Height == h && m.Format == f; });
    };
    // The desktop's own mode, its one 16-bit variant, and the smaller classic sizes.
    for (D3DFORMAT f : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5})
    {
        EXPECT_TRUE(has(1024, 768, f)) << f;
        EXPECT_TRUE(has(640, 480, f)) << f;
        EXPECT_TRUE(has(800, 600, f)) << f;
    }
    EXPECT_FALSE(has(640, 480, D3DFMT_X1R5G5B5)) << "a second 16-bit format per size";
    for (size_t i = 0; i < modes.size(); ++i)
    {
        EXPECT_LE(modes[i].Width, desktop.Width);
        EXPECT_LE(modes[i].Height, desktop.Height);
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(modes[i].Width == modes[j].Width && modes[i].Height == modes[j].Height &&
                         modes[i].Format == modes[j].Format &&
                         modes[i].RefreshRate == modes[j].RefreshRate)
                << "mode " << i << " repeats mode " << j;
    }
}

TEST_F(Direct3DTest, CapabilitiesArePlausible)
{
    D3DCAPS8 caps;
    ASSERT_EQ(D3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_GE(caps.MaxTextureHeight, 2048u);
    EXPECT_EQ(caps.MaxActiveLights, 8u);
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
    EXPECT_TRUE(caps.RasterCaps & D3DPRASTERCAPS_WBUFFER);
    EXPECT_TRUE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFLINEAR);
    EXPECT_TRUE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MIPFLINEAR);
    EXPECT_TRUE(caps.SrcBlendCaps & D3DPBLENDCAPS_SRCCOLOR);
    EXPECT_TRUE(caps.DestBlendCaps & D3DPBLENDCAPS_SRCCOLOR);
    EXPECT_TRUE(caps.DestBlendCaps & D3DPBLENDCAPS_DESTCOLOR);
    EXPECT_EQ(caps.PrimitiveMiscCaps & 0x70u, 0x70u); // all three cull modes
    // llvmpipe filters anisotropically, up to 16 samples.
    EXPECT_TRUE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC);
    EXPECT_GE(caps.MaxAnisotropy, 2u);
    EXPECT_EQ(D3d->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(D3d->GetDeviceCaps(D3d->GetAdapterCount(), D3DDEVTYPE_HAL, &caps),
              D3DERR_INVALIDCALL);
}

TEST_F(Direct3DTest, FormatChecksAgreeWithDeviceCreation)
{
    // Every display format works as display and back buffer, and a device really is made in it.
    for (D3DFORMAT format : kDisplayFormats)
    {
        EXPECT_EQ(D3d->CheckDeviceType(0, D3DDEVTYPE_HAL, format, format, FALSE), D3D_OK);
        EXPECT_EQ(
            D3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, format),
            D3D_OK);
        D3DPRESENT_PARAMETERS p = Params(320, 200, format, D3DFMT_D16);
        p.Windowed = TRUE;
        EXPECT_EQ(TryCreate(p), D3D_OK) << "format " << format;
    }
    EXPECT_EQ(D3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_P8, D3DFMT_P8, FALSE),
              D3DERR_INVALIDCALL);
    // A depth format passes both checks exactly when a device with it can be made; the
    // setup tool's choice (the last passing of its seven) is one GL really has.
    D3DFORMAT chosen = D3DFMT_UNKNOWN;
    for (D3DFORMAT depth : kDepthFormats)
    {
        const bool passes =
            D3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                   D3DRTYPE_SURFACE, depth) == D3D_OK &&
            D3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8,
                                        depth) == D3D_OK;
        if (passes)
            chosen = depth;
        D3DPRESENT_PARAMETERS p = Params(640, 480, D3DFMT_X8R8G8B8, depth);
        EXPECT_EQ(TryCreate(p) == D3D_OK, passes) << "depth " << depth;
    }
    EXPECT_EQ(chosen, D3DFMT_D32);
    // GL has no depth buffer with a 1-bit or 4-bit stencil.
    EXPECT_EQ(D3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8,
                                          D3DFMT_D15S1),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(D3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8,
                                          D3DFMT_X8R8G8B8),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                     D3DRTYPE_SURFACE, D3DFMT_D24X4S4),
              D3DERR_NOTAVAILABLE);
}

TEST_F(Direct3DTest, CreateDeviceValidates)
{
    const D3DPRESENT_PARAMETERS good = Params(640, 480, D3DFMT_X8R8G8B8, D3DFMT_D24S8);
    EXPECT_EQ(TryCreate(good), D3D_OK);
    // The game's fallbacks: mixed and software processing work too.
    EXPECT_EQ(TryCreate(good, D3DCREATE_MIXED_VERTEXPROCESSING), D3D_OK);
    EXPECT_EQ(TryCreate(good, D3DCREATE_SOFTWARE_VERTEXPROCESSING), D3D_OK);

    EXPECT_EQ(TryCreate(good, D3DCREATE_HARDWARE_VERTEXPROCESSING, D3d->GetAdapterCount()),
              D3DERR_INVALIDCALL); // bad adapter
    EXPECT_EQ(TryCreate(good, D3DCREATE_HARDWARE_VERTEXPROCESSING, 0, D3DDEVTYPE_REF),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(
        TryCreate(good, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING),
        D3DERR_INVALIDCALL);                                                // two behaviour flags
    EXPECT_EQ(TryCreate(good, D3DCREATE_FPU_PRESERVE), D3DERR_INVALIDCALL); // none

    D3DPRESENT_PARAMETERS p = Params(641, 480, D3DFMT_X8R8G8B8, D3DFMT_D24S8);
    EXPECT_EQ(TryCreate(p), D3DERR_INVALIDCALL); // not a mode
    p = Params(2048, 1536, D3DFMT_X8R8G8B8, D3DFMT_D24S8);
    EXPECT_EQ(TryCreate(p), D3DERR_INVALIDCALL); // larger than the display
    p = Params(640, 480, D3DFMT_A8R8G8B8, D3DFMT_D24S8);
    EXPECT_EQ(TryCreate(p), D3DERR_INVALIDCALL); // full screen needs a mode's format
    // A rate the display names for no mode is refused; a display that names no rates at all
    // (Xvfb) cannot be said to lack one, so a rate saved on another display is taken there.
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(D3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    p = good;
    p.FullScreen_RefreshRateInHz = 1234;
    EXPECT_EQ(TryCreate(p), mode.RefreshRate == 0 ? D3D_OK : D3DERR_INVALIDCALL);
    p = Params(640, 480, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8);
    EXPECT_EQ(TryCreate(p), D3DERR_INVALIDCALL); // not a depth format
    p = Params(640, 480, D3DFMT_X8R8G8B8, D3DFMT_D15S1);
    EXPECT_EQ(TryCreate(p), D3DERR_NOTAVAILABLE); // a depth format GL lacks
    p = good;
    p.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(4);
    EXPECT_EQ(TryCreate(p), D3DERR_NOTAVAILABLE);
    p = good;
    p.BackBufferCount = 4;
    EXPECT_EQ(TryCreate(p), D3DERR_INVALIDCALL);
    // A back buffer beyond what GL can allocate.
    p = Params(100000, 16, D3DFMT_X8R8G8B8, D3DFMT_D16);
    p.Windowed = TRUE;
    EXPECT_EQ(TryCreate(p), D3DERR_OUTOFVIDEOMEMORY);

    // Windows: one is needed, and it must be able to show OpenGL.
    IDirect3DDevice8* device = nullptr;
    p = good;
    EXPECT_EQ(D3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                &device),
              D3DERR_INVALIDCALL);
    SDL_Window* plain = SDL_CreateWindow("no gl", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(D3d->CreateDevice(0, D3DDEVTYPE_HAL, HwndFromSdlWindow(plain),
                                D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device),
              D3DERR_NOTAVAILABLE);
    SDL_DestroyWindow(plain);
    EXPECT_EQ(device, nullptr);
}

TEST_F(Direct3DTest, WindowedDeviceTakesItsSizeFromTheWindow)
{
    Window = MakeWindow(320, 240);
    D3DPRESENT_PARAMETERS p = Params(0, 0, D3DFMT_UNKNOWN, D3DFMT_D16);
    p.Windowed = TRUE;
    p.SwapEffect = D3DSWAPEFFECT_COPY;
    ASSERT_EQ(D3d->CreateDevice(0, D3DDEVTYPE_HAL, HwndFromSdlWindow(Window),
                                D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &Device),
              D3D_OK);
    EXPECT_EQ(p.BackBufferWidth, 320u);
    EXPECT_EQ(p.BackBufferHeight, 240u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN, 0u);
    D3DVIEWPORT8 viewport;
    ASSERT_EQ(Device->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport.Width, 320u);
    // A windowed device is not lost when its window loses focus.
    StandinSetWindowFocus(HwndFromSdlWindow(Window), FALSE);
    EXPECT_EQ(Device->TestCooperativeLevel(), D3D_OK);
    const RECT half = {0, 0, 160, 120};
    EXPECT_EQ(Device->Present(&half, nullptr, nullptr, nullptr), D3D_OK);
    StandinSetWindowFocus(HwndFromSdlWindow(Window), TRUE);
}
