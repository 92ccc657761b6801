// The Direct3D object: adapters are the window system's displays; modes, identifier and format
// questions are answered from the window system and from the cached GL probe (what the device can
// really create).
#include "d3d8_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

using namespace d3d8;

namespace
{
// Copies as much of `text` as fits, always terminated.
void CopyText(char* target, size_t size, const std::string& text)
{
    const size_t length = text.copy(target, size - 1);
    target[length] = '\0';
}

bool ValidAdapter(IDirect3D8* d3d, UINT adapter)
{
    (void)d3d;
    const int count = DisplayCount();
    return count > 0 && adapter < static_cast<UINT>(count);
}

int FormatRank(D3DFORMAT format)
{
    switch (format)
    {
    case D3DFMT_X8R8G8B8:
        return 0;
    case D3DFMT_R5G6B5:
        return 1;
    default:
        return 2;
    }
}

bool ModeLess(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b)
{
    if (a.Width != b.Width)
        return a.Width < b.Width;
    if (a.Height != b.Height)
        return a.Height < b.Height;
    if (a.Format != b.Format)
        return FormatRank(a.Format) < FormatRank(b.Format);
    return a.RefreshRate < b.RefreshRate;
}

bool ModeEqual(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b)
{
    return a.Width == b.Width && a.Height == b.Height && a.Format == b.Format &&
           a.RefreshRate == b.RefreshRate;
}

// The modes of one display. The back buffer is an off-screen surface scaled onto the desktop,
// so every display size is offered in the desktop's 32-bit format and in one 16-bit format
// (R5G6B5; a second one would show the setup tool's player two identical "16 bit" lines), and
// so are the classic game sizes that fit on the desktop: many displays (and X servers such as
// Xvfb) report only their current size, and the game should still run in 640 x 480.
std::vector<D3DDISPLAYMODE> BuildModes(int display)
{
    struct Size
    {
        int Width;
        int Height;
        int Refresh;
    };
    std::vector<Size> sizes;
    for (const D3DDISPLAYMODE& mode : ListedModes(display))
        sizes.push_back({int(mode.Width), int(mode.Height), int(mode.RefreshRate)});
    D3DDISPLAYMODE desktopMode;
    if (DesktopMode(display, &desktopMode))
    {
        const struct
        {
            int w, h, refresh_rate;
        } desktop = {int(desktopMode.Width), int(desktopMode.Height), int(desktopMode.RefreshRate)};
        sizes.push_back({desktop.w, desktop.h, desktop.refresh_rate});
        static const int kClassic[][2] = {{640, 480},   {800, 600},   {1024, 768},
                                          {1152, 864},  {1280, 720},  {1280, 960},
                                          {1280, 1024}, {1600, 1200}, {1920, 1080}};
        for (const auto& size : kClassic)
            if (size[0] <= desktop.w && size[1] <= desktop.h)
                sizes.push_back({size[0], size[1], desktop.refresh_rate});
    }
    std::vector<D3DDISPLAYMODE> modes;
    for (const Size& size : sizes)
    {
        if (size.Width <= 0 || size.Height <= 0)
            continue;
        for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5})
            modes.push_back({static_cast<UINT>(size.Width), static_cast<UINT>(size.Height),
                             static_cast<UINT>(std::max(size.Refresh, 0)), format});
    }
    std::sort(modes.begin(), modes.end(), ModeLess);
    modes.erase(std::unique(modes.begin(), modes.end(), ModeEqual), modes.end());
    return modes;
}

