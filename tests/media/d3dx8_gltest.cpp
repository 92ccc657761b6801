// GL tests of the utility stand-in through a real device (Mesa under Xvfb): textures loaded from
// real bitmap files in every texel format, the game's own texture and mesh loads, clean failures,
// and the ball mesh drawn where the world transform puts it. Runs in the run folder.
#include "media/texture_image.h"
#include "rgb_surface.h"

#include <d3dx8.h>
#include <standin.h>
#include <standin_window.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
D3DMATRIX Identity()
{
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

D3DMATRIX Translation(float x, float y, float z)
{
    D3DMATRIX m = Identity();
    m._41 = x, m._42 = y, m._43 = z;
    return m;
}

// Left-handed perspective: 60 degrees up and down, 4:3, near 1, far 1000.
D3DMATRIX Perspective()
{
    D3DMATRIX m{};
    float ys = 1.0f / std::tan(3.14159265f / 6.0f), xs = ys * 0.75f;
    float zn = 1.0f, zf = 1000.0f;
    m._11 = xs, m._22 = ys, m._33 = zf / (zf - zn), m._34 = 1.0f, m._43 = -zn * zf / (zf - zn);
    return m;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class D3dxDevice : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        StandinSetPresentPacing(FALSE);
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        window = SDL_CreateWindow("d3dx8 test", 0, 0, 640, 480, SDL_WINDOW_OPENGL);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = 640;
        p.BackBufferHeight = 480;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.BackBufferCount = 1;
        p.SwapEffect = D3DSWAPEFFECT_FLIP;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D24S8;
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, HwndFromSdlWindow(window),
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device),
                  D3D_OK);
        char folder[] = "/tmp/zendrill-d3dx8-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        scratch = folder;
    }

    void TearDown() override
    {
        // Every texture and mesh a test made is released by then: the device must go with its
        // last reference.
        if (device)
        {
            EXPECT_EQ(device->Release(), 0u);
        }
        if (d3d)
        {
            EXPECT_EQ(d3d->Release(), 0u);
        }
        if (window)
            SDL_DestroyWindow(window);
        std::system(("rm -rf \"" + scratch + "\"").c_str());
        StandinSetPresentPacing(TRUE);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    // Writes a 24-bit bitmap of 0xRRGGBB texels, top row first.
    std::string WriteBitmap(const char* name, int w, int h, const std::vector<DWORD>& rgb)
    {
        SDL_Surface* s = RgbSurface(w, h, rgb);
        std::string path = scratch + "/" + name;
        EXPECT_EQ(SDL_SaveBMP(s, path.c_str()), 0);
        SDL_FreeSurface(s);
        return path;
    }

    HRESULT Load(const std::string& path, D3DFORMAT format, D3DCOLOR key,
                 IDirect3DTexture8** texture, D3DXIMAGE_INFO* info = nullptr)
    {
        return D3DXCreateTextureFromFileExA(device, path.c_str(), 0, 0, 0, 0, format,
                                            D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, key, info,
                                            nullptr, texture);
    }

    // A level's texels as stored, one bit pattern per texel.
    std::vector<DWORD> ReadLevel(IDirect3DTexture8* texture, UINT level)
    {
        D3DSURFACE_DESC desc{};
        EXPECT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        UINT bytes = d3dx::TexelBytes(desc.Format);
        std::vector<DWORD> texels;
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
            {
                DWORD value = 0;
                std::memcpy(&value, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * bytes,
                            bytes);
                texels.push_back(value);
            }
        EXPECT_EQ(texture->UnlockRect(level), D3D_OK);
        return texels;
    }

    std::vector<DWORD> ReadBack()
    {
        std::vector<DWORD> pixels(640 * 480);
        EXPECT_EQ(D3D8ReadBackBuffer(device, pixels.data(), 640, 480), D3D_OK);
        return pixels;
    }

    SDL_Window* window = nullptr;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    std::string scratch;
};

