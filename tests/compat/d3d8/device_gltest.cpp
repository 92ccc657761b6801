// The device on the real GL driver: its documented defaults after creation and after Reset,
// the draw validation the game relies on (seen through the call trace), a device-loss cycle
// driven by a real focus change, and resources outliving Reset and their device.
#include "d3d8_harness.h"

#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"

namespace
{
struct StateValue
{
    D3DRENDERSTATETYPE State;
    DWORD Value;
};
// Direct3D's defaults, for a device with an automatic depth buffer.
const StateValue kRenderDefaults[] = {
    {D3DRS_ZENABLE, D3DZB_TRUE},      {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_ZWRITEENABLE, TRUE},       {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_SRCBLEND, D3DBLEND_ONE},   {D3DRS_DESTBLEND, D3DBLEND_ZERO},
    {D3DRS_ALPHABLENDENABLE, FALSE},  {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS}, {D3DRS_ALPHAREF, 0},
    {D3DRS_LIGHTING, TRUE},           {D3DRS_AMBIENT, 0},
    {D3DRS_SPECULARENABLE, FALSE},    {D3DRS_NORMALIZENORMALS, FALSE},
    {D3DRS_FILLMODE, D3DFILL_SOLID},  {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_COLORVERTEX, TRUE},        {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
    {D3DRS_COLORWRITEENABLE, 0xF},    {D3DRS_DITHERENABLE, FALSE}};

struct StageValue
{
    D3DTEXTURESTAGESTATETYPE Type;
    DWORD Value;
};
const StageValue kStageDefaults[] = {{D3DTSS_COLOROP, D3DTOP_MODULATE},
                                     {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                                     {D3DTSS_COLORARG2, D3DTA_CURRENT},
                                     {D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
                                     {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                                     {D3DTSS_ALPHAARG2, D3DTA_CURRENT},
                                     {D3DTSS_MAGFILTER, D3DTEXF_POINT},
                                     {D3DTSS_MINFILTER, D3DTEXF_POINT},
                                     {D3DTSS_MIPFILTER, D3DTEXF_NONE},
                                     {D3DTSS_MAXANISOTROPY, 1},
                                     {D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
                                     {D3DTSS_ADDRESSV, D3DTADDRESS_WRAP},
                                     {D3DTSS_TEXCOORDINDEX, 0}};

bool IsIdentity(const D3DMATRIX& m)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m.m[i][j] != (i == j ? 1.0f : 0.0f))
                return false;
    return true;
}

const std::vector<ScreenVertex> kQuad = {{0, 0, 0, 1, 0, 0},  {32, 32, 0, 1, 1, 1},
                                         {32, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 0, 0},
                                         {0, 32, 0, 1, 0, 1}, {32, 32, 0, 1, 1, 1}};
} // namespace

class DeviceStateTest : public DeviceTest
{
  protected:
    void ExpectDefaults()
    {
        for (const StateValue& d : kRenderDefaults)
        {
            DWORD value = 0xdeadbeef;
            ASSERT_EQ(Device->GetRenderState(d.State, &value), D3D_OK);
            EXPECT_EQ(value, d.Value) << "render state " << d.State;
        }
        for (const StageValue& d : kStageDefaults)
        {
            DWORD value = 0xdeadbeef;
            ASSERT_EQ(Device->GetTextureStageState(0, d.Type, &value), D3D_OK);
            EXPECT_EQ(value, d.Value) << "stage state " << d.Type;
        }
        DWORD op = 0;
        Device->GetTextureStageState(1, D3DTSS_COLOROP, &op);
        EXPECT_EQ(op, DWORD(D3DTOP_DISABLE));
        for (D3DTRANSFORMSTATETYPE t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION})
        {
            D3DMATRIX m;
            ASSERT_EQ(Device->GetTransform(t, &m), D3D_OK);
            EXPECT_TRUE(IsIdentity(m)) << "transform " << t;
        }
        D3DLIGHT8 light;
        BOOL enabled;
        EXPECT_EQ(Device->GetLight(0, &light), D3DERR_INVALIDCALL); // no light set
        EXPECT_EQ(Device->GetLightEnable(0, &enabled), D3DERR_INVALIDCALL);
        D3DMATERIAL8 material;
        ASSERT_EQ(Device->GetMaterial(&material), D3D_OK);
        const D3DMATERIAL8 empty = {};
        EXPECT_EQ(std::memcmp(&material, &empty, sizeof material), 0);
        D3DVIEWPORT8 viewport;
        ASSERT_EQ(Device->GetViewport(&viewport), D3D_OK);
        EXPECT_EQ(viewport.Width, Width);
        EXPECT_EQ(viewport.Height, Height);
        EXPECT_EQ(viewport.MaxZ, 1.0f);
        IDirect3DBaseTexture8* texture = reinterpret_cast<IDirect3DBaseTexture8*>(1);
        ASSERT_EQ(Device->GetTexture(0, &texture), D3D_OK);
        EXPECT_EQ(texture, nullptr);
        IDirect3DVertexBuffer8* stream = reinterpret_cast<IDirect3DVertexBuffer8*>(1);
        UINT stride = 1;
        ASSERT_EQ(Device->GetStreamSource(0, &stream, &stride), D3D_OK);
        EXPECT_EQ(stream, nullptr);
    }

    // The game's own fixed state with every d3d.ini switch on (ApplyFixedState on this device),
    // and a drawn frame's leftovers.
    void ApplyGameState(IDirect3DTexture8* texture, IDirect3DVertexBuffer8* buffer)
    {
        DisplaySettings.Lighting = true;
        DisplaySettings.SrcBlendSrcColor = true;
        DisplaySettings.DestBlendDestColor = true;
        DisplaySettings.WBuffering = true;
        DisplaySettings.MipMapping = true;
        DisplaySettings.FilterMethod = FilterAnisotropic;
        ::Device = Device;
        const char* text = ApplyFixedState();
        ::Device = nullptr;
        ASSERT_EQ(text, nullptr);
        BOOL lit = FALSE;
        ASSERT_EQ(Device->GetLightEnable(0, &lit), D3D_OK);
        ASSERT_TRUE(lit);
        Device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
        D3DMATRIX shifted = {};
        shifted._11 = shifted._22 = shifted._33 = shifted._44 = 1.0f;
        shifted._41 = 5.0f;
        Device->SetTransform(D3DTS_WORLD, &shifted);
        Device->SetTransform(D3DTS_VIEW, &shifted);
        Device->SetTransform(D3DTS_PROJECTION, &shifted);
        D3DVIEWPORT8 viewport = {10, 10, 100, 100, 0.0f, 0.5f};
        ASSERT_EQ(Device->SetViewport(&viewport), D3D_OK);
        ASSERT_EQ(Device->SetTexture(0, texture), D3D_OK);
        ASSERT_EQ(Device->SetStreamSource(0, buffer, sizeof(ScreenVertex)), D3D_OK);
    }

    // Draws the buffer's quad with the texture in a default state; returns a pixel of it.
    DWORD DrawQuad(IDirect3DTexture8* texture, IDirect3DVertexBuffer8* buffer)
    {
        EXPECT_EQ(
            Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0),
            D3D_OK);
        EXPECT_EQ(Device->BeginScene(), D3D_OK);
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        Device->SetTexture(0, texture);
        Device->SetVertexShader(kScreenFvf);
        Device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
        EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
        EXPECT_EQ(Device->EndScene(), D3D_OK);
        return Pixel(16, 16);
    }
};

TEST_F(DeviceStateTest, ResetRestoresEveryDefaultAndKeepsResources)
{
    ASSERT_EQ(Create(), D3D_OK);
    ExpectDefaults();
    IDirect3DTexture8* texture = MakeTexture(1, 1, {0xFF3366CC});
    IDirect3DVertexBuffer8* managed = MakeBuffer(kQuad, kScreenFvf, D3DPOOL_MANAGED);
    IDirect3DVertexBuffer8* system = MakeBuffer(kQuad, kScreenFvf, D3DPOOL_SYSTEMMEM);
    ASSERT_EQ(DrawQuad(texture, managed), 0xFF3366CCu);
    ApplyGameState(texture, system);

    D3DPRESENT_PARAMETERS p = Params(640, 480, D3DFMT_X8R8G8B8, D3DFMT_D24S8);
    ASSERT_EQ(Device->Reset(&p), D3D_OK);
    ExpectDefaults();
    BOOL enabled = TRUE;
    EXPECT_EQ(Device->GetLightEnable(0, &enabled), D3DERR_INVALIDCALL);
    // The bindings were dropped, not the resources: both buffers still draw the texture.
    EXPECT_EQ(DrawQuad(texture, managed), 0xFF3366CCu);
    EXPECT_EQ(DrawQuad(texture, system), 0xFF3366CCu);

    // Reset to another mode resizes the back buffer and the default viewport.
    p = Params(800, 600, D3DFMT_R5G6B5, D3DFMT_D16);
    ASSERT_EQ(Device->Reset(&p), D3D_OK);
    Width = 800;
    Height = 600;
    ExpectDefaults();
    EXPECT_TRUE(ColorNear(DrawQuad(texture, managed), 0xFF3366CC, 4));
    // A mode the adapter lacks is refused.
    p = Params(801, 600, D3DFMT_X8R8G8B8, D3DFMT_D16);
    EXPECT_EQ(Device->Reset(&p), D3DERR_INVALIDCALL);
    // The game resets with the rate saved in its settings, which may come from another display:
    // 60 Hz is the mode's own rate where the display reports rates, and any rate where it
    // reports none (as here, under Xvfb). Either way the mode is still there.
    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(D3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    p = Params(640, 480, D3DFMT_X8R8G8B8, D3DFMT_D24S8);
    p.FullScreen_RefreshRateInHz = desktop.RefreshRate ? desktop.RefreshRate : 60;
    EXPECT_EQ(Device->Reset(&p), D3D_OK);
    Width = 640;
    Height = 480;

    texture->Release();
    managed->Release();
    system->Release();
}

TEST_F(DeviceStateTest, ResetIsRefusedWhileDefaultPoolBuffersLive)
{
    ASSERT_EQ(Create(), D3D_OK);
    IDirect3DVertexBuffer8* buffer = nullptr;
    ASSERT_EQ(Device->CreateVertexBuffer(96, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kScreenFvf,
                                         D3DPOOL_DEFAULT, &buffer),
              D3D_OK);
    D3DPRESENT_PARAMETERS p = Params(640, 480, D3DFMT_X8R8G8B8, D3DFMT_D24S8);
    EXPECT_EQ(Device->Reset(&p), D3DERR_INVALIDCALL);
    buffer->Release();
    EXPECT_EQ(Device->Reset(&p), D3D_OK);
}

TEST_F(DeviceStateTest, DrawsAreValidatedAndTraced)
{
    ASSERT_EQ(Create(), D3D_OK);
    IDirect3DVertexBuffer8* buffer = MakeBuffer(kQuad, kScreenFvf);
    D3D8TraceStart(Device);
    // Outside a scene.
    Device->SetVertexShader(kScreenFvf);
    Device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(Device->EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(Device->BeginScene(), D3D_OK);
    EXPECT_EQ(Device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    // Past the end of the buffer: 6 vertices hold two triangles, not three, nor two from 1.
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 2, 2), D3D_OK);
    EXPECT_EQ(Device->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(9), 0, 1), D3DERR_INVALIDCALL);
    // A stride below the format's size, and the game's scene format over 24-byte vertices.
    Device->SetStreamSource(0, buffer, 16);
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    Device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    Device->SetVertexShader(kSceneFvf);
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);
    // No stream bound.
    Device->SetVertexShader(kScreenFvf);
    Device->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    // Formats the stand-in cannot draw are refused where they are selected.
    EXPECT_EQ(Device->SetVertexShader(D3DFVF_XYZ | D3DFVF_RESERVED0), D3DERR_INVALIDCALL);
    EXPECT_EQ(Device->SetVertexShader(0x006), D3DERR_INVALIDCALL); // XYZB1: vertex blending
    DWORD shader = 0;
    Device->GetVertexShader(&shader);
    EXPECT_EQ(shader, kScreenFvf);
    EXPECT_EQ(Device->SetMaterial(nullptr), D3DERR_INVALIDCALL);
    EXPECT_LT(Device->SetMaterial(nullptr), 0); // the game tests for a negative result
    ASSERT_EQ(Device->EndScene(), D3D_OK);
    D3D8TraceStop(Device);
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);

    // The trace holds every call in order with its arguments and result, and nothing after
    // recording stopped.
    struct Expected
    {
        const char* Call;
        DWORD Arg0;
        HRESULT Result;
    };
    const Expected expected[] = {
        {"SetVertexShader", kScreenFvf, D3D_OK},
        {"SetStreamSource", 0, D3D_OK},
        {"DrawPrimitive", D3DPT_TRIANGLELIST, D3DERR_INVALIDCALL},
        {"EndScene", 0, D3DERR_INVALIDCALL},
        {"BeginScene", 0, D3D_OK},
        {"BeginScene", 0, D3DERR_INVALIDCALL},
        {"DrawPrimitive", D3DPT_TRIANGLELIST, D3D_OK},
        {"DrawPrimitive", D3DPT_TRIANGLELIST, D3DERR_INVALIDCALL},
        {"DrawPrimitive", D3DPT_TRIANGLELIST, D3DERR_INVALIDCALL},
        {"DrawPrimitive", D3DPT_TRIANGLESTRIP, D3D_OK},
        {"DrawPrimitive", 9, D3DERR_INVALIDCALL},
        {"SetStreamSource", 0, D3D_OK},
        {"DrawPrimitive", D3DPT_TRIANGLELIST, D3DERR_INVALIDCALL},
        {"SetStreamSource", 0, D3D_OK},
        {"SetVertexShader", kSceneFvf, D3D_OK},
        {"DrawPrimitive", D3DPT_TRIANGLELIST, D3DERR_INVALIDCALL},
        {"SetVertexShader", kScreenFvf, D3D_OK},
        {"SetStreamSource", 0, D3D_OK},
        {"DrawPrimitive", D3DPT_TRIANGLELIST, D3DERR_INVALIDCALL},
        {"SetVertexShader", D3DFVF_XYZ | D3DFVF_RESERVED0, D3DERR_INVALIDCALL},
        {"SetVertexShader", 0x006, D3DERR_INVALIDCALL},
        {"SetMaterial", 0, D3DERR_INVALIDCALL},
        {"SetMaterial", 0, D3DERR_INVALIDCALL},
        {"EndScene", 0, D3D_OK}};
    const UINT count = sizeof expected / sizeof expected[0];
    ASSERT_EQ(D3D8TraceCount(Device), count);
    for (UINT i = 0; i < count; ++i)
    {
        const D3D8TraceEntry* entry = D3D8TraceGet(Device, i);
        ASSERT_NE(entry, nullptr);
        EXPECT_STREQ(entry->Call, expected[i].Call) << "entry " << i;
        EXPECT_EQ(entry->Arg[0], expected[i].Arg0) << "entry " << i;
        EXPECT_EQ(entry->Result, expected[i].Result) << "entry " << i;
    }
    const D3D8TraceEntry* draw = D3D8TraceGet(Device, 9);
    EXPECT_EQ(draw->Arg[1], 2u);
    EXPECT_EQ(draw->Arg[2], 2u);
    EXPECT_EQ(draw->Object, buffer);
    EXPECT_EQ(D3D8TraceGet(Device, 1)->Arg[1], sizeof(ScreenVertex));
    EXPECT_EQ(D3D8TraceGet(Device, count), nullptr);
    // Noted entries from other stand-in libraries join the trace while it records.
    D3D8TraceStart(Device);
    D3D8TraceNote(Device, "DrawSubset", 0, 12, 0, buffer, D3D_OK);
    ASSERT_EQ(D3D8TraceCount(Device), 1u);
    EXPECT_STREQ(D3D8TraceGet(Device, 0)->Call, "DrawSubset");
    D3D8TraceStop(Device);
    buffer->Release();
}

