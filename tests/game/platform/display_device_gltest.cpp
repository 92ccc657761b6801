// The device on the real stand-in: creation and its failure text, the fixed states in their order
// and their capability switches, light 0 and the material as the device holds them, the filters,
// the texture set's load order and failure texts, and the reset after a lost device.
#include "tests/game/scene/scene_harness.h"

#include <cstring>

namespace
{
using harness::Call;

class DeviceTest : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_FALSE(harness::EnterRunFolder().empty()); }
    void TearDown() override { harness::StopGame(); }

    // Only the device, made as start-up makes it.
    static const char* CreateWith(const harness::Options& options)
    {
        if (const char* text = harness::ApplyOptions(options))
            return text;
        harness::OpenGameWindow();
        harness::PumpMessages();
        return CreateDisplayDevice();
    }
    // The texture set's handles in load order, written out here so that a file loaded into the
    // wrong handle shows.
    static void TextureHandles(IDirect3DTexture8* handles[20])
    {
        IDirect3DTexture8* const rows[20] = {
            TextureSet.Paused,   TextureSet.Life,     TextureSet.Cameras,  TextureSet.Digits,
            TextureSet.Title,    TextureSet.Snow,     TextureSet.Bat,      TextureSet.Floor1,
            TextureSet.Floor2,   TextureSet.Ball,     TextureSet.Arena[0], TextureSet.Arena[1],
            TextureSet.Arena[2], TextureSet.Arena[3], TextureSet.Block[0], TextureSet.Block[1],
            TextureSet.Block[2], TextureSet.Block[3], TextureSet.Block[4], TextureSet.Block[5]};
        std::memcpy(handles, rows, sizeof rows);
    }
    static DWORD RenderState(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0xDEADBEEF;
        Device->GetRenderState(state, &value);
        return value;
    }
    static DWORD StageState(D3DTEXTURESTAGESTATETYPE type)
    {
        DWORD value = 0xDEADBEEF;
        Device->GetTextureStageState(0, type, &value);
        return value;
    }
};

TEST_F(DeviceTest, CreatesWithOrWithoutHardwareVertexProcessing)
{
    harness::Options options;
    for (bool hardware : {true, false})
    {
        options.hardwareVertexProcessing = hardware;
        EXPECT_EQ(CreateWith(options), nullptr) << "hardware " << hardware;
        ASSERT_NE(Device, nullptr);
        ASSERT_NE(Direct3D, nullptr);
        // The device really has the configured back buffer.
        D3DDISPLAYMODE mode = {};
        ASSERT_EQ(Device->GetDisplayMode(&mode), D3D_OK);
        EXPECT_EQ(mode.Width, 640u);
        EXPECT_EQ(mode.Height, 480u);
        // Hardware (or, without the setting, mixed) processing is asked for before software:
        // the device obtained is not a software-only one.
        EXPECT_EQ(RenderState(D3DRS_SOFTWAREVERTEXPROCESSING), DWORD(FALSE));
        ReleaseDisplayDevice();
        EXPECT_EQ(Device, nullptr);
        EXPECT_EQ(Direct3D, nullptr);
    }
}

TEST_F(DeviceTest, ImpossibleModeFailsEveryAttempt)
{
    harness::Options options;
    options.width = 12345;
    options.height = 678;
    for (bool hardware : {true, false})
    {
        options.hardwareVertexProcessing = hardware;
        EXPECT_STREQ(CreateWith(options), "Create D3D Device Failed.");
        EXPECT_EQ(Device, nullptr);
        EXPECT_NE(Direct3D, nullptr); // kept for the shutdown to release
        ReleaseDisplayDevice();
    }
}

