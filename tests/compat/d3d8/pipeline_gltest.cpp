// The fixed-function pipeline on the real GL driver: lighting by Direct3D's formulas with the
// game's own light, the alpha test, the blend factors the game uses, culling and pixel coverage
// of pre-transformed quads, a 16-bit back buffer, and W-buffering.
#include "d3d8_harness.h"

#include <cmath>

#include "common/math/matrix4.h"

namespace
{
// Maps x and y from -half..half onto the screen and z from 0..100 onto the depth range.
D3DMATRIX Orthographic(float half)
{
    D3DMATRIX m = MakeIdentity<D3DMATRIX>();
    m._11 = 1.0f / half;
    m._22 = 1.0f / half;
    m._33 = 0.01f;
    return m;
}

// Direct3D's left-handed perspective with a 90 degree field of view.
D3DMATRIX Perspective(float zn, float zf)
{
    D3DMATRIX m;
    std::memset(&m, 0, sizeof m);
    m._11 = 1.0f;
    m._22 = 1.0f;
    m._33 = zf / (zf - zn);
    m._34 = 1.0f;
    m._43 = -zn * zf / (zf - zn);
    return m;
}

// The game's light 0: a white point light with range 80 and the attenuation 1, -0.068, 0.005.
D3DLIGHT8 GameLight()
{
    D3DLIGHT8 light;
    std::memset(&light, 0, sizeof light);
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Ambient = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Range = 80.0f;
    light.Attenuation0 = 1.0f;
    light.Attenuation1 = -0.068f;
    light.Attenuation2 = 0.005f;
    return light;
}

D3DMATERIAL8 Material(float diffuse, float ambient)
{
    D3DMATERIAL8 material;
    std::memset(&material, 0, sizeof material);
    material.Diffuse = {diffuse, diffuse, diffuse, 0.0f};
    material.Ambient = {ambient, ambient, ambient, 0.0f};
    return material;
}

int ToByte(double value)
{
    return static_cast<int>(std::lround(std::min(1.0, value) * 255.0));
}

// A value read back from an n-bit channel is one of the n-bit levels scaled to 0..255.
bool IsLevel(int value, int bits)
{
    const double top = (1 << bits) - 1;
    const double level = std::round(value * top / 255.0);
    return std::fabs(level * 255.0 / top - value) <= 0.51;
}
} // namespace

class PipelineTest : public DeviceTest
{
  protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        ASSERT_EQ(Create(), D3D_OK);
    }

    void Begin(D3DCOLOR background = 0xFF000000)
    {
        ASSERT_EQ(
            Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0),
            D3D_OK);
        ASSERT_EQ(Device->BeginScene(), D3D_OK);
    }

    void End() { ASSERT_EQ(Device->EndScene(), D3D_OK); }

    // A square of half-size 1 at distance `depth` in front of the origin, facing it, drawn
    // through the world and a view that moves the camera back by `viewShift`. Its four corners are
    // equally far from a light at the origin, so the lit colour is the same over the whole square.
    void DrawFacingSquare(float depth, float viewShift = 0.0f)
    {
        const std::vector<SceneVertex> vertices = {
            {-1, 1, 0, 0, 0, -1, 0, 0}, {1, 1, 0, 0, 0, -1, 1, 0},  {1, -1, 0, 0, 0, -1, 1, 1},
            {-1, 1, 0, 0, 0, -1, 0, 0}, {1, -1, 0, 0, 0, -1, 1, 1}, {-1, -1, 0, 0, 0, -1, 0, 1}};
        IDirect3DVertexBuffer8* buffer = MakeBuffer(vertices, kSceneFvf);
        const D3DMATRIX world = MakeTranslation<D3DMATRIX>(0.0f, 0.0f, depth);
        const D3DMATRIX view = MakeTranslation<D3DMATRIX>(0.0f, 0.0f, -viewShift);
        const D3DMATRIX projection = Orthographic(2.0f);
        Device->SetTransform(D3DTS_WORLD, &world);
        Device->SetTransform(D3DTS_VIEW, &view);
        Device->SetTransform(D3DTS_PROJECTION, &projection);
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        ASSERT_EQ(Device->SetVertexShader(kSceneFvf), D3D_OK);
        ASSERT_EQ(Device->SetStreamSource(0, buffer, sizeof(SceneVertex)), D3D_OK);
        ASSERT_EQ(Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
        buffer->Release();
    }

    // The colour of the middle of the square lit by `light` at the origin.
    DWORD LitSquare(const D3DLIGHT8& light, const D3DMATERIAL8& material, D3DCOLOR ambient,
                    float depth, float viewShift = 0.0f)
    {
        Begin();
        Device->SetRenderState(D3DRS_LIGHTING, TRUE);
        Device->SetRenderState(D3DRS_AMBIENT, ambient);
        EXPECT_EQ(Device->SetLight(0, &light), D3D_OK);
        EXPECT_EQ(Device->LightEnable(0, TRUE), D3D_OK);
        EXPECT_EQ(Device->SetMaterial(&material), D3D_OK);
        DrawFacingSquare(depth, viewShift);
        End();
        return Pixel(320, 240);
    }
};