TEST_F(DeviceStateTest, FocusLossLosesTheDeviceUntilReset)
{
    ASSERT_EQ(Create(), D3D_OK);
    IDirect3DTexture8* texture = MakeTexture(1, 1, {0xFF10E020});
    IDirect3DVertexBuffer8* buffer = MakeBuffer(kQuad, kScreenFvf);
    ASSERT_EQ(DrawQuad(texture, buffer), 0xFF10E020u);
    ASSERT_EQ(Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(Device->TestCooperativeLevel(), D3D_OK);

    // Another window takes the focus, as when the player switches to another program.
    SDL_Window* other = SDL_CreateWindow("other", 0, 0, 200, 200, SDL_WINDOW_SHOWN);
    ASSERT_NE(other, nullptr);
    SDL_SetWindowInputFocus(other);
    ASSERT_TRUE(PumpUntil([&] { return !(SDL_GetWindowFlags(Window) & SDL_WINDOW_INPUT_FOCUS); }));
    EXPECT_EQ(Device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(Device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS p = Params(640, 480, D3DFMT_X8R8G8B8, D3DFMT_D24S8);
    EXPECT_EQ(Device->Reset(&p), D3DERR_DEVICELOST);
    // Drawing goes on succeeding while lost.
    EXPECT_EQ(Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Device->BeginScene(), D3D_OK);
    Device->SetVertexShader(kScreenFvf);
    Device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    EXPECT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    EXPECT_EQ(Device->EndScene(), D3D_OK);

    // Back in front: the device can be reset, but is still lost until it is.
    SDL_SetWindowInputFocus(Window);
    ASSERT_TRUE(
        PumpUntil([&] { return (SDL_GetWindowFlags(Window) & SDL_WINDOW_INPUT_FOCUS) != 0; }));
    EXPECT_EQ(Device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(Device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    ASSERT_EQ(Device->Reset(&p), D3D_OK);
    EXPECT_EQ(Device->TestCooperativeLevel(), D3D_OK);
    EXPECT_NE(SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_EQ(DrawQuad(texture, buffer), 0xFF10E020u);
    EXPECT_EQ(Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    SDL_DestroyWindow(other);

    // The simulated focus change takes the same path.
    StandinSetWindowFocus(HwndFromSdlWindow(Window), FALSE);
    EXPECT_EQ(Device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    StandinSetWindowFocus(HwndFromSdlWindow(Window), TRUE);
    EXPECT_EQ(Device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    ASSERT_EQ(Device->Reset(&p), D3D_OK);
    EXPECT_EQ(Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    texture->Release();
    buffer->Release();
}

TEST_F(DeviceStateTest, BindingsHoldReferencesAndResourcesMayOutliveTheDevice)
{
    ASSERT_EQ(Create(), D3D_OK);
    IDirect3DTexture8* texture =
        MakeTexture(2, 2, {0xFF405060, 0xFF405060, 0xFF405060, 0xFF405060});
    IDirect3DVertexBuffer8* buffer = MakeBuffer(kQuad, kScreenFvf);
    Device->SetTexture(0, texture);
    Device->SetStreamSource(0, buffer, sizeof(ScreenVertex));
    // Bound objects stay alive after their creator lets go, until they are unbound.
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 1u);
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(Device->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, texture);
    EXPECT_EQ(bound->Release(), 1u);
    EXPECT_EQ(DrawQuad(texture, buffer), 0xFF405060u);
    Device->SetTexture(0, nullptr);
    Device->SetStreamSource(0, nullptr, 0);

    // Resources released after their device free what is left of them.
    IDirect3DTexture8* late = MakeTexture(1, 1, {0});
    IDirect3DVertexBuffer8* lateBuffer = MakeBuffer(kQuad, kScreenFvf);
    IDirect3D8* d3d = nullptr;
    ASSERT_EQ(Device->GetDirect3D(&d3d), D3D_OK);
    EXPECT_EQ(d3d, D3d);
    d3d->Release();
    EXPECT_EQ(Device->Release(), 0u);
    Device = nullptr;
    EXPECT_EQ(late->GetLevelCount(), 1u);
    EXPECT_EQ(late->Release(), 0u);
    EXPECT_EQ(lateBuffer->Release(), 0u);
}

TEST_F(DeviceStateTest, FullScreenCoversTheDisplayAndGivesTheWindowBack)
{
    // The test display has no window manager, so covering it is the device's own doing.
    ASSERT_EQ(Create(800, 600), D3D_OK);
    SDL_Rect display;
    ASSERT_EQ(SDL_GetDisplayBounds(0, &display), 0);
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(Window, &width, &height);
    EXPECT_EQ(width, display.w);
    EXPECT_EQ(height, display.h);
    EXPECT_NE(SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_EQ(Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    // Released, the device leaves the window as it found it.
    EXPECT_EQ(Device->Release(), 0u);
    Device = nullptr;
    EXPECT_EQ(SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN, 0u);
    SDL_GetWindowSize(Window, &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
}