TEST_F(D3dxDevice, EveryTexelFormatLoadsFromABitmapAndReadsBack)
{
    // Black is keyed out; the near-black texel is not the key and stays opaque.
    const std::vector<DWORD> rgb = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                    0x0000FF, 0x808080, 0x050403, 0x123456};
    std::string path = WriteBitmap("formats.bmp", 4, 2, rgb);
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                 D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4};
    for (D3DFORMAT format : formats)
    {
        SCOPED_TRACE(format);
        IDirect3DTexture8* texture = nullptr;
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(Load(path, format, 0xFF000000, &texture, &info), D3D_OK);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(info.Width, 4u);
        EXPECT_EQ(info.Height, 2u);
        EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
        EXPECT_EQ(texture->GetLevelCount(), 3u);
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Format, format);
        EXPECT_EQ(desc.Width, 4u);
        EXPECT_EQ(desc.Height, 2u);

        std::vector<DWORD> level0 = ReadLevel(texture, 0);
        ASSERT_EQ(level0.size(), rgb.size());
        for (size_t i = 0; i < rgb.size(); ++i)
        {
            DWORD source = i == 0 ? 0u : (0xFF000000u | rgb[i]);
            EXPECT_EQ(level0[i], d3dx::PackTexel(source, format)) << "texel " << i;
        }
        // Level 1 texel 0 is the box average of keyed black, white, blue and grey: alpha
        // (0 + 3 * 255) / 4, red and green (255 + 128) / 4, blue (2 * 255 + 128) / 4.
        std::vector<DWORD> level1 = ReadLevel(texture, 1);
        ASSERT_EQ(level1.size(), 2u);
        DWORD expected = d3dx::PackTexel(0xBF6060A0u, format);
        EXPECT_EQ(level1[0], expected);
        EXPECT_EQ(ReadLevel(texture, 2).size(), 1u);
        EXPECT_EQ(texture->Release(), 0u);
    }
}

TEST_F(D3dxDevice, MissingAndDamagedBitmapsFailCleanly)
{
    std::string good = ReadAll(WriteBitmap("good.bmp", 8, 8, std::vector<DWORD>(64, 0x336699)));
    ASSERT_GT(good.size(), 54u);
    std::string truncated = scratch + "/truncated.bmp", header = scratch + "/header.bmp",
                empty = scratch + "/empty.bmp";
    WriteAll(truncated, good.substr(0, good.size() - 40));
    std::string wrong = good;
    wrong[0] = 'X';
    WriteAll(header, wrong);
    WriteAll(empty, "");

    for (const std::string& path : {scratch + "/missing.bmp", truncated, header, empty})
    {
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(&good);
        EXPECT_EQ(Load(path, D3DFMT_X8R8G8B8, 0, &texture), D3DXERR_INVALIDDATA) << path;
        EXPECT_EQ(texture, nullptr) << path;
    }
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileExA(nullptr, "x.bmp", 0, 0, 0, 0, D3DFMT_X8R8G8B8,
                                           D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                           nullptr, &texture),
              D3DERR_INVALIDCALL);
}