TEST_F(PipelineTest, PointLightFollowsDirect3DAttenuationAndRange)
{
    // The game's light, seen through a view that moves the camera, lighting a material without
    // ambient reflection: colour = N.L / (a0 + a1 d + a2 d^2).
    for (float distance : {20.0f, 40.0f, 70.0f})
    {
        const float depth = std::sqrt(distance * distance - 2.0f);
        const double attenuation =
            1.0 / (1.0 - 0.068 * distance + 0.005 * double(distance) * distance);
        const int expected = ToByte(depth / distance * attenuation);
        const DWORD color = LitSquare(GameLight(), Material(1.0f, 0.0f), 0, depth, 7.0f);
        EXPECT_TRUE(ColorNear(color, D3DCOLOR_XRGB(expected, expected, expected), 2))
            << "distance " << distance;
    }
    // Beyond Range the light adds nothing, not even its ambient part.
    EXPECT_TRUE(ColorNear(LitSquare(GameLight(), Material(1.0f, 1.0f), 0, 85.0f), 0xFF000000, 0));
}

TEST_F(PipelineTest, GameLightingSaturatesInRangeAndLeavesAmbientBeyondIt)
{
    // The game's whole setting: ambient 0xEEEEEEEE and a white material. In range the light's
    // ambient and diffuse parts add to the global ambient and the colour clamps at white; beyond
    // the range only the global ambient is left.
    EXPECT_TRUE(
        ColorNear(LitSquare(GameLight(), Material(1.0f, 1.0f), 0xEEEEEEEE, 30.0f), 0xFFFFFFFF, 1));
    EXPECT_TRUE(
        ColorNear(LitSquare(GameLight(), Material(1.0f, 1.0f), 0xEEEEEEEE, 90.0f), 0xFFEEEEEE, 1));
    // The ambient term alone scales with the material: 0xEE x 0.5 and the light's attenuated
    // ambient at 40 units (1 / 6.28) x 0.5.
    const int expected = ToByte(0.5 * (238.0 / 255.0 + 1.0 / 6.28));
    D3DMATERIAL8 material = Material(0.0f, 0.5f);
    EXPECT_TRUE(ColorNear(LitSquare(GameLight(), material, 0xEEEEEEEE, std::sqrt(1598.0f)),
                          D3DCOLOR_XRGB(expected, expected, expected), 2));
}

TEST_F(PipelineTest, DirectionalLightAndUnlitColour)
{
    D3DLIGHT8 light;
    std::memset(&light, 0, sizeof light);
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    light.Direction = {0.0f, 0.0f, 1.0f}; // shining onto the square's front
    D3DMATERIAL8 material = Material(1.0f, 0.0f);
    material.Diffuse.a = 0.5f;
    EXPECT_TRUE(ColorNear(LitSquare(light, material, 0, 10.0f), D3DCOLOR_XRGB(128, 64, 255), 2));
    // Tilted by 60 degrees the light arrives at half strength.
    light.Direction = {0.0f, std::sin(1.0471976f), std::cos(1.0471976f)};
    EXPECT_TRUE(ColorNear(LitSquare(light, material, 0, 10.0f), D3DCOLOR_XRGB(64, 32, 128), 2));
    // Lighting off: a vertex without a diffuse colour is opaque white, whatever the light.
    Begin();
    Device->SetRenderState(D3DRS_LIGHTING, FALSE);
    DrawFacingSquare(10.0f);
    End();
    EXPECT_EQ(Pixel(320, 240), 0xFFFFFFFFu);
}

