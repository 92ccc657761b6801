// Textures on the real GL driver: every format's texels survive LockRect, upload and sampling
// bit for bit (16-bit formats with their own channel order), locks report the format's pitch,
// levels have their sizes, and the mip and texture filters choose what Direct3D's would.
#include "d3d8_harness.h"

#include <cmath>

namespace
{
// An n-bit channel value as GL returns it in 8 bits.
int Expand(unsigned value, int bits)
{
    return int(std::lround(value * 255.0 / ((1 << bits) - 1)));
}

struct FormatCase
{
    D3DFORMAT Format;
    UINT Bytes;
    DWORD Texels[4];
    // Where each channel sits in a texel: shift and bit count for a, r, g, b (0 bits: absent).
    int Shift[4];
    int Bits[4];
};

const FormatCase kFormats[] = {
    {D3DFMT_A8R8G8B8,
     4,
     {0xFFFF0000, 0x8000FF00, 0x400000FF, 0xC0123456},
     {24, 16, 8, 0},
     {8, 8, 8, 8}},
    {D3DFMT_X8R8G8B8,
     4,
     {0x00FF0000, 0x0000FF00, 0x000000FF, 0x55123456},
     {24, 16, 8, 0},
     {0, 8, 8, 8}},
    {D3DFMT_R5G6B5, 2, {0xF800, 0x07E0, 0x001F, 0x8410}, {0, 11, 5, 0}, {0, 5, 6, 5}},
    {D3DFMT_X1R5G5B5, 2, {0x7C00, 0x03E0, 0x801F, 0x4210}, {15, 10, 5, 0}, {0, 5, 5, 5}},
    {D3DFMT_A1R5G5B5, 2, {0xFC00, 0x03E0, 0x801F, 0x4210}, {15, 10, 5, 0}, {1, 5, 5, 5}},
    {D3DFMT_A4R4G4B4, 2, {0xFF00, 0x80F0, 0xF00F, 0x7A5C}, {12, 8, 4, 0}, {4, 4, 4, 4}},
};

DWORD ExpectedColor(const FormatCase& c, DWORD texel)
{
    int channel[4];
    for (int i = 0; i < 4; ++i)
        channel[i] =
            c.Bits[i] ? Expand((texel >> c.Shift[i]) & ((1u << c.Bits[i]) - 1), c.Bits[i]) : 255;
    return D3DCOLOR_ARGB(channel[0], channel[1], channel[2], channel[3]);
}

// A quad of 40 x 10 pixels at the top left showing the whole texture.
const std::vector<ScreenVertex> kStrip = {{0, 0, 0, 1, 0, 0},  {40, 10, 0, 1, 1, 1},
                                          {40, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 0, 0},
                                          {0, 10, 0, 1, 0, 1}, {40, 10, 0, 1, 1, 1}};

std::vector<ScreenVertex> Square(float size)
{
    return {{0, 0, 0, 1, 0, 0}, {size, size, 0, 1, 1, 1}, {size, 0, 0, 1, 1, 0},
            {0, 0, 0, 1, 0, 0}, {0, size, 0, 1, 0, 1},    {size, size, 0, 1, 1, 1}};
}
} // namespace

class TextureTest : public DeviceTest
{
  protected:
    // An A8R8G8B8 back buffer keeps the texture's alpha, so a windowed device is used.
    void SetUp() override
    {
        DeviceTest::SetUp();
        Window = MakeWindow();
        Width = 640;
        Height = 480;
        D3DPRESENT_PARAMETERS p = Params(640, 480, D3DFMT_A8R8G8B8, D3DFMT_D24S8);
        p.Windowed = TRUE;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        ASSERT_EQ(D3d->CreateDevice(0, D3DDEVTYPE_HAL, HwndFromSdlWindow(Window),
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &Device),
                  D3D_OK);
    }