// A small stable identifier of the adapter: a hash of its name and the GL renderer.
GUID AdapterGuid(const char* description)
{
    uint64_t hash = 1469598103934665603ull;
    for (const char* p = description; *p; ++p)
        hash = (hash ^ static_cast<unsigned char>(*p)) * 1099511628211ull;
    GUID guid{};
    guid.Data1 = static_cast<DWORD>(hash >> 32);
    guid.Data2 = static_cast<WORD>(hash >> 16);
    guid.Data3 = static_cast<WORD>(hash);
    for (int i = 0; i < 8; ++i)
        guid.Data4[i] = static_cast<BYTE>(hash >> (i * 8));
    return guid;
}
} // namespace

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION)
    {
        Log("d3d8", "Direct3DCreate8: SDK version %u is not %u", sdkVersion, D3D_SDK_VERSION);
        return nullptr;
    }
    if (!StartVideo())
        return nullptr;
    if (DisplayCount() < 1)
    {
        Log("d3d8", "Direct3DCreate8: no display");
        StopVideo();
        return nullptr;
    }
    IDirect3D8* d3d = new IDirect3D8;
    d3d->impl = new IDirect3D8::Impl;
    d3d->impl->VideoInitialised = true;
    return d3d;
}

namespace d3d8
{
HRESULT DeviceTypeResult(D3DDEVTYPE type)
{
    if (type == D3DDEVTYPE_HAL)
        return D3D_OK;
    if (type == D3DDEVTYPE_REF || type == D3DDEVTYPE_SW)
        return D3DERR_NOTAVAILABLE;
    return D3DERR_INVALIDCALL;
}

const std::vector<D3DDISPLAYMODE>& AdapterModes(IDirect3D8* d3d, UINT adapter)
{
    IDirect3D8::Impl* impl = d3d->impl;
    if (impl->Modes.size() <= adapter)
    {
        impl->Modes.resize(adapter + 1);
        impl->ModesBuilt.resize(adapter + 1, false);
    }
    if (!impl->ModesBuilt[adapter])
    {
        impl->Modes[adapter] = BuildModes(static_cast<int>(adapter));
        impl->ModesBuilt[adapter] = true;
    }
    return impl->Modes[adapter];
}

HRESULT ValidatePresentParameters(IDirect3D8* d3d, UINT adapter, StandinNativeWindow* window,
                                  D3DPRESENT_PARAMETERS* params)
{
    if (!params)
        return D3DERR_INVALIDCALL;
    if (params->BackBufferCount > 3)
    {
        Log("d3d8", "present parameters: %u back buffers (3 at most)", params->BackBufferCount);
        return D3DERR_INVALIDCALL;
    }
    if (params->BackBufferCount == 0)
        params->BackBufferCount = 1;
    if (params->SwapEffect < D3DSWAPEFFECT_DISCARD || params->SwapEffect > D3DSWAPEFFECT_COPY_VSYNC)
        return D3DERR_INVALIDCALL;
    if (params->MultiSampleType != D3DMULTISAMPLE_NONE)
    {
        Log("d3d8", "present parameters: multisampling is not available");
        return D3DERR_NOTAVAILABLE;
    }
    if (params->Windowed)
    {
        if (params->FullScreen_RefreshRateInHz != 0)
            return D3DERR_INVALIDCALL;
        if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0)
        {
            int width = 0;
            int height = 0;
            WindowSize(window, &width, &height);
            if (params->BackBufferWidth == 0)
                params->BackBufferWidth = static_cast<UINT>(std::max(width, 1));
            if (params->BackBufferHeight == 0)
                params->BackBufferHeight = static_cast<UINT>(std::max(height, 1));
        }
        if (params->BackBufferFormat == D3DFMT_UNKNOWN)
        {
            D3DDISPLAYMODE desktop;
            params->BackBufferFormat =
                DesktopMode(static_cast<int>(adapter), &desktop) ? desktop.Format : D3DFMT_X8R8G8B8;
        }
    }
    else
    {
        // A rate is refused only where the display names its rates and this is not one of them.
        // A display that reports none (Xvfb, some virtual outputs) lists its modes at 0 Hz: a
        // rate saved on another display cannot be told to be missing there, and refusing it
        // would end the game at its first device reset over a mode the display still has.
        bool found = false;
        for (const D3DDISPLAYMODE& mode : AdapterModes(d3d, adapter))
            found = found || (mode.Width == params->BackBufferWidth &&
                              mode.Height == params->BackBufferHeight &&
                              mode.Format == params->BackBufferFormat &&
                              (params->FullScreen_RefreshRateInHz == 0 || mode.RefreshRate == 0 ||
                               params->FullScreen_RefreshRateInHz == mode.RefreshRate));
        if (!found)
        {
            Log("d3d8", "present parameters: %u x %u %d at %u Hz is not a mode of adapter %u",
                params->BackBufferWidth, params->BackBufferHeight, params->BackBufferFormat,
                params->FullScreen_RefreshRateInHz, adapter);
            return D3DERR_INVALIDCALL;
        }
    }
    const int color = ColorFormatIndex(params->BackBufferFormat);
    if (color < 0)
        return D3DERR_INVALIDCALL;
    const GlProbe* probe = Probe();
    if (!probe)
        return D3DERR_NOTAVAILABLE;
    if (!probe->ColorRenderable[color])
    {
        Log("d3d8", "present parameters: the GL driver cannot render to %s",
            FindColorFormat(params->BackBufferFormat)->Name);
        return D3DERR_NOTAVAILABLE;
    }
    if (params->BackBufferWidth > static_cast<UINT>(probe->MaxRenderbufferSize) ||
        params->BackBufferHeight > static_cast<UINT>(probe->MaxRenderbufferSize))
    {
        Log("d3d8", "present parameters: a %u x %u back buffer exceeds the GL limit of %d",
            params->BackBufferWidth, params->BackBufferHeight, probe->MaxRenderbufferSize);
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    if (params->EnableAutoDepthStencil)
    {
        const int depth = DepthFormatIndex(params->AutoDepthStencilFormat);
        if (depth < 0)
            return D3DERR_INVALIDCALL;
        if (!probe->DepthWithColor[color][depth])
        {
            Log("d3d8", "present parameters: no GL depth buffer matches %s",
                FindDepthFormat(params->AutoDepthStencilFormat)->Name);
            return D3DERR_NOTAVAILABLE;
        }
    }
    return D3D_OK;
}
} // namespace d3d8

