// Shared by the Direct3D 8 stand-in's GL tests: an SDL video session with a GL window, a device
// on it, vertex records in the game's shapes, quad drawing and back-buffer reads.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "d3d8.h"
#include "standin.h"
#include "standin_window.h"

// Pre-transformed vertex with a diffuse colour (D3DFVF_XYZRHW | D3DFVF_DIFFUSE).
struct ColorScreenVertex
{
    float X, Y, Z, Rhw;
    DWORD Color;
};
constexpr DWORD kColorScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// The game's ScreenVertex (0x104) and SceneVertex (0x112).
struct ScreenVertex
{
    float X, Y, Z, Rhw, U, V;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;
struct SceneVertex
{
    float X, Y, Z, Nx, Ny, Nz, U, V;
};
constexpr DWORD kSceneFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

inline int Red(DWORD c)
{
    return (c >> 16) & 0xff;
}
inline int Green(DWORD c)
{
    return (c >> 8) & 0xff;
}
inline int Blue(DWORD c)
{
    return c & 0xff;
}
inline int Alpha(DWORD c)
{
    return (c >> 24) & 0xff;
}

// One window and device per test; everything is released in the right order at the end.
class DeviceTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // Video stays up for the whole test program (it is never quit): quitting it unloads the
        // GL driver, and the leak checker could then no longer name the driver's own leftovers.
        static const bool video = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        ASSERT_TRUE(video) << SDL_GetError();
        D3d = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(D3d, nullptr);
        StandinSetPresentPacing(FALSE);
    }

    void TearDown() override
    {
        if (Device)
        {
            EXPECT_EQ(Device->Release(), 0u);
        }
        if (D3d)
        {
            EXPECT_EQ(D3d->Release(), 0u);
        }
        if (Window)
            SDL_DestroyWindow(Window);
        StandinSetPresentPacing(TRUE);
    }

    SDL_Window* MakeWindow(int width = 640, int height = 480)
    {
        SDL_Window* window = SDL_CreateWindow("d3d8 test", 0, 0, width, height, SDL_WINDOW_OPENGL);
        EXPECT_NE(window, nullptr) << SDL_GetError();
        return window;
    }

    D3DPRESENT_PARAMETERS Params(UINT width, UINT height, D3DFORMAT format, D3DFORMAT depth)
    {
        D3DPRESENT_PARAMETERS p;
        std::memset(&p, 0, sizeof p);
        p.BackBufferWidth = width;
        p.BackBufferHeight = height;
        p.BackBufferFormat = format;
        p.BackBufferCount = 2;
        p.SwapEffect = D3DSWAPEFFECT_FLIP;
        p.EnableAutoDepthStencil = depth != D3DFMT_UNKNOWN;
        p.AutoDepthStencilFormat = depth;
        return p;
    }

    // A full-screen device as the game makes it.
    HRESULT Create(UINT width = 640, UINT height = 480, D3DFORMAT format = D3DFMT_X8R8G8B8,
                   D3DFORMAT depth = D3DFMT_D24S8)
    {
        if (!Window)
            Window = MakeWindow();
        Width = width;
        Height = height;
        D3DPRESENT_PARAMETERS p = Params(width, height, format, depth);
        return D3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, HwndFromSdlWindow(Window),
                                 D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &Device);
    }

    std::vector<DWORD> Read()
    {
        std::vector<DWORD> pixels(size_t(Width) * Height);
        EXPECT_EQ(D3D8ReadBackBuffer(Device, pixels.data(), Width, Height), D3D_OK);
        return pixels;
    }

    DWORD Pixel(int x, int y) { return Read()[size_t(y) * Width + x]; }

    // Draws two triangles of a pre-transformed quad from x0,y0 to x1,y1 in `color`, with the
    // game's overlay order (counter-clockwise on the screen) or its mirror.
    HRESULT DrawColorQuad(float x0, float y0, float x1, float y1, DWORD color, float z = 0.0f,
                          float rhw = 1.0f, bool clockwise = false)
    {
        ColorScreenVertex tl{x0, y0, z, rhw, color}, tr{x1, y0, z, rhw, color},
            bl{x0, y1, z, rhw, color}, br{x1, y1, z, rhw, color};
        std::vector<ColorScreenVertex> v =
            clockwise ? std::vector<ColorScreenVertex>{tl, tr, br, tl, br, bl}
                      : std::vector<ColorScreenVertex>{tl, br, tr, tl, bl, br};
        Device->SetVertexShader(kColorScreenFvf);
        return Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v.data(), sizeof v[0]);
    }

    // A vertex buffer holding `vertices`, filled the way the game does (whole lock, copy).
    template <typename Vertex>
    IDirect3DVertexBuffer8* MakeBuffer(const std::vector<Vertex>& vertices, DWORD fvf,
                                       D3DPOOL pool = D3DPOOL_MANAGED)
    {
        IDirect3DVertexBuffer8* buffer = nullptr;
        const UINT size = static_cast<UINT>(vertices.size() * sizeof(Vertex));
        EXPECT_EQ(Device->CreateVertexBuffer(size, D3DUSAGE_WRITEONLY, fvf, pool, &buffer), D3D_OK);
        BYTE* data = nullptr;
        EXPECT_EQ(buffer->Lock(0, size, &data, 0), D3D_OK);
        std::memcpy(data, vertices.data(), size);
        EXPECT_EQ(buffer->Unlock(), D3D_OK);
        return buffer;
    }

    // A one-level texture of `width` x `height` filled with 32-bit texels.
    IDirect3DTexture8* MakeTexture(UINT width, UINT height, const std::vector<DWORD>& texels)
    {
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(
            Device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3D_OK);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < height; ++y)
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch,
                        &texels[size_t(y) * width], width * 4);
        EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
        return texture;
    }

    // Pumps window events until `done` holds or three seconds pass.
    template <typename Predicate> bool PumpUntil(Predicate done)
    {
        const Uint64 deadline = SDL_GetTicks64() + 3000;
        while (!done())
        {
            if (SDL_GetTicks64() > deadline)
                return false;
            SDL_PumpEvents();
            SDL_Delay(5);
        }
        return true;
    }

    SDL_Window* Window = nullptr;
    IDirect3D8* D3d = nullptr;
    IDirect3DDevice8* Device = nullptr;
    UINT Width = 0;
    UINT Height = 0;
};

// Within `tolerance` per channel.
inline ::testing::AssertionResult ColorNear(DWORD actual, DWORD expected, int tolerance)
{
    const int da = std::abs(Alpha(actual) - Alpha(expected));
    const int dr = std::abs(Red(actual) - Red(expected));
    const int dg = std::abs(Green(actual) - Green(expected));
    const int db = std::abs(Blue(actual) - Blue(expected));
    if (da <= tolerance && dr <= tolerance && dg <= tolerance && db <= tolerance)
        return ::testing::AssertionSuccess();
    char text[96];
    std::snprintf(text, sizeof text, "0x%08X is not within %d of 0x%08X", actual, tolerance,
                  expected);
    return ::testing::AssertionFailure() << text;
}
