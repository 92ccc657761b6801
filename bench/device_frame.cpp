// device_frame: how fast the Direct3D 8 stand-in draws one frame of this game's shape (about a
// hundred 10-triangle brick draws, 25 snow layers of 400 triangles, the floor, the title and the
// HUD quads, with the game's state changes and the per-frame HUD upload) against a frame that
// only clears and presents, at 640 x 480 and 1024 x 768. Present pacing is off for the raw
// figures; the paced runs show the rate the game really gets. Run it under a display, e.g.
//   tests/with-display.sh build/bin/device_frame
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/math/matrix4.h"
#include "d3d8.h"
#include "standin.h"
#include "windows.h"

namespace
{
struct SceneVertex
{
    float X, Y, Z, Nx, Ny, Nz, U, V;
};
struct ScreenVertex
{
    float X, Y, Z, Rhw, U, V;
};
constexpr DWORD kSceneFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;

// Left-handed perspective, 90 degrees across, 4:3.
D3DMATRIX Perspective()
{
    D3DMATRIX m;
    std::memset(&m, 0, sizeof m);
    const float zn = 1.0f, zf = 2000.0f;
    m._11 = 0.75f;
    m._22 = 1.0f;
    m._33 = zf / (zf - zn);
    m._34 = 1.0f;
    m._43 = -zn * zf / (zf - zn);
    return m;
}

void Quad(std::vector<SceneVertex>& v, const float (&c)[4][3], float nx, float ny, float nz)
{
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i : {0, 1, 2, 0, 2, 3})
        v.push_back({c[i][0], c[i][1], c[i][2], nx, ny, nz, uv[i][0], uv[i][1]});
}

// A brick: front, top, bottom, left and right faces, ten triangles.
std::vector<SceneVertex> Brick(float w, float h, float d)
{
    std::vector<SceneVertex> v;
    const float x0 = -w / 2, x1 = w / 2, y0 = -h / 2, y1 = h / 2, z0 = -d / 2, z1 = d / 2;
    Quad(v, {{x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}}, 0, 0, -1);
    Quad(v, {{x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0}}, 0, 1, 0);
    Quad(v, {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}, 0, -1, 0);
    Quad(v, {{x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}}, -1, 0, 0);
    Quad(v, {{x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}, {x1, y0, z0}}, 1, 0, 0);
    return v;
}

// A snow layer: 200 small flakes scattered over the view, 400 triangles.
std::vector<SceneVertex> SnowLayer(unsigned seed)
{
    std::vector<SceneVertex> v;
    for (int i = 0; i < 200; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        const float x = float(seed % 900) - 450.0f;
        seed = seed * 1103515245u + 12345u;
        const float y = float(seed % 700) - 350.0f;
        seed = seed * 1103515245u + 12345u;
        const float z = 200.0f + float(seed % 300);
        const float s = 3.0f;
        Quad(v, {{x - s, y + s, z}, {x + s, y + s, z}, {x + s, y - s, z}, {x - s, y - s, z}}, 0, 0,
             -1);
    }
    return v;
}

template <typename Vertex>
IDirect3DVertexBuffer8* Upload(IDirect3DDevice8* device, const std::vector<Vertex>& vertices,
                               DWORD fvf)
{
    IDirect3DVertexBuffer8* buffer = nullptr;
    const UINT size = static_cast<UINT>(vertices.size() * sizeof(Vertex));
    if (device->CreateVertexBuffer(size, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer) != 0)
        return nullptr;
    BYTE* data = nullptr;
    buffer->Lock(0, size, &data, 0);
    std::memcpy(data, vertices.data(), size);
    buffer->Unlock();
    return buffer;
}