ULONG IDirect3D8::AddRef()
{
    return ++impl->References;
}

ULONG IDirect3D8::Release()
{
    const ULONG left = --impl->References;
    if (left == 0)
    {
        if (impl->VideoInitialised)
            StopVideo();
        delete impl;
        delete this;
    }
    return left;
}

UINT IDirect3D8::GetAdapterCount()
{
    const int count = DisplayCount();
    return count > 0 ? static_cast<UINT>(count) : 0;
}

HRESULT IDirect3D8::GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* id)
{
    (void)flags; // the certification level is always reported as 0 (not certified)
    if (!id || !ValidAdapter(this, adapter))
        return D3DERR_INVALIDCALL;
    std::memset(id, 0, sizeof *id);
    const char* display = DisplayName(static_cast<int>(adapter));
    if (!display)
        display = "Display";
    const GlProbe* probe = Probe();
    const char* video = VideoDriverName();
    const std::string videoName = video ? video : "video";
    if (probe)
    {
        CopyText(id->Description, sizeof id->Description,
                 std::string(display) + " (" + probe->Renderer + ")");
        CopyText(id->Driver, sizeof id->Driver,
                 videoName + " " + probe->Vendor + " OpenGL " + probe->Version);
        id->DriverVersion.QuadPart = (static_cast<int64_t>(probe->VersionMajor) << 48) |
                                     (static_cast<int64_t>(probe->VersionMinor) << 32);
    }
    else
    {
        CopyText(id->Description, sizeof id->Description, std::string(display) + " (no OpenGL)");
        CopyText(id->Driver, sizeof id->Driver, videoName);
    }
    id->DeviceIdentifier = AdapterGuid(id->Description);
    id->WHQLLevel = 0;
    return D3D_OK;
}

UINT IDirect3D8::GetAdapterModeCount(UINT adapter)
{
    if (!ValidAdapter(this, adapter))
        return 0;
    return static_cast<UINT>(AdapterModes(this, adapter).size());
}