TEST_F(PipelineTest, AlphaTestComparesRoundedAlphaWithReference)
{
    // Four texels with alpha 0x00, 0x7F, 0x80 and 0x81, each covering a 10 x 10 cell.
    IDirect3DTexture8* texture =
        MakeTexture(4, 1, {0x00FF0000, 0x7FFF0000, 0x80FF0000, 0x81FF0000});
    const std::vector<ScreenVertex> quad = {{0, 0, 0, 1, 0, 0},  {40, 10, 0, 1, 1, 1},
                                            {40, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 0, 0},
                                            {0, 10, 0, 1, 0, 1}, {40, 10, 0, 1, 1, 1}};
    struct Case
    {
        DWORD Enable, Function, Reference;
        const char* Drawn; // which of the four cells show the texture
    };
    const Case cases[] = {
        {TRUE, D3DCMP_GREATEREQUAL, 1, "-xxx"}, // the game's test: alpha 0 is removed
        {TRUE, D3DCMP_GREATEREQUAL, 0x80, "--xx"}, {TRUE, D3DCMP_LESS, 0x80, "xx--"},
        {TRUE, D3DCMP_EQUAL, 0x80, "--x-"},        {TRUE, D3DCMP_NOTEQUAL, 0x80, "xx-x"},
        {TRUE, D3DCMP_GREATER, 0x80, "---x"},      {TRUE, D3DCMP_LESSEQUAL, 0x7F, "xx--"},
        {TRUE, D3DCMP_NEVER, 0, "----"},           {TRUE, D3DCMP_ALWAYS, 0, "xxxx"},
        {FALSE, D3DCMP_NEVER, 0, "xxxx"}};
    for (const Case& c : cases)
    {
        Begin(0xFF0000FF);
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        Device->SetRenderState(D3DRS_ALPHATESTENABLE, c.Enable);
        Device->SetRenderState(D3DRS_ALPHAFUNC, c.Function);
        Device->SetRenderState(D3DRS_ALPHAREF, c.Reference);
        Device->SetTexture(0, texture);
        Device->SetVertexShader(kScreenFvf);
        ASSERT_EQ(Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof quad[0]),
                  D3D_OK);
        End();
        const std::vector<DWORD> pixels = Read();
        for (int cell = 0; cell < 4; ++cell)
            EXPECT_EQ(pixels[5 * Width + cell * 10 + 5],
                      c.Drawn[cell] == 'x' ? 0xFFFF0000u : 0xFF0000FFu)
                << "function " << c.Function << " reference " << c.Reference << " cell " << cell;
    }
    Device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(PipelineTest, SourceAndDestinationColourBlends)
{
    // Source (128, 64, 255) from a texture over a background of (204, 102, 51).
    IDirect3DTexture8* texture = MakeTexture(1, 1, {0xFF8040FF});
    const std::vector<ScreenVertex> quad = {{0, 0, 0, 1, 0, 0},  {64, 64, 0, 1, 1, 1},
                                            {64, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 0, 0},
                                            {0, 64, 0, 1, 0, 1}, {64, 64, 0, 1, 1, 1}};
    const double s[3] = {128 / 255.0, 64 / 255.0, 1.0};
    const double d[3] = {204 / 255.0, 102 / 255.0, 51 / 255.0};
    struct Case
    {
        DWORD Source, Destination;
        double (*Mix)(double s, double d);
    };
    const Case cases[] = {
        {D3DBLEND_SRCCOLOR, D3DBLEND_DESTCOLOR, [](double s, double d) { return s * s + d * d; }},
        {D3DBLEND_SRCCOLOR, D3DBLEND_SRCCOLOR, [](double s, double d) { return s * s + d * s; }},
        {D3DBLEND_ONE, D3DBLEND_DESTCOLOR, [](double s, double d) { return s + d * d; }},
        {D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCCOLOR,
         [](double s, double d) { return s * (1 - d) + d * (1 - s); }},
        {D3DBLEND_ONE, D3DBLEND_ZERO, [](double s, double) { return s; }}};
    for (const Case& c : cases)
    {
        Begin(D3DCOLOR_XRGB(204, 102, 51));
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        Device->SetRenderState(D3DRS_SRCBLEND, c.Source);
        Device->SetRenderState(D3DRS_DESTBLEND, c.Destination);
        Device->SetTexture(0, texture);
        Device->SetVertexShader(kScreenFvf);
        ASSERT_EQ(Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad.data(), sizeof quad[0]),
                  D3D_OK);
        End();
        const DWORD expected = D3DCOLOR_XRGB(ToByte(c.Mix(s[0], d[0])), ToByte(c.Mix(s[1], d[1])),
                                             ToByte(c.Mix(s[2], d[2])));
        EXPECT_TRUE(ColorNear(Pixel(32, 32), expected, 2))
            << "blend " << c.Source << ", " << c.Destination;
    }
    Device->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(PipelineTest, CullModesFollowTheWindingOnTheScreen)
{
    // The overlay's quads run counter-clockwise on the screen: drawn under D3DCULL_CW and
    // D3DCULL_NONE, removed under D3DCULL_CCW; the mirrored order the other way round.
    struct Case
    {
        bool Clockwise;
        DWORD Cull;
        bool Drawn;
    };
    const Case cases[] = {{false, D3DCULL_CW, true},
                          {false, D3DCULL_CCW, false},
                          {false, D3DCULL_NONE, true},
                          {true, D3DCULL_CW, false},
                          {true, D3DCULL_CCW, true}};
    for (const Case& c : cases)
    {
        Begin();
        Device->SetRenderState(D3DRS_CULLMODE, c.Cull);
        ASSERT_EQ(DrawColorQuad(100, 100, 200, 200, 0xFF00FF00, 0, 1, c.Clockwise), D3D_OK);
        End();
        EXPECT_EQ(Pixel(150, 150), c.Drawn ? 0xFF00FF00u : 0xFF000000u)
            << (c.Clockwise ? "clockwise" : "counter-clockwise") << " cull " << c.Cull;
    }
    // Transformed geometry obeys the same rule: with the default D3DCULL_CCW a triangle running
    // clockwise on the screen (top-left, top-right, bottom-right) is drawn, its mirror is not.
    struct Colored
    {
        float X, Y, Z;
        DWORD Color;
    };
    for (bool clockwise : {true, false})
    {
        std::vector<Colored> triangle = {{-0.5f, 0.5f, 0.5f, 0xFFFFFF00},
                                         {0.5f, 0.5f, 0.5f, 0xFFFFFF00},
                                         {0.5f, -0.5f, 0.5f, 0xFFFFFF00}};
        if (!clockwise)
            std::swap(triangle[1], triangle[2]);
        Begin();
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        Device->SetRenderState(D3DRS_LIGHTING, FALSE);
        Device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        ASSERT_EQ(
            Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle.data(), sizeof triangle[0]),
            D3D_OK);
        End();
        // (0.25, 0.375) in clip space lies inside both windings' triangle, up right of centre.
        EXPECT_EQ(Pixel(400, 150), clockwise ? 0xFFFFFF00u : 0xFF000000u);
    }
}