IDirect3DTexture8* Texture(IDirect3DDevice8* device, D3DFORMAT format, DWORD seed)
{
    IDirect3DTexture8* texture = nullptr;
    if (device->CreateTexture(64, 64, 0, 0, format, D3DPOOL_MANAGED, &texture) != 0)
        return nullptr;
    for (DWORD level = 0; level < texture->GetLevelCount(); ++level)
    {
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked;
        texture->LockRect(level, &locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
            {
                // A ring pattern; black (alpha 0 in A8R8G8B8) between the rings.
                const bool on = ((x ^ y ^ seed) & 4) != 0;
                DWORD* row =
                    reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
                row[x] = on ? 0xFF000000u | (seed * 0x453821u) : 0x00000000u;
            }
        texture->UnlockRect(level);
    }
    return texture;
}

// One device with the game's objects, for the life of one benchmark.
struct Scene
{
    HWND Window = nullptr;
    IDirect3D8* D3d = nullptr;
    IDirect3DDevice8* Device = nullptr;
    UINT Width = 0, Height = 0;
    IDirect3DVertexBuffer8* Floor = nullptr;
    std::vector<IDirect3DVertexBuffer8*> Bricks;
    std::vector<IDirect3DVertexBuffer8*> Snow;
    IDirect3DVertexBuffer8* Hud = nullptr;
    IDirect3DVertexBuffer8* Title = nullptr;
    std::vector<IDirect3DTexture8*> Textures;
    std::vector<ScreenVertex> HudVertices;
    D3DLIGHT8 Light{};

    const char* Open(UINT width, UINT height)
    {
        Width = width;
        Height = height;
        // A window of the platform's own, as the game makes one; the class is registered once for
        // all benchmarks (a second registration of the name is refused).
        static const ATOM windowClass = []
        {
            WNDCLASSA c = {};
            c.lpfnWndProc = DefWindowProcA;
            c.lpszClassName = "device_frame";
            return RegisterClassA(&c);
        }();
        if (windowClass == 0)
            return "no window class";
        Window = CreateWindowExA(0, "device_frame", "device_frame", WS_OVERLAPPEDWINDOW, 0, 0, 640,
                                 480, nullptr, nullptr, nullptr, nullptr);
        if (!Window)
            return "no window";
        ShowWindow(Window, SW_SHOWNORMAL);
        D3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (!D3d)
            return "no Direct3D object";
        D3DPRESENT_PARAMETERS p;
        std::memset(&p, 0, sizeof p);
        p.BackBufferWidth = width;
        p.BackBufferHeight = height;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.BackBufferCount = 2;
        p.SwapEffect = D3DSWAPEFFECT_FLIP;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D24S8;
        if (D3d->CreateDevice(0, D3DDEVTYPE_HAL, Window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                              &Device) != 0)
            return "no device";

        std::vector<SceneVertex> floor;
        Quad(floor, {{-600, 500, 600}, {600, 500, 600}, {600, -500, 600}, {-600, -500, 600}}, 0, 0,
             -1);
        Floor = Upload(Device, floor, kSceneFvf);
        const std::vector<SceneVertex> brick = Brick(60, 20, 20);
        for (int i = 0; i < 100; ++i)
            Bricks.push_back(Upload(Device, brick, kSceneFvf));
        for (unsigned i = 0; i < 25; ++i)
            Snow.push_back(Upload(Device, SnowLayer(i + 1), kSceneFvf));
        HudVertices.assign(90, ScreenVertex{0, 0, 0, 1, 0, 0});
        Hud = Upload(Device, HudVertices, kScreenFvf);
        const float w = float(width), h = float(height), m = h * 0.16666667f;
        const float t = w * 0.06666667f;
        const std::vector<ScreenVertex> title = {
            {m, t, 0, 1, 0, 0}, {w - m, 3 * t, 0, 1, 1, 1}, {w - m, t, 0, 1, 1, 0},
            {m, t, 0, 1, 0, 0}, {m, 3 * t, 0, 1, 0, 1},     {w - m, 3 * t, 0, 1, 1, 1}};
        Title = Upload(Device, title, kScreenFvf);
        for (DWORD i = 0; i < 8; ++i)
            Textures.push_back(Texture(Device, i < 6 ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8, i + 1));

        // The game's fixed state.
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        Device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
        Device->SetRenderState(D3DRS_AMBIENT, 0xEEEEEEEE);
        Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        Device->SetRenderState(D3DRS_ALPHAREF, 1);
        Device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        Device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        Device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
        Device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTCOLOR);
        Light.Type = D3DLIGHT_POINT;
        Light.Diffuse = {1, 1, 1, 0};
        Light.Ambient = {1, 1, 1, 0};
        Light.Range = 80.0f;
        Light.Attenuation0 = 1.0f;
        Light.Attenuation1 = -0.068f;
        Light.Attenuation2 = 0.005f;
        Device->SetLight(0, &Light);
        Device->LightEnable(0, TRUE);
        D3DMATERIAL8 material;
        std::memset(&material, 0, sizeof material);
        material.Diffuse = {1, 1, 1, 0};
        material.Ambient = {1, 1, 1, 0};
        Device->SetMaterial(&material);
        Device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        Device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        Device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        return nullptr;
    }

    ~Scene()
    {
        auto release = [](auto*& object)
        {
            if (object)
                object->Release();
            object = nullptr;
        };
        for (auto* b : Bricks)
            release(b);
        for (auto* b : Snow)
            release(b);
        for (auto* t : Textures)
            release(t);
        release(Floor);
        release(Hud);
        release(Title);
        release(Device);
        release(D3d);
        if (Window)
            DestroyWindow(Window);
    }

    bool ClearAndPresent()
    {
        return Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF9B9BFF, 1.0f, 0) ==
                   0 &&
               Device->BeginScene() == 0 && Device->EndScene() == 0 &&
               Device->Present(nullptr, nullptr, nullptr, nullptr) == 0;
    }

    void DrawScene(IDirect3DVertexBuffer8* buffer, const D3DMATRIX& world, IDirect3DTexture8* t,
                   UINT triangles)
    {
        Device->SetTransform(D3DTS_WORLD, &world);
        Device->SetStreamSource(0, buffer, sizeof(SceneVertex));
        Device->SetTexture(0, t);
        Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    }

    // The render pass's calls in its order.
    bool Frame(int frame)
    {
        const D3DMATRIX view = MakeIdentity<D3DMATRIX>();
        const D3DMATRIX projection = Perspective();
        const D3DMATRIX identity = MakeIdentity<D3DMATRIX>();
        Device->SetTransform(D3DTS_VIEW, &view);
        Device->SetTransform(D3DTS_PROJECTION, &projection);
        Device->SetVertexShader(kSceneFvf);
        if (Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF9B9BFF, 1.0f, 0) ||
            Device->BeginScene())
            return false;
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        DrawScene(Floor, identity, Textures[0], 2);
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        Device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTCOLOR);
        for (int i = 0; i < 100; ++i)
        {
            const D3DMATRIX world = MakeTranslation<D3DMATRIX>(
                -300.0f + 66.0f * float(i % 10), -150.0f + 30.0f * float(i / 10), 400.0f);
            DrawScene(Bricks[i], world, Textures[1 + i % 5], 10);
        }
        Device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        Device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        Device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
        Device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
        Device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
        Device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        for (int i = 0; i < 25; ++i)
        {
            const D3DMATRIX world =
                MakeTranslation<D3DMATRIX>(0.0f, -float((frame * 3 + i * 37) % 200), 0.0f);
            DrawScene(Snow[i], world, Textures[6], 400);
        }
        Device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        Device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        Device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        Device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);

        // The title picture and the HUD: pre-transformed quads over the scene.
        Device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        Device->SetVertexShader(kScreenFvf);
        Device->SetTransform(D3DTS_WORLD, &identity);
        Device->SetStreamSource(0, Title, sizeof(ScreenVertex));
        Device->SetTexture(0, Textures[7]);
        Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        Device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        const float dw = float(Width) * 0.02f, dh = float(Height) * 0.025f;
        for (int q = 0; q < 15; ++q)
        {
            const float x0 = float(q) * dw, x1 = x0 + dw, y0 = 0.0f, y1 = dh;
            const ScreenVertex quad[6] = {{x0, y0, 0, 1, 0, 0}, {x1, y1, 0, 1, 1, 1},
                                          {x1, y0, 0, 1, 1, 0}, {x0, y0, 0, 1, 0, 0},
                                          {x0, y1, 0, 1, 0, 1}, {x1, y1, 0, 1, 1, 1}};
            std::memcpy(&HudVertices[size_t(q) * 6], quad, sizeof quad);
        }
        BYTE* data = nullptr;
        Hud->Lock(0, 2160, &data, 0);
        std::memcpy(data, HudVertices.data(), 2160);
        Hud->Unlock();
        Device->SetStreamSource(0, Hud, sizeof(ScreenVertex));
        Device->SetTexture(0, Textures[2]);
        Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 8);
        Device->DrawPrimitive(D3DPT_TRIANGLELIST, 24, 8);
        Device->SetTexture(0, Textures[3]);
        Device->DrawPrimitive(D3DPT_TRIANGLELIST, 48, 2);
        Device->SetTexture(0, Textures[4]);
        Device->DrawPrimitive(D3DPT_TRIANGLELIST, 54, 10);
        Device->SetVertexShader(kSceneFvf);
        if (Device->EndScene() || Device->Present(nullptr, nullptr, nullptr, nullptr))
            return false;
        Light.Position = {float(frame % 600) - 300.0f, 0.0f, 400.0f};
        return Device->SetLight(0, &Light) == 0;
    }
};