    void Draw(IDirect3DTexture8* texture, const std::vector<ScreenVertex>& quad)
    {
        ASSERT_EQ(Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0), D3D_OK);
        ASSERT_EQ(Device->BeginScene(), D3D_OK);
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        Device->SetTexture(0, texture);
        Device->SetVertexShader(kScreenFvf);
        ASSERT_EQ(Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof quad[0]),
                  D3D_OK);
        ASSERT_EQ(Device->EndScene(), D3D_OK);
        Device->SetTexture(0, nullptr);
    }
};

TEST_F(TextureTest, EveryFormatRoundTripsThroughLockRect)
{
    for (const FormatCase& c : kFormats)
    {
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(Device->CreateTexture(4, 1, 1, 0, c.Format, D3DPOOL_MANAGED, &texture), D3D_OK);
        D3DSURFACE_DESC desc;
        ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Format, c.Format);
        EXPECT_EQ(desc.Size, 4 * c.Bytes);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(locked.Pitch, INT(4 * c.Bytes)) << "format " << c.Format;
        for (int i = 0; i < 4; ++i)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + i * c.Bytes, &c.Texels[i], c.Bytes);
        // A second lock of a locked level is refused.
        D3DLOCKED_RECT again;
        EXPECT_EQ(texture->LockRect(0, &again, nullptr, 0), D3DERR_INVALIDCALL);
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
        EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);

        Draw(texture, kStrip);
        const std::vector<DWORD> pixels = Read();
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(ColorNear(pixels[5 * Width + i * 10 + 5], ExpectedColor(c, c.Texels[i]), 1))
                << "format " << c.Format << " texel " << i;

        // A lock of one texel's rectangle points at that texel and uploads it alone.
        const RECT one = {2, 0, 3, 1};
        ASSERT_EQ(texture->LockRect(0, &locked, &one, 0), D3D_OK);
        std::memcpy(locked.pBits, &c.Texels[0], c.Bytes);
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
        Draw(texture, kStrip);
        EXPECT_TRUE(ColorNear(Pixel(25, 5), ExpectedColor(c, c.Texels[0]), 1));
        EXPECT_TRUE(ColorNear(Pixel(35, 5), ExpectedColor(c, c.Texels[3]), 1));
        texture->Release();
    }
}