TEST_F(PipelineTest, PretransformedQuadCoversExactlyItsPixels)
{
    // Direct3D's pixel centres are on integers and edges follow the top-left rule: a quad from
    // (10, 5) to (20, 15) covers columns 10 to 19 and rows 5 to 14; one shifted by half a pixel
    // covers the next column and row.
    struct Case
    {
        float X0, Y0, X1, Y1;
        int Left, Top, Right, Bottom; // covered, inclusive
    };
    const Case cases[] = {{10, 5, 20, 15, 10, 5, 19, 14},
                          {10.5f, 5.5f, 20.5f, 15.5f, 11, 6, 20, 15},
                          {0, 0, 640, 480, 0, 0, 639, 479}};
    for (const Case& c : cases)
    {
        Begin(0xFF000000);
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        ASSERT_EQ(DrawColorQuad(c.X0, c.Y0, c.X1, c.Y1, 0xFFFF0000), D3D_OK);
        End();
        const std::vector<DWORD> pixels = Read();
        int wrong = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x)
            {
                const bool inside = x >= c.Left && x <= c.Right && y >= c.Top && y <= c.Bottom;
                wrong += pixels[size_t(y) * Width + x] != (inside ? 0xFFFF0000u : 0xFF000000u);
            }
        EXPECT_EQ(wrong, 0) << "quad at " << c.X0 << ", " << c.Y0;
        EXPECT_EQ(pixels[size_t(c.Bottom) * Width + c.Right], 0xFFFF0000u);
    }
}

