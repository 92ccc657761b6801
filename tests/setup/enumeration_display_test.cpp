// Enumeration over the real Direct3D object on a real X display: the table it fills holds only
// modes the game can really use, each with a depth format the adapter accepts.
#include <gtest/gtest.h>

#include <cstring>

#include <SDL.h>

#include "setup/enumeration.h"
#include "setup/settings_dialog.h"

namespace
{

class EnumerationTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // Video stays up for the whole test program: releasing the last Direct3D object would
        // otherwise unload the GL driver, and the leak checker could no longer name (and so
        // tell apart) what the driver itself leaves behind.
        static const bool video = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        ASSERT_TRUE(video) << SDL_GetError();
        Direct3D = Direct3DCreate8(220);
        ASSERT_NE(Direct3D, nullptr);
        ASSERT_EQ(Direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &DesktopMode), D3D_OK);
        DesktopModeIndex = 0;
    }
    void TearDown() override
    {
        FreeAdapterTable();
        if (Direct3D)
            Direct3D->Release();
        Direct3D = nullptr;
    }
};

TEST_F(EnumerationTest, KeepsOnlyUsableModesEachWithAnAcceptedDepthFormat)
{
    ASSERT_EQ(EnumerateAdapters(), nullptr);
    ASSERT_GE(AdapterCount, 1u);
    EXPECT_EQ(AdapterCount, Direct3D->GetAdapterCount());

    bool desktopSeen = false;
    UINT lastDesktopIndex = 0; // of the last adapter holding the desktop mode
    for (UINT adapter = 0; adapter < AdapterCount; ++adapter)
    {
        const AdapterInfo& entry = AdapterTable[adapter];
        SCOPED_TRACE(entry.Description);
        EXPECT_GT(strlen(entry.Description), 0u);
        ASSERT_GE(entry.ModeCount, 1u);
        for (UINT i = 0; i < entry.ModeCount; ++i)
        {
            const D3DDISPLAYMODE& mode = entry.Modes[i];
            SCOPED_TRACE(testing::Message() << mode.Width << "x" << mode.Height << " format "
                                            << mode.Format << " @" << mode.RefreshRate);
            EXPECT_GE(mode.Width, 640u);
            EXPECT_GE(mode.Height, 480u);
            EXPECT_TRUE(IsListedModeFormat(mode.Format));
            EXPECT_EQ(
                Direct3D->CheckDeviceType(adapter, D3DDEVTYPE_HAL, mode.Format, mode.Format, FALSE),
                D3D_OK);
            D3DFORMAT depth = entry.DepthModes[i].Format;
            EXPECT_NE(depth, D3DFMT_UNKNOWN);
            EXPECT_EQ(Direct3D->CheckDepthStencilMatch(adapter, D3DDEVTYPE_HAL, mode.Format,
                                                       mode.Format, depth),
                      D3D_OK);
            EXPECT_EQ(ChooseDepthFormat(adapter, mode), depth);
            // Every line of the mode list names a different mode: two formats of one depth
            // would show the player two identical lines.
            char line[64], other[64];
            EXPECT_TRUE(FormatModeLine(mode, line, sizeof line));
            for (UINT j = 0; j < i; ++j)
            {
                FormatModeLine(entry.Modes[j], other, sizeof other);
                EXPECT_STRNE(line, other) << "shown twice, also at " << j;
            }
            if (memcmp(&mode, &DesktopMode, sizeof mode) == 0)
            {
                desktopSeen = true;
                lastDesktopIndex = i;
            }
        }

        // The flags agree with the capabilities the adapter reports now.
        D3DCAPS8 caps;
        ASSERT_EQ(Direct3D->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &caps), D3D_OK);
        EXPECT_EQ(entry.Linear, (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFLINEAR) != 0);
        EXPECT_EQ(entry.Lighting, caps.MaxActiveLights > 0);
        EXPECT_EQ(entry.MaxTextureWidth, caps.MaxTextureWidth);
        EXPECT_GT(entry.MaxTextureWidth, 0u);
    }
    // The desktop of the test display is an ordinary usable mode; it must be offered.
    if (DesktopMode.Width >= 640 && DesktopMode.Height >= 480 &&
        IsListedModeFormat(DesktopMode.Format))
    {
        EXPECT_TRUE(desktopSeen);
    }
    EXPECT_EQ(DesktopModeIndex, lastDesktopIndex);
}

} // namespace