HRESULT IDirect3D8::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode)
{
    if (!displayMode || !ValidAdapter(this, adapter))
        return D3DERR_INVALIDCALL;
    const std::vector<D3DDISPLAYMODE>& modes = AdapterModes(this, adapter);
    if (mode >= modes.size())
        return D3DERR_INVALIDCALL;
    *displayMode = modes[mode];
    return D3D_OK;
}

HRESULT IDirect3D8::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode)
{
    if (!displayMode || !ValidAdapter(this, adapter))
        return D3DERR_INVALIDCALL;
    if (!DesktopMode(static_cast<int>(adapter), displayMode))
    {
        Log("d3d8", "GetAdapterDisplayMode: %s", WindowSystemError());
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT IDirect3D8::CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed)
{
    (void)windowed; // the back buffer is scaled onto the desktop either way
    if (!ValidAdapter(this, adapter))
        return D3DERR_INVALIDCALL;
    const HRESULT type = DeviceTypeResult(checkType);
    if (type != D3D_OK)
        return type;
    const int display = ColorFormatIndex(displayFormat);
    const int back = ColorFormatIndex(backBufferFormat);
    if (display < 0 || back < 0)
        return D3DERR_INVALIDCALL;
    const GlProbe* probe = Probe();
    if (!probe || !probe->ColorRenderable[back])
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT IDirect3D8::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                      DWORD usage, D3DRESOURCETYPE resourceType,
                                      D3DFORMAT checkFormat)
{
    if (!ValidAdapter(this, adapter))
        return D3DERR_INVALIDCALL;
    const HRESULT type = DeviceTypeResult(deviceType);
    if (type != D3D_OK)
        return type;
    if (ColorFormatIndex(adapterFormat) < 0)
        return D3DERR_INVALIDCALL;
    const GlProbe* probe = Probe();
    if (!probe)
        return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
    {
        // Depth buffers exist only as the device's automatic depth surface.
        const int depth = DepthFormatIndex(checkFormat);
        return resourceType == D3DRTYPE_SURFACE && depth >= 0 && probe->DepthRenderable[depth]
                   ? D3D_OK
                   : D3DERR_NOTAVAILABLE;
    }
    if (usage & D3DUSAGE_RENDERTARGET)
    {
        const int color = ColorFormatIndex(checkFormat);
        return resourceType == D3DRTYPE_SURFACE && color >= 0 && probe->ColorRenderable[color]
                   ? D3D_OK
                   : D3DERR_NOTAVAILABLE;
    }
    if (resourceType == D3DRTYPE_TEXTURE || resourceType == D3DRTYPE_SURFACE)
        return ColorFormatIndex(checkFormat) >= 0 ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (resourceType == D3DRTYPE_VERTEXBUFFER)
        return checkFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    return D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3D8::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                           D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                           D3DFORMAT depthStencilFormat)
{
    if (!ValidAdapter(this, adapter))
        return D3DERR_INVALIDCALL;
    const HRESULT type = DeviceTypeResult(deviceType);
    if (type != D3D_OK)
        return type;
    const int color = ColorFormatIndex(renderTargetFormat);
    const int depth = DepthFormatIndex(depthStencilFormat);
    if (ColorFormatIndex(adapterFormat) < 0 || color < 0 || depth < 0)
        return D3DERR_INVALIDCALL;
    const GlProbe* probe = Probe();
    return probe && probe->DepthWithColor[color][depth] ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3D8::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps)
{
    if (!caps || !ValidAdapter(this, adapter))
        return D3DERR_INVALIDCALL;
    const HRESULT type = DeviceTypeResult(deviceType);
    if (type != D3D_OK)
        return type;
    const GlProbe* probe = Probe();
    if (!probe)
        return D3DERR_NOTAVAILABLE;
    FillCaps(*probe, adapter, caps);
    return D3D_OK;
}