void Run(benchmark::State& state, bool game, bool paced)
{
    Scene scene;
    if (const char* problem = scene.Open(UINT(state.range(0)), UINT(state.range(1))))
    {
        state.SkipWithError(problem);
        return;
    }
    StandinSetPresentPacing(paced ? TRUE : FALSE);
    int frame = 0;
    for (auto _ : state)
        if (!(game ? scene.Frame(frame++) : scene.ClearAndPresent()))
        {
            state.SkipWithError("a device call failed");
            break;
        }
    StandinSetPresentPacing(TRUE);
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void ClearPresent(benchmark::State& state)
{
    Run(state, false, false);
}
void GameFrame(benchmark::State& state)
{
    Run(state, true, false);
}
void ClearPresentPaced(benchmark::State& state)
{
    Run(state, false, true);
}
void GameFramePaced(benchmark::State& state)
{
    Run(state, true, true);
}

BENCHMARK(ClearPresent)
    ->Args({640, 480})
    ->Args({1024, 768})
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2.0);
BENCHMARK(GameFrame)
    ->Args({640, 480})
    ->Args({1024, 768})
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2.0);
BENCHMARK(ClearPresentPaced)
    ->Args({640, 480})
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(120);
BENCHMARK(GameFramePaced)
    ->Args({640, 480})
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(120);