TEST_F(TextureTest, LevelsCreationLimitsAndLockChecks)
{
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(Device->CreateTexture(64, 16, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 7u); // 64x16 down to 1x1
    const UINT widths[] = {64, 32, 16, 8, 4, 2, 1};
    const UINT heights[] = {16, 8, 4, 2, 1, 1, 1};
    for (UINT level = 0; level < 7; ++level)
    {
        D3DSURFACE_DESC desc;
        ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, widths[level]);
        EXPECT_EQ(desc.Height, heights[level]);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        EXPECT_EQ(locked.Pitch, INT(widths[level] * 2));
        ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
    }
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->LockRect(7, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    const RECT outside = {60, 0, 65, 4};
    EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
    texture->Release();

    D3DCAPS8 caps;
    ASSERT_EQ(Device->GetDeviceCaps(&caps), D3D_OK);
    IDirect3DTexture8* refused = nullptr;
    EXPECT_EQ(Device->CreateTexture(8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &refused),
              D3DERR_INVALIDCALL); // 8x8 has 4 levels
    EXPECT_EQ(Device->CreateTexture(caps.MaxTextureWidth + 1, 1, 1, 0, D3DFMT_A8R8G8B8,
                                    D3DPOOL_MANAGED, &refused),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(Device->CreateTexture(8, 8, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &refused),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(refused, nullptr);
}

TEST_F(TextureTest, MipFilterPicksTheLevelAndMinFilterBlends)
{
    // 8x8 with four levels, each one solid colour: red, green, blue, white.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(Device->CreateTexture(8, 8, 4, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    const DWORD colors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    for (UINT level = 0; level < 4; ++level)
    {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        const UINT size = 8 >> level;
        for (UINT y = 0; y < size; ++y)
            for (UINT x = 0; x < size; ++x)
                reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x] =
                    colors[level];
        ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
    }
    struct Case
    {
        float Size; // the texture drawn over Size x Size pixels
        DWORD Mip;
        float Bias;
        DWORD Expected;
    };
    const Case cases[] = {
        {8, D3DTEXF_POINT, 0, 0xFFFF0000},          {4, D3DTEXF_POINT, 0, 0xFF00FF00},
        {2, D3DTEXF_POINT, 0, 0xFF0000FF},          {2, D3DTEXF_NONE, 0, 0xFFFF0000},
        {2, D3DTEXF_LINEAR, 0, 0xFF0000FF},         {4, D3DTEXF_LINEAR, 0.5f, 0xFF008080},
        {4, D3DTEXF_ANISOTROPIC, 0.5f, 0xFF008080}, // the game's anisotropic mip filter
    };
    for (const Case& c : cases)
    {
        Device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
        Device->SetTextureStageState(0, D3DTSS_MIPFILTER, c.Mip);
        DWORD bias;
        std::memcpy(&bias, &c.Bias, sizeof bias);
        Device->SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, bias);
        Draw(texture, Square(c.Size));
        EXPECT_TRUE(ColorNear(Pixel(0, 0), c.Expected, 3))
            << "size " << c.Size << " mip filter " << c.Mip << " bias " << c.Bias;
    }
    texture->Release();

    // A 2x2 checker magnified 32 times: point keeps hard texels, linear (and anisotropic, which
    // magnifies linearly) blends the middle of the picture to grey.
    IDirect3DTexture8* checker =
        MakeTexture(2, 2, {0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF});
    Device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    Device->SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, 0);
    for (DWORD filter : {DWORD(D3DTEXF_POINT), DWORD(D3DTEXF_LINEAR), DWORD(D3DTEXF_ANISOTROPIC)})
    {
        Device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
        Device->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 2);
        Draw(checker, Square(64));
        const DWORD middle = Pixel(32, 32);
        if (filter == D3DTEXF_POINT)
        {
            EXPECT_TRUE(middle == 0xFFFFFFFF || middle == 0xFF000000) << std::hex << middle;
            EXPECT_EQ(Pixel(10, 10), 0xFFFFFFFFu);
            EXPECT_EQ(Pixel(50, 10), 0xFF000000u);
        }
        else
            EXPECT_TRUE(ColorNear(middle, 0xFF808080, 12)) << "filter " << filter;
    }
    checker->Release();
}

TEST_F(TextureTest, LinearFilterReadsATexelAloneWhereItsCentreMeetsAPixelCentre)
{
    // A 4x4 checker of opaque white and colour-keyed (transparent black) texels drawn one texel
    // to a pixel, placed so every texel centre meets a pixel centre: linear filtering then reads
    // each texel alone, and the alpha test (reference 1, as the game's colour-keyed pictures use
    // it) drops every transparent one. A sample even a fraction of a pixel off mixes in a
    // neighbour's alpha and lets dark pixels through.
    std::vector<DWORD> texels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            texels.push_back((x + y) % 2 ? 0x00000000 : 0xFFFFFFFF);
    IDirect3DTexture8* checker = MakeTexture(4, 4, texels);
    const std::vector<ScreenVertex> quad = {{-0.5f, -0.5f, 0, 1, 0, 0}, {3.5f, 3.5f, 0, 1, 1, 1},
                                            {3.5f, -0.5f, 0, 1, 1, 0},  {-0.5f, -0.5f, 0, 1, 0, 0},
                                            {-0.5f, 3.5f, 0, 1, 0, 1},  {3.5f, 3.5f, 0, 1, 1, 1}};
    Device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    Device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    Device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    Device->SetRenderState(D3DRS_ALPHAREF, 1);
    Device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    Draw(checker, quad);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Pixel(x, y), (x + y) % 2 ? 0x00000000u : 0xFFFFFFFFu) << x << ", " << y;
    checker->Release();
}
