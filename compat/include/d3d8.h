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

#define MAKE_D3DHRESULT(code) ((HRESULT)(0x88760000u | (code)))
#define D3D_OK                      S_OK
#define D3DERR_WRONGTEXTUREFORMAT   MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_UNSUPPORTEDALPHAOPERATION MAKE_D3DHRESULT(2075)
#define D3DERR_TOOMANYOPERATIONS    MAKE_D3DHRESULT(2077)
#define D3DERR_CONFLICTINGTEXTUREFILTER MAKE_D3DHRESULT(2078)
#define D3DERR_UNSUPPORTEDFACTORVALUE MAKE_D3DHRESULT(2079)
#define D3DERR_CONFLICTINGRENDERSTATE MAKE_D3DHRESULT(2081)
#define D3DERR_UNSUPPORTEDTEXTUREFILTER MAKE_D3DHRESULT(2082)
#define D3DERR_DRIVERINTERNALERROR  MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND             MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA             MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST           MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET       MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE         MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY     MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE        MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL          MAKE_D3DHRESULT(2156)
#define D3DERR_DRIVERINVALIDCALL    MAKE_D3DHRESULT(2157)

// Creates the Direct3D object; null when sdkVersion is not 220 or no display is reachable.
IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion);

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