// The console report plus, at the end, each size's game-frame rate against its clear-only rate,
// by the clock and by the process's CPU time (llvmpipe's threads included), which other work
// on the machine disturbs less.
class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            auto fps = run.counters.find("fps");
            if (fps != run.counters.end() && !run.error_occurred)
            {
                Rates[run.benchmark_name()] = fps->second.value;
                CpuNs[run.benchmark_name()] = run.GetAdjustedCPUTime(); // ns, per frame
            }
        }
    }

    void PrintRatios()
    {
        for (const char* size : {"640/480", "1024/768"})
        {
            const std::string suffix =
                std::string("/") + size + "/min_time:2.000/process_time/real_time";
            const double clear = Rates["ClearPresent" + suffix];
            const double game = Rates["GameFrame" + suffix];
            const double clearCpu = CpuNs["ClearPresent" + suffix] / 1e6;
            const double gameCpu = CpuNs["GameFrame" + suffix] / 1e6;
            if (clear > 0 && game > 0)
                std::printf("%s: game frame %.1f fps, clear and present %.1f fps, ratio %.3f; "
                            "process CPU per frame %.2f ms against %.2f ms, ratio %.3f\n",
                            size, game, clear, game / clear, gameCpu, clearCpu, clearCpu / gameCpu);
        }
    }

    std::map<std::string, double> Rates;
    std::map<std::string, double> CpuNs;
};
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