TEST_F(PipelineTest, SixteenBitBackBuffersQuantise)
{
    // The adapter's one 16-bit mode format; full screen refuses formats that are no mode's.
    Device->Release();
    Device = nullptr;
    EXPECT_EQ(Create(640, 480, D3DFMT_X1R5G5B5, D3DFMT_D16), D3DERR_INVALIDCALL);
    ASSERT_EQ(Create(640, 480, D3DFMT_R5G6B5, D3DFMT_D16), D3D_OK);
    // A cleared colour and a drawn one both land on the 5- and 6-bit levels.
    Begin(0xFF808080);
    Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    ASSERT_EQ(DrawColorQuad(0, 0, 10, 10, 0xFF0B2A47), D3D_OK);
    End();
    for (DWORD pixel : {Pixel(100, 100), Pixel(5, 5)})
    {
        EXPECT_TRUE(IsLevel(Red(pixel), 5)) << std::hex << pixel;
        EXPECT_TRUE(IsLevel(Green(pixel), 6)) << std::hex << pixel;
        EXPECT_TRUE(IsLevel(Blue(pixel), 5)) << std::hex << pixel;
        EXPECT_EQ(Alpha(pixel), 0xff);
    }
    EXPECT_NE(Red(Pixel(100, 100)), 0x80); // 0x80 itself is no 5-bit level
    EXPECT_TRUE(ColorNear(Pixel(5, 5), 0xFF0B2A47, 5));
}

TEST_F(PipelineTest, WBufferSeparatesDepthsThatTheZBufferCannot)
{
    // With a 16-bit depth buffer and a far plane at 1000, z of w = 800 and w = 801 round to the
    // same depth value, so the nearer quad drawn second fails the LESS test; as linear W they
    // are a thousandth apart and the nearer one wins.
    Device->Release();
    Device = nullptr;
    ASSERT_EQ(Create(640, 480, D3DFMT_X8R8G8B8, D3DFMT_D16), D3D_OK);
    struct Colored
    {
        float X, Y, Z;
        DWORD Color;
    };
    auto square = [](float z, DWORD color)
    {
        return std::vector<Colored>{{-2000, 2000, z, color}, {2000, 2000, z, color},
                                    {2000, -2000, z, color}, {-2000, 2000, z, color},
                                    {2000, -2000, z, color}, {-2000, -2000, z, color}};
    };
    const D3DMATRIX projection = Perspective(1.0f, 1000.0f);
    for (DWORD zenable : {DWORD(D3DZB_USEW), DWORD(D3DZB_TRUE)})
    {
        Begin();
        Device->SetTransform(D3DTS_PROJECTION, &projection);
        Device->SetRenderState(D3DRS_ZENABLE, zenable);
        Device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        Device->SetRenderState(D3DRS_LIGHTING, FALSE);
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        Device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        const std::vector<Colored> far = square(801.0f, 0xFFFF0000);
        const std::vector<Colored> near = square(800.0f, 0xFF00FF00);
        ASSERT_EQ(Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, far.data(), sizeof far[0]),
                  D3D_OK);
        ASSERT_EQ(Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, near.data(), sizeof near[0]),
                  D3D_OK);
        End();
        EXPECT_EQ(Pixel(320, 240), zenable == D3DZB_USEW ? 0xFF00FF00u : 0xFFFF0000u)
            << "ZENABLE " << zenable;
    }
}
