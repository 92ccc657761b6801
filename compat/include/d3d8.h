// The Direct3D 8 subset both programs use: the Direct3D object (adapters, modes, capabilities,
// device creation), the device, vertex buffers and textures. The interfaces keep the platform's
// method names, argument orders and result codes; the stand-in in compat/d3d8 implements them
// over SDL2 and OpenGL 3.3. They are plain records whose state lives behind `impl`.
#pragma once

#include "d3d8types.h"
#include "d3d8caps.h"

struct RGNDATA;
struct IDirect3D8;
struct IDirect3DDevice8;
struct IDirect3DBaseTexture8;
struct IDirect3DTexture8;
struct IDirect3DVertexBuffer8;
typedef IDirect3D8* LPDIRECT3D8;
typedef IDirect3DDevice8* LPDIRECT3DDEVICE8;
typedef IDirect3DTexture8* LPDIRECT3DTEXTURE8;
typedef IDirect3DVertexBuffer8* LPDIRECT3DVERTEXBUFFER8;

#define MAKE_D3DHRESULT(code)            ((HRESULT)(0x88760000u | (code)))
#define D3D_OK                           S_OK
#define D3DERR_WRONGTEXTUREFORMAT        MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_UNSUPPORTEDALPHAOPERATION MAKE_D3DHRESULT(2075)
#define D3DERR_TOOMANYOPERATIONS         MAKE_D3DHRESULT(2077)
#define D3DERR_CONFLICTINGTEXTUREFILTER  MAKE_D3DHRESULT(2078)
#define D3DERR_UNSUPPORTEDFACTORVALUE    MAKE_D3DHRESULT(2079)
#define D3DERR_CONFLICTINGRENDERSTATE    MAKE_D3DHRESULT(2081)
#define D3DERR_UNSUPPORTEDTEXTUREFILTER  MAKE_D3DHRESULT(2082)
#define D3DERR_DRIVERINTERNALERROR       MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND                  MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA                  MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST                MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET            MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE              MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY          MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE             MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL               MAKE_D3DHRESULT(2156)
#define D3DERR_DRIVERINVALIDCALL         MAKE_D3DHRESULT(2157)

// Called by the game's device creation and the setup tool's enumeration: creates the Direct3D
// object; null when sdkVersion is not 220 or no display is reachable.
IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion);

// Called by the setup tool's enumeration and the game's device creation. Adapters are the
// displays; D3DERR_INVALIDCALL for an adapter that does not exist or a null out-pointer.
// EnumAdapterModes: the display's sizes and the classic sizes that fit on it, each in X8R8G8B8,
//   R5G6B5 and X1R5G5B5 (the back buffer is scaled onto the desktop); D3DERR_INVALIDCALL after
//   the last. GetAdapterModeCount: 0 for a bad adapter.
// GetDeviceCaps, Check*: answered from the GL driver; D3DERR_NOTAVAILABLE for a device type
//   other than HAL, a combination GL cannot make, or no GL at all; D3DERR_INVALIDCALL for a
//   value that is no format of the kind asked.
// CreateDevice: D3DERR_INVALIDCALL for a bad adapter, not exactly one vertex-processing flag, no
//   window, a full-screen mode that EnumAdapterModes does not list, or a depth format that is no
//   depth format; D3DERR_NOTAVAILABLE for REF/SW, multisampling, a window without OpenGL or a
//   format combination GL lacks; D3DERR_OUTOFVIDEOMEMORY when the back buffer cannot be
//   allocated. A full-screen device makes its window desktop-full-screen on the adapter.
struct IDirect3D8
{
    ULONG AddRef();
    ULONG Release();
    UINT GetAdapterCount();
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier);
    UINT GetAdapterModeCount(UINT adapter);
    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode);
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode);
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL windowed);
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                              DWORD usage, D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat);
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat);
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps);
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* presentationParameters,
                         IDirect3DDevice8** returnedDevice);

    struct Impl;
    Impl* impl;
};

// Called by the game's render pass, scene objects, overlay, device creation and reset.
// Drawing: DrawPrimitive(UP) fail with D3DERR_INVALIDCALL outside BeginScene/EndScene, without a
//   stream, past the buffer's end, with a stride below the vertex size or a vertex format the
//   stand-in cannot draw (SetVertexShader refuses those too); a zero count draws nothing.
// Set* calls: D3DERR_INVALIDCALL for a null pointer, a stage, state or transform out of range,
//   a light that is not a light (any attenuation is accepted) or a ninth enabled light. SetTexture
//   and SetStreamSource hold a reference to what they bind; Get* calls add one to what they return.
// Present: D3DERR_DEVICELOST while the device is lost, i.e. from the moment a full-screen
//   device's focus window loses focus or is minimised until Reset. TestCooperativeLevel: D3D_OK,
//   D3DERR_DEVICELOST while the window is away, D3DERR_DEVICENOTRESET once it is back.
// Reset: D3DERR_DEVICELOST while the window is away, D3DERR_INVALIDCALL for present parameters
//   CreateDevice would refuse or while default-pool resources live; on success every state is
//   back at its default and bindings are dropped; managed and system-memory resources survive.
// Create*: D3DERR_INVALIDCALL for a size, format, pool or usage the stand-in lacks,
//   D3DERR_OUTOFVIDEOMEMORY when GL runs out.
struct IDirect3DDevice8
{
    ULONG AddRef();
    ULONG Release();
    HRESULT TestCooperativeLevel();
    UINT GetAvailableTextureMem();
    HRESULT GetDirect3D(IDirect3D8** direct3D);
    HRESULT GetDeviceCaps(D3DCAPS8* caps);
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode);
    HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters);
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const RGNDATA* dirtyRegion);
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture);
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** vertexBuffer);
    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil);
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix);
    HRESULT SetViewport(const D3DVIEWPORT8* viewport);
    HRESULT GetViewport(D3DVIEWPORT8* viewport);
    HRESULT SetMaterial(const D3DMATERIAL8* material);
    HRESULT GetMaterial(D3DMATERIAL8* material);
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light);
    HRESULT GetLight(DWORD index, D3DLIGHT8* light);
    HRESULT LightEnable(DWORD index, BOOL enable);
    HRESULT GetLightEnable(DWORD index, BOOL* enable);
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture);
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture);
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value);
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount);
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                            const void* vertexStreamZeroData, UINT vertexStreamZeroStride);
    HRESULT SetVertexShader(DWORD handle);
    HRESULT GetVertexShader(DWORD* handle);
    HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData, UINT stride);
    HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData, UINT* stride);

    struct Impl;
    Impl* impl;
};

// Called by the utility library's texture loader and the game's texture set. LockRect gives the
// level's memory in the format's own texel layout with its real pitch and is refused
// (D3DERR_INVALIDCALL) for a bad level or rectangle or a level already locked; UnlockRect
// uploads the level (D3DERR_INVALIDCALL when it was not locked).
struct IDirect3DBaseTexture8
{
    ULONG AddRef();
    ULONG Release();
    DWORD GetLevelCount();

    struct Impl;
    Impl* impl;
};

struct IDirect3DTexture8 : IDirect3DBaseTexture8
{
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc);
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(UINT level);
};

// Called by the scene objects, the overlay and the utility library's meshes. Lock hands out the
// buffer's memory (a size of 0 means to the end; D3DERR_INVALIDCALL past the end) and Unlock
// uploads what was written (D3DERR_INVALIDCALL when not locked).
struct IDirect3DVertexBuffer8
{
    ULONG AddRef();
    ULONG Release();
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags);
    HRESULT Unlock();
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc);

    struct Impl;
    Impl* impl;
};