TEST_F(D3dxDevice, TheGamesTwentyTexturesLoadWithTheGamesArguments)
{
    const char* names[] = {"PAUSED", "LIFE",   "CAMERAS", "DIGITS", "TITLE",  "SNOW",   "BAT",
                           "FLOOR1", "FLOOR2", "BALL",    "ARENA1", "ARENA2", "ARENA3", "ARENA4",
                           "BLOCK1", "BLOCK2", "BLOCK3",  "BLOCK4", "BLOCK5", "BLOCK6"};
    for (D3DFORMAT displayFormat : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5})
        for (const char* name : names)
        {
            std::string file = std::string("textures/") + name + ".bmp";
            bool keyed = std::strcmp(name, "TITLE") == 0 || std::strcmp(name, "SNOW") == 0;
            IDirect3DTexture8* texture = nullptr;
            HRESULT hr = D3DXCreateTextureFromFileExA(
                device, file.c_str(), 0, 0, keyed && name[0] == 'S' ? 5 : 0, 0,
                keyed ? D3DFMT_A8R8G8B8 : displayFormat, D3DPOOL_MANAGED,
                keyed ? D3DX_FILTER_POINT : D3DX_DEFAULT, keyed ? D3DX_FILTER_POINT : D3DX_DEFAULT,
                keyed ? 0xFF000000 : 0, nullptr, nullptr, &texture);
            ASSERT_EQ(hr, D3D_OK) << file;
            D3DSURFACE_DESC desc{};
            ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
            EXPECT_EQ(desc.Format, keyed ? D3DFMT_A8R8G8B8 : displayFormat) << file;
            if (keyed) // the top-left corner is background: keyed out
            {
                EXPECT_EQ(ReadLevel(texture, 0)[0], 0u) << file;
            }
            texture->Release();
        }
}

TEST_F(D3dxDevice, MissingAndCorruptMeshFilesFailCleanly)
{
    std::string ball = ReadAll("models/ball.x");
    ASSERT_GT(ball.size(), 1000u);
    std::string truncated = scratch + "/truncated.x", garbage = scratch + "/garbage.x";
    WriteAll(truncated, ball.substr(0, ball.size() / 3));
    WriteAll(garbage, "xof 0302txt 0032\nMesh { 3; 1;2;3;, oops");

    for (const std::string& path : {scratch + "/missing.x", truncated, garbage})
    {
        ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(&ball);
        HRESULT hr = D3DXLoadMeshFromX(path.c_str(), D3DXMESH_MANAGED, device, nullptr, nullptr,
                                       nullptr, &mesh);
        EXPECT_TRUE(FAILED(hr)) << path;
        EXPECT_EQ(mesh, nullptr) << path;
    }
    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(D3DXLoadMeshFromX("models/ball.x", D3DXMESH_MANAGED, nullptr, nullptr, nullptr,
                                nullptr, &mesh),
              D3DERR_INVALIDCALL);
}

TEST_F(D3dxDevice, MeshesLoadWithAdjacencyAndMaterialsWhenAsked)
{
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 99;
    ASSERT_EQ(D3DXLoadMeshFromX("models/ball.x", D3DXMESH_MANAGED, device, &adjacency, &materials,
                                &count, &mesh),
              D3D_OK);
    EXPECT_EQ(mesh->GetFVF(), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
    DWORD faces = mesh->GetNumFaces();
    EXPECT_GT(faces, 100u);
    EXPECT_EQ(mesh->GetNumVertices(), faces * 3);
    ASSERT_NE(adjacency, nullptr);
    ASSERT_EQ(adjacency->GetBufferSize(), faces * 3 * sizeof(DWORD));
    // The sphere is closed: every edge of every face has a neighbour.
    const DWORD* neighbours = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    for (DWORD i = 0; i < faces * 3; ++i)
        ASSERT_LT(neighbours[i], faces) << "edge " << i;
    EXPECT_EQ(count, 1u);
    ASSERT_NE(materials, nullptr);
    EXPECT_EQ(materials->GetBufferSize(), sizeof(D3DXMATERIAL));
    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(mesh->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device);
    owner->Release();
    EXPECT_EQ(adjacency->Release(), 0u);
    EXPECT_EQ(materials->Release(), 0u);
    EXPECT_EQ(mesh->Release(), 0u);

    ID3DXMesh* floor = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromX("models/floor.X", D3DXMESH_MANAGED, device, nullptr, nullptr,
                                nullptr, &floor),
              D3D_OK);
    EXPECT_GT(floor->GetNumFaces(), 0u);
    EXPECT_EQ(floor->Release(), 0u);
}