TEST_F(DeviceTest, FixedStatesGoOnInOrderWithTheirCapabilitySwitches)
{
    harness::Options options;
    options.srcBlendSrcColor = false;
    options.destBlendDestColor = false;
    options.wBuffering = false;
    ASSERT_EQ(CreateWith(options), nullptr);
    D3D8TraceStart(Device);
    ApplyRenderStates();
    std::vector<Call> calls = harness::TakeTrace();
    const DWORD fixed[10][2] = {
        {D3DRS_CULLMODE, D3DCULL_CW},   {D3DRS_ZFUNC, D3DCMP_LESS},
        {D3DRS_SPECULARENABLE, FALSE},  {D3DRS_AMBIENT, 0xEEEEEEEE},
        {D3DRS_LIGHTING, TRUE},         {D3DRS_NORMALIZENORMALS, FALSE},
        {D3DRS_ALPHABLENDENABLE, TRUE}, {D3DRS_ALPHAREF, 1},
        {D3DRS_ALPHATESTENABLE, TRUE},  {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL}};
    ASSERT_EQ(calls.size(), 10u);
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ(calls[i].name, "SetRenderState");
        EXPECT_EQ(calls[i].arg[0], fixed[i][0]) << i;
        EXPECT_EQ(calls[i].arg[1], fixed[i][1]) << i;
    }
    // Where the adapter lacks the factors, the device's defaults stay.
    EXPECT_EQ(RenderState(D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_ZERO));
    EXPECT_EQ(RenderState(D3DRS_ZENABLE), DWORD(D3DZB_TRUE));

    DisplaySettings.SrcBlendSrcColor = true;
    DisplaySettings.DestBlendDestColor = true;
    DisplaySettings.WBuffering = true;
    D3D8TraceStart(Device);
    ApplyRenderStates();
    calls = harness::TakeTrace();
    ASSERT_EQ(calls.size(), 13u);
    EXPECT_EQ(calls[10].arg[0], DWORD(D3DRS_SRCBLEND));
    EXPECT_EQ(calls[10].arg[1], DWORD(D3DBLEND_SRCCOLOR));
    EXPECT_EQ(calls[11].arg[0], DWORD(D3DRS_DESTBLEND));
    EXPECT_EQ(calls[11].arg[1], DWORD(D3DBLEND_DESTCOLOR));
    EXPECT_EQ(calls[12].arg[0], DWORD(D3DRS_ZENABLE));
    EXPECT_EQ(calls[12].arg[1], DWORD(D3DZB_USEW));
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0xEEEEEEEEu);
}

TEST_F(DeviceTest, LightAndMaterialAreHeldExactly)
{
    ASSERT_EQ(CreateWith(harness::Options()), nullptr);
    SetupLight();
    D3DLIGHT8 light = {};
    ASSERT_EQ(Device->GetLight(0, &light), D3D_OK);
    uint32_t bits1 = 0, bits2 = 0;
    std::memcpy(&bits1, &light.Attenuation1, 4);
    std::memcpy(&bits2, &light.Attenuation2, 4);
    EXPECT_EQ(bits1, 0xBD8B4396u);
    EXPECT_EQ(bits2, 0x3BA3D70Au);
    EXPECT_EQ(light.Type, D3DLIGHT_POINT);
    EXPECT_EQ(light.Range, 80.0f);
    EXPECT_EQ(light.Attenuation0, 1.0f);
    EXPECT_EQ(light.Diffuse.a, 0.0f);
    EXPECT_EQ(light.Ambient.r, 1.0f);
    BOOL enabled = FALSE;
    ASSERT_EQ(Device->GetLightEnable(0, &enabled), D3D_OK);
    EXPECT_TRUE(enabled);

    EXPECT_EQ(ApplyMaterial(), nullptr);
    D3DMATERIAL8 material = {};
    ASSERT_EQ(Device->GetMaterial(&material), D3D_OK);
    EXPECT_EQ(material.Diffuse.r, 1.0f);
    EXPECT_EQ(material.Diffuse.a, 0.0f);
    EXPECT_EQ(material.Ambient.b, 1.0f);
    EXPECT_EQ(material.Power, 0.0f);
}