TEST_F(D3dxDevice, KeyedTitleShowsItsLettersAndLetsTheSceneThroughItsBackground)
{
    IDirect3DTexture8* title = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, "textures/TITLE.bmp", 0, 0, 0, 0,
                                           D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                           D3DX_FILTER_POINT, 0xFF000000, nullptr, nullptr, &title),
              D3D_OK);
    // The overlay's way: a pre-transformed quad, alpha test (reference 1, greater-or-equal) and
    // blending, over a blue scene.
    struct ScreenVertex
    {
        float x, y, z, rhw, u, v;
    } quad[6] = {{0, 0, 0, 1, 0, 0}, {640, 160, 0, 1, 1, 1}, {640, 0, 0, 1, 1, 0},
                 {0, 0, 0, 1, 0, 0}, {0, 160, 0, 1, 0, 1},   {640, 160, 0, 1, 1, 1}};
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 1);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTexture(0, title);
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX1);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0),
              D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof quad[0]), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    std::vector<DWORD> pixels = ReadBack();
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x0000FFu) << "the keyed corner shows the scene";
    int warm = 0, blue = 0;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 640; ++x)
        {
            DWORD p = pixels[size_t(y) * 640 + x];
            warm += (p >> 16 & 0xFF) > 200 && (p & 0xFF) < 120;
            blue += (p & 0xFFFFFF) == 0x0000FF;
        }
    EXPECT_GT(warm, 640 * 160 / 20) << "the lettering shows";
    EXPECT_GT(blue, 640 * 160 / 3) << "the background lets the scene through";
    device->SetTexture(0, nullptr);
    EXPECT_EQ(title->Release(), 0u);
}

// Lit pixels of a picture: count, centre and extent.
struct Blob
{
    int count = 0;
    double cx = 0, cy = 0;
    int left = 640, right = -1, top = 480, bottom = -1;
};

Blob FindBlob(const std::vector<DWORD>& pixels)
{
    Blob b;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if ((pixels[size_t(y) * 640 + x] & 0xFFFFFF) != 0)
            {
                ++b.count;
                b.cx += x + 0.5;
                b.cy += y + 0.5;
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
    if (b.count)
        b.cx /= b.count, b.cy /= b.count;
    return b;
}

TEST_F(D3dxDevice, BallDrawsRoundWhereTheWorldTransformPutsItAndFacesTheLight)
{
    ID3DXMesh* ball = nullptr;
    ASSERT_EQ(D3DXLoadMeshFromX("models/ball.x", D3DXMESH_MANAGED, device, nullptr, nullptr,
                                nullptr, &ball),
              D3D_OK);
    IDirect3DTexture8* white = nullptr;
    ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &white), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(white->LockRect(0, &locked, nullptr, 0), D3D_OK);
    *static_cast<DWORD*>(locked.pBits) = 0xFFFFFFFF;
    white->UnlockRect(0);

    // A point light at the eye: front faces (clockwise, culled counter-clockwise as the game
    // draws the ball) turn their normals to it and are lit; the inside of the sphere would not be.
    D3DMATRIX view = Identity(), projection = Perspective();
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTexture(0, white);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    D3DMATERIAL8 material{};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    device->SetMaterial(&material);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    light.Range = 1000.0f;
    light.Attenuation0 = 1.0f;
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);

    // Something else bound before the draw must be bound again after it.
    IDirect3DVertexBuffer8* other = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0x104, D3DPOOL_MANAGED, &other),
              D3D_OK);

    // The ball's centre is 3 above its origin; these two places put it 30 ahead of the eye.
    struct Place
    {
        float x, y;
    } places[] = {{0.0f, -3.0f}, {8.0f, 2.0f}};
    const float ys = 1.0f / std::tan(3.14159265f / 6.0f), xs = ys * 0.75f;
    for (const Place& place : places)
    {
        SCOPED_TRACE(place.x);
        device->SetStreamSource(0, other, 24);
        device->SetVertexShader(0x104);
        D3DMATRIX world = Translation(place.x, place.y, 30.0f);
        device->SetTransform(D3DTS_WORLD, &world);
        ASSERT_EQ(
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0),
            D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        D3D8TraceStart(device);
        ASSERT_EQ(ball->DrawSubset(0), D3D_OK);
        D3D8TraceStop(device);
        ASSERT_EQ(device->EndScene(), D3D_OK);

        IDirect3DVertexBuffer8* bound = nullptr;
        UINT stride = 0;
        DWORD shader = 0;
        ASSERT_EQ(device->GetStreamSource(0, &bound, &stride), D3D_OK);
        EXPECT_EQ(bound, other);
        EXPECT_EQ(stride, 24u);
        if (bound)
            bound->Release();
        ASSERT_EQ(device->GetVertexShader(&shader), D3D_OK);
        EXPECT_EQ(shader, 0x104u);

        bool noted = false;
        for (UINT i = 0; i < D3D8TraceCount(device); ++i)
        {
            const D3D8TraceEntry* entry = D3D8TraceGet(device, i);
            if (std::strcmp(entry->Call, "DrawSubset") == 0)
            {
                noted = true;
                EXPECT_EQ(entry->Arg[0], 0u);
                EXPECT_EQ(entry->Arg[2], ball->GetNumFaces());
                EXPECT_EQ(entry->Object, ball);
                EXPECT_EQ(entry->Result, D3D_OK);
            }
        }
        EXPECT_TRUE(noted) << "the trace records the DrawSubset";

        // The exact outline of a sphere seen in perspective: the planes through the eye that
        // touch it give its extremes on screen (k is x / z or y / z there).
        std::vector<DWORD> pixels = ReadBack();
        Blob blob = FindBlob(pixels);
        auto tangents = [](double c, double z, double r, double* low, double* high)
        {
            double root = r * std::sqrt(c * c + z * z - r * r), denominator = z * z - r * r;
            *low = (c * z - root) / denominator;
            *high = (c * z + root) / denominator;
        };
        double kLow, kHigh, mLow, mHigh;
        tangents(place.x, 30.0, 3.0, &kLow, &kHigh);
        tangents(place.y + 3.0, 30.0, 3.0, &mLow, &mHigh);
        double left = 320.0 + kLow * xs * 320.0, right = 320.0 + kHigh * xs * 320.0;
        double top = 240.0 - mHigh * ys * 240.0, bottom = 240.0 - mLow * ys * 240.0;
        double expectX = (left + right) / 2.0, expectY = (top + bottom) / 2.0;
        double halfWidth = (right - left) / 2.0, halfHeight = (bottom - top) / 2.0;
        EXPECT_NEAR(blob.cx, expectX, 1.0);
        EXPECT_NEAR(blob.cy, expectY, 1.0);
        EXPECT_NEAR((blob.right - blob.left + 1) / 2.0, halfWidth, 1.5);
        EXPECT_NEAR((blob.bottom - blob.top + 1) / 2.0, halfHeight, 1.5);
        double area = 3.14159 * halfWidth * halfHeight;
        EXPECT_NEAR(blob.count, area, 0.05 * area) << "round: a full disc, no gaps";
        // The middle of the ball faces the light.
        DWORD middle = pixels[size_t(std::lround(expectY)) * 640 + size_t(std::lround(expectX))];
        EXPECT_GT(middle & 0xFF, 200u) << std::hex << middle;
    }

    // An attribute no face carries draws nothing and succeeds.
    D3D8TraceStart(device);
    EXPECT_EQ(ball->DrawSubset(7), D3D_OK);
    for (UINT i = 0; i < D3D8TraceCount(device); ++i)
        EXPECT_STRNE(D3D8TraceGet(device, i)->Call, "DrawPrimitive");
    D3D8TraceStop(device);

    device->SetStreamSource(0, nullptr, 0);
    device->SetTexture(0, nullptr);
    EXPECT_EQ(other->Release(), 0u);
    EXPECT_EQ(white->Release(), 0u);
    EXPECT_EQ(ball->Release(), 0u);
}
} // namespace