TEST_F(DeviceTest, FiltersFollowTheMethodAndTheMipSwitch)
{
    harness::Options options;
    options.filter = 1;
    options.mipMapping = true;
    ASSERT_EQ(CreateWith(options), nullptr);
    ApplyTextureFilters();
    EXPECT_EQ(StageState(D3DTSS_MAGFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(StageState(D3DTSS_MINFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(StageState(D3DTSS_MIPFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(StageState(D3DTSS_MAXANISOTROPY), 1u);

    // Anisotropic without mip-mapping: no mip filter is set, so the default stays.
    DisplaySettings.FilterMethod = 2;
    DisplaySettings.MipMapping = false;
    ASSERT_EQ(Device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE), D3D_OK);
    ApplyTextureFilters();
    EXPECT_EQ(TextureFilter, D3DTEXF_ANISOTROPIC);
    EXPECT_EQ(StageState(D3DTSS_MAGFILTER), DWORD(D3DTEXF_ANISOTROPIC));
    EXPECT_EQ(StageState(D3DTSS_MIPFILTER), DWORD(D3DTEXF_NONE));
    EXPECT_EQ(StageState(D3DTSS_MAXANISOTROPY), 2u);

    // An unknown method keeps the filter it had.
    DisplaySettings.FilterMethod = 7;
    ApplyTextureFilters();
    EXPECT_EQ(TextureFilter, D3DTEXF_ANISOTROPIC);
    EXPECT_EQ(StageState(D3DTSS_MAXANISOTROPY), 1u);
}

TEST_F(DeviceTest, TexturesLoadInOrderWithTheirFormats)
{
    harness::Options options;
    options.format = D3DFMT_R5G6B5;
    ASSERT_EQ(CreateWith(options), nullptr);
    ASSERT_EQ(LoadTextures(), nullptr);
    // Eighteen pictures take the display's format; the title and the snow keep their alpha.
    IDirect3DTexture8* all[20];
    TextureHandles(all);
    for (int i = 0; i < 20; ++i)
    {
        ASSERT_NE(all[i], nullptr) << i;
        D3DSURFACE_DESC desc = {};
        ASSERT_EQ(all[i]->GetLevelDesc(0, &desc), D3D_OK);
        const bool alpha = all[i] == TextureSet.Title || all[i] == TextureSet.Snow;
        EXPECT_EQ(desc.Format, alpha ? D3DFMT_A8R8G8B8 : D3DFMT_R5G6B5) << i;
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED) << i;
    }
    EXPECT_LE(TextureSet.Snow->GetLevelCount(), 5u);
    EXPECT_GT(TextureSet.Ball->GetLevelCount(), 1u); // the full chain
    ReleaseTextures();
    EXPECT_EQ(TextureSet.Title, nullptr);
    EXPECT_EQ(TextureSet.Block[5], nullptr);
}

TEST_F(DeviceTest, MissingPictureStopsTheLoadWithItsOwnText)
{
    // The load order; the third picture's message has always spelt it "CMAERAS".
    const char* const files[20] = {
#define TEXTURE_FILE(name, member, kind, painter, failureText) #name,
#include "common/texture_files.def"
#undef TEXTURE_FILE
    };
    ASSERT_EQ(CreateWith(harness::Options()), nullptr);
    for (int missing = 0; missing < 20; ++missing)
    {
        const std::string file = std::string(files[missing]) + ".bmp";
        const std::string named = missing == 2 ? "CMAERAS.bmp" : file;
        ASSERT_FALSE(harness::EnterRunFolder({file}).empty());
        const char* text = LoadTextures();
        EXPECT_EQ(std::string(text ? text : "(none)"),
                  "Create Texture from File " + named + " Failed.  Check textures are present.");
        // The rows before the missing one are loaded, none after it.
        IDirect3DTexture8* order[20];
        TextureHandles(order);
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(order[i] != nullptr, i < missing) << file << " row " << i;
        ReleaseTextures();
    }
}

TEST_F(DeviceTest, PresentParametersDifferOnlyInTheRefreshRate)
{
    ASSERT_EQ(harness::ApplyOptions(harness::Options()), nullptr);
    DisplaySettings.DisplayMode.RefreshRate = 75;
    D3DPRESENT_PARAMETERS created, reset;
    std::memset(&created, 0xAB, sizeof created);
    FillPresentParameters(&created, 0);
    FillPresentParameters(&reset, DisplaySettings.DisplayMode.RefreshRate);
    EXPECT_EQ(created.BackBufferWidth, 640u);
    EXPECT_EQ(created.BackBufferHeight, 480u);
    EXPECT_EQ(created.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(created.BackBufferCount, 2u);
    EXPECT_EQ(created.SwapEffect, D3DSWAPEFFECT_FLIP);
    EXPECT_EQ(created.hDeviceWindow, nullptr);
    EXPECT_FALSE(created.Windowed);
    EXPECT_TRUE(created.EnableAutoDepthStencil);
    EXPECT_EQ(created.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(created.Flags, 0u);
    EXPECT_EQ(created.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(reset.FullScreen_RefreshRateInHz, 75u);
    reset.FullScreen_RefreshRateInHz = 0;
    EXPECT_EQ(std::memcmp(&created, &reset, sizeof created), 0);
}

TEST_F(DeviceTest, StaticBuffersTakeTheSettingsUsageAndPoolAndHoldTheirData)
{
    for (bool hardware : {true, false})
    {
        harness::Options options;
        options.hardwareVertexProcessing = hardware;
        ASSERT_EQ(CreateWith(options), nullptr);
        BuildBatVertices();
        IDirect3DVertexBuffer8* buffer = CreateStaticBuffer(BatVertices, 960, SceneVertexFormat);
        ASSERT_NE(buffer, nullptr);
        D3DVERTEXBUFFER_DESC desc = {};
        ASSERT_EQ(buffer->GetDesc(&desc), D3D_OK);
        EXPECT_EQ(desc.Size, 960u);
        EXPECT_EQ(desc.FVF, SceneVertexFormat);
        EXPECT_EQ(desc.Usage, hardware ? 8u : 24u);
        EXPECT_EQ(desc.Pool, hardware ? D3DPOOL_MANAGED : D3DPOOL_SYSTEMMEM);
        BYTE* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 960, &data, 0), D3D_OK);
        EXPECT_EQ(std::memcmp(data, BatVertices, 960), 0);
        buffer->Unlock();
        buffer->Release();
        // A buffer the device refuses (shorter than one vertex) is no buffer at all.
        EXPECT_EQ(CreateStaticBuffer(BatVertices, 16, SceneVertexFormat), nullptr);
        std::free(BatVertices);
        BatVertices = nullptr;
        ReleaseDisplayDevice();
    }
}

TEST_F(DeviceTest, LostDeviceIsResetPausedAndRestored)
{
    harness::Options options;
    options.inputDevices = true;
    const char* text = harness::StartGame(options);
    ASSERT_EQ(text, nullptr) << text;
    GameState = Playing;
    ASSERT_EQ(RenderFrame(), nullptr);
    ASSERT_FALSE(DeviceResetPending);

    // Switching away: the present reports the loss, which is not an error; the light still
    // follows the ball and the frame counts.
    StandinSetWindowFocus(GameWindow, FALSE);
    harness::PumpMessages();
    GameBall.x = 200.0f;
    GameBall.z = 250.0f;
    const DWORD frames = RenderedFrames;
    EXPECT_EQ(RenderFrame(), nullptr);
    EXPECT_TRUE(DeviceResetPending);
    EXPECT_EQ(RenderedFrames, frames + 1);
    D3DLIGHT8 light = {};
    Device->GetLight(0, &light);
    EXPECT_EQ(light.Position.x, 200.0f);

    // While still away, the reset waits and changes nothing.
    EXPECT_EQ(ResetDevice(), nullptr);
    EXPECT_TRUE(DeviceResetPending);
    EXPECT_EQ(GameState, Playing);

    // Back in front: reset, fixed state again, the game paused, light 0 back at the origin.
    StandinSetWindowFocus(GameWindow, TRUE);
    harness::PumpMessages();
    EXPECT_EQ(ResetDevice(), nullptr);
    EXPECT_FALSE(DeviceResetPending);
    EXPECT_EQ(GameState, Paused);
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CW));
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0xEEEEEEEEu);
    EXPECT_EQ(RenderState(D3DRS_DESTBLEND), DWORD(D3DBLEND_DESTCOLOR));
    EXPECT_EQ(StageState(D3DTSS_MINFILTER), DWORD(D3DTEXF_LINEAR));
    Device->GetLight(0, &light);
    EXPECT_EQ(light.Position.x, 0.0f);
    EXPECT_EQ(light.Position.z, 0.0f);
    D3DMATERIAL8 material = {};
    Device->GetMaterial(&material);
    EXPECT_EQ(material.Diffuse.g, 1.0f);

    // Buffers and textures survived: the next pass draws and presents as before.
    D3D8TraceStart(Device);
    EXPECT_EQ(RenderFrame(), nullptr);
    const std::vector<Call> calls = harness::TakeTrace();
    int draws = 0;
    for (const Call& c : calls)
    {
        if (c.name == "DrawPrimitive")
        {
            ++draws;
            EXPECT_EQ(c.result, D3D_OK);
        }
        if (c.name == "Present")
        {
            EXPECT_EQ(c.result, D3D_OK);
        }
    }
    EXPECT_GT(draws, 90);

    // A loss on the title screen leaves the title screen.
    GameState = Title;
    StandinSetWindowFocus(GameWindow, FALSE);
    harness::PumpMessages();
    EXPECT_EQ(RenderFrame(), nullptr);
    StandinSetWindowFocus(GameWindow, TRUE);
    harness::PumpMessages();
    EXPECT_EQ(ResetDevice(), nullptr);
    EXPECT_EQ(GameState, Title);
}
} // namespace
