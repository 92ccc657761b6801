// The device's state: render states, texture stage states, transforms, lights, the material,
// the viewport and the bound textures, each with Direct3D's documented default after creation
// and after Reset, and the Set/Get calls that keep and report them.
#include "d3d8_internal.h"

#include <cmath>
#include <cstring>

#include "common/math/matrix4.h"

using namespace d3d8;

namespace
{
// Render states the shared header does not name; values as the platform defines them.
enum : DWORD
{
    kRsFogStart = 36,
    kRsFogEnd = 37,
    kRsFogDensity = 38,
    kRsZBias = 47,
    kRsStencilFail = 53,
    kRsStencilZFail = 54,
    kRsStencilPass = 55,
    kRsStencilFunc = 56,
    kRsStencilRef = 57,
    kRsStencilMask = 58,
    kRsStencilWriteMask = 59,
    kRsFogVertexMode = 140,
    kRsVertexBlend = 151,
    kRsClipPlaneEnable = 152,
    kRsPointSize = 154,
    kRsPointSizeMin = 155,
    kRsPointSpriteEnable = 156,
    kRsPointScaleA = 158,
    kRsMultisampleAntialias = 161,
    kRsMultisampleMask = 162,
    kRsPatchSegments = 164,
    kRsPointSizeMax = 166,
    kRsTweenFactor = 170,
};
enum : DWORD
{
    kTssBumpEnvLScale = 22,
    kTssColorArg0 = 26,
    kTssAlphaArg0 = 27,
    kTssResultArg = 28,
};
constexpr DWORD kMaxLightIndex = 4096; // far beyond any use; keeps the slot table bounded

bool Finite(float v)
{
    return std::isfinite(v);
}

bool ValidLight(const D3DLIGHT8& light)
{
    if (light.Type != D3DLIGHT_POINT && light.Type != D3DLIGHT_SPOT &&
        light.Type != D3DLIGHT_DIRECTIONAL)
        return false;
    const float* values = &light.Diffuse.r;
    const size_t count = (sizeof light - offsetof(D3DLIGHT8, Diffuse)) / sizeof(float);
    for (size_t i = 0; i < count; ++i)
        if (!Finite(values[i]))
            return false;
    if (light.Type != D3DLIGHT_DIRECTIONAL && light.Range < 0.0f)
        return false;
    if (light.Type != D3DLIGHT_POINT && light.Direction.x == 0.0f && light.Direction.y == 0.0f &&
        light.Direction.z == 0.0f)
        return false;
    if (light.Type == D3DLIGHT_SPOT &&
        (light.Theta < 0.0f || light.Phi < light.Theta || light.Phi > 3.14159275f))
        return false;
    // The attenuation terms are taken as given, negative ones included: the game's light has a
    // negative linear term and relies on SetLight succeeding.
    return true;
}

// What LightEnable switches on at an index no light was set at: a white directional light
// shining along +z.
D3DLIGHT8 DefaultLight()
{
    D3DLIGHT8 light;
    std::memset(&light, 0, sizeof light);
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
}

// The render states whose features are not drawn: setting one to anything but zero says so,
// once per run.
struct UnemulatedState
{
    DWORD State;
    const char* Key;
    const char* Text;
};
const UnemulatedState kUnemulatedStates[] = {
    {D3DRS_FOGENABLE, "rs-fog", "fog is not emulated; D3DRS_FOGENABLE has no effect"},
    {D3DRS_STENCILENABLE, "rs-stencil", "the stencil test is not emulated"},
    {kRsVertexBlend, "rs-vertexblend", "vertex blending is not emulated"},
    {kRsClipPlaneEnable, "rs-clipplane", "user clip planes are not emulated"},
    {kRsPointSpriteEnable, "rs-pointsprite", "point sprites are not emulated"},
    {kRsZBias, "rs-zbias", "D3DRS_ZBIAS is not emulated"},
};

void LogUnemulatedRenderState(DWORD state, DWORD value)
{
    if (state == D3DRS_SHADEMODE && value == D3DSHADE_PHONG)
        LogOnce("rs-phong", "d3d8", "phong shading is drawn as gouraud");
    for (const UnemulatedState& unemulated : kUnemulatedStates)
        if (unemulated.State == state && value)
            LogOnce(unemulated.Key, "d3d8", "%s", unemulated.Text);
}
} // namespace

namespace d3d8
{
void ReleaseBindings(IDirect3DDevice8::Impl* device)
{
    for (IDirect3DBaseTexture8*& texture : device->Textures)
    {
        if (texture)
            texture->Release();
        texture = nullptr;
    }
    if (device->Stream)
        device->Stream->Release();
    device->Stream = nullptr;
    device->StreamStride = 0;
}

void ResetDeviceState(IDirect3DDevice8::Impl* device)
{
    DWORD* rs = device->RenderStates;
    std::memset(rs, 0, sizeof device->RenderStates);
    rs[D3DRS_ZENABLE] = device->Params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_ALPHATESTENABLE] = FALSE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAREF] = 0;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_DITHERENABLE] = FALSE;
    rs[D3DRS_ALPHABLENDENABLE] = FALSE;
    rs[D3DRS_FOGENABLE] = FALSE;
    rs[D3DRS_SPECULARENABLE] = FALSE;
    rs[D3DRS_FOGCOLOR] = 0;
    rs[D3DRS_FOGTABLEMODE] = 0;
    rs[kRsFogStart] = FloatBits(0.0f);
    rs[kRsFogEnd] = FloatBits(1.0f);
    rs[kRsFogDensity] = FloatBits(1.0f);
    rs[D3DRS_STENCILENABLE] = FALSE;
    rs[kRsStencilFail] = D3DSTENCILOP_KEEP;
    rs[kRsStencilZFail] = D3DSTENCILOP_KEEP;
    rs[kRsStencilPass] = D3DSTENCILOP_KEEP;
    rs[kRsStencilFunc] = D3DCMP_ALWAYS;
    rs[kRsStencilRef] = 0;
    rs[kRsStencilMask] = 0xffffffff;
    rs[kRsStencilWriteMask] = 0xffffffff;
    rs[D3DRS_TEXTUREFACTOR] = 0xffffffff;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_AMBIENT] = 0;
    rs[kRsFogVertexMode] = 0;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_NORMALIZENORMALS] = FALSE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_SOFTWAREVERTEXPROCESSING] =
        (device->Behavior & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? TRUE : FALSE;
    rs[kRsPointSize] = FloatBits(1.0f);
    rs[kRsPointSizeMin] = FloatBits(0.0f);
    rs[kRsPointScaleA] = FloatBits(1.0f);
    rs[kRsMultisampleAntialias] = TRUE;
    rs[kRsMultisampleMask] = 0xffffffff;
    rs[kRsPatchSegments] = FloatBits(1.0f);
    rs[kRsPointSizeMax] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN |
                                 D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA;
    rs[kRsTweenFactor] = FloatBits(0.0f);
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;

    for (DWORD stage = 0; stage < kStageCount; ++stage)
    {
        DWORD* ts = device->StageStates[stage];
        std::memset(ts, 0, sizeof device->StageStates[stage]);
        ts[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = stage;
        ts[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        ts[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        ts[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        ts[D3DTSS_BORDERCOLOR] = 0;
        ts[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        ts[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        ts[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        ts[D3DTSS_MIPMAPLODBIAS] = FloatBits(0.0f);
        ts[D3DTSS_MAXMIPLEVEL] = 0;
        ts[D3DTSS_MAXANISOTROPY] = 1;
        ts[kTssBumpEnvLScale] = FloatBits(0.0f);
        ts[D3DTSS_TEXTURETRANSFORMFLAGS] = 0;
        ts[kTssColorArg0] = D3DTA_CURRENT;
        ts[kTssAlphaArg0] = D3DTA_CURRENT;
        ts[kTssResultArg] = D3DTA_CURRENT;
    }

    const D3DMATRIX identity = MakeIdentity<D3DMATRIX>();
    for (D3DMATRIX& m : device->World)
        m = identity;
    device->View = identity;
    device->Projection = identity;
    for (D3DMATRIX& m : device->TextureTransform)
        m = identity;
    device->Lights.clear();
    std::memset(&device->Material, 0, sizeof device->Material);
    device->Viewport = {0,    0,   device->Params.BackBufferWidth, device->Params.BackBufferHeight,
                        0.0f, 1.0f};
    ReleaseBindings(device);
    device->VertexShader = 0;
    device->InScene = false;
    device->Dirty = DirtyAll;
    // Reset rebuilt the back buffer behind the shadow's back; it starts over from nothing.
    ForgetGlState(&device->Shared->Gl);
}
} // namespace d3d8

HRESULT IDirect3DDevice8::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    HRESULT result = D3D_OK;
    if (static_cast<DWORD>(state) >= kRenderStateCount)
        result = D3DERR_INVALIDCALL;
    else
    {
        LogUnemulatedRenderState(state, value);
        impl->RenderStates[state] = value;
        impl->Dirty |= DirtyRender;
    }
    TraceCall(impl, "SetRenderState", state, value, 0, 0, nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (!value || static_cast<DWORD>(state) >= kRenderStateCount)
        return D3DERR_INVALIDCALL;
    *value = impl->RenderStates[state];
    return D3D_OK;
}

HRESULT IDirect3DDevice8::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                               DWORD value)
{
    HRESULT result = D3D_OK;
    if (stage >= kStageCount || static_cast<DWORD>(type) >= kStageStateCount)
        result = D3DERR_INVALIDCALL;
    else
    {
        if (stage > 0 && type == D3DTSS_COLOROP && value != D3DTOP_DISABLE)
            LogOnce("stage-n", "d3d8", "only texture stage 0 is emulated; stage %u is ignored",
                    stage);
        if (type == D3DTSS_TEXTURETRANSFORMFLAGS && value != 0)
            LogOnce("tss-transform", "d3d8", "texture coordinate transforms are not emulated");
        if (type == D3DTSS_TEXCOORDINDEX && (value & 0xffff0000))
            LogOnce("tss-texgen", "d3d8", "generated texture coordinates are not emulated");
        impl->StageStates[stage][type] = value;
        if (stage == 0)
            impl->Dirty |= DirtyStage;
    }
    TraceCall(impl, "SetTextureStageState", stage, type, value, 0, nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                               DWORD* value)
{
    if (!value || stage >= kStageCount || static_cast<DWORD>(type) >= kStageStateCount)
        return D3DERR_INVALIDCALL;
    *value = impl->StageStates[stage][type];
    return D3D_OK;
}

namespace
{
D3DMATRIX* TransformSlot(IDirect3DDevice8::Impl* device, D3DTRANSFORMSTATETYPE state)
{
    const DWORD index = static_cast<DWORD>(state);
    if (index == D3DTS_VIEW)
        return &device->View;
    if (index == D3DTS_PROJECTION)
        return &device->Projection;
    if (index >= D3DTS_TEXTURE0 && index < D3DTS_TEXTURE0 + kStageCount)
        return &device->TextureTransform[index - D3DTS_TEXTURE0];
    if (index >= 256 && index < 256 + kWorldMatrixCount)
        return &device->World[index - 256];
    return nullptr;
}
} // namespace

HRESULT IDirect3DDevice8::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    D3DMATRIX* slot = TransformSlot(impl, state);
    HRESULT result = D3D_OK;
    if (!slot || !matrix)
        result = D3DERR_INVALIDCALL;
    else
    {
        *slot = *matrix;
        // Lights are lit in view space, so only a new view moves them.
        impl->Dirty |= DirtyTransform | (state == D3DTS_VIEW ? DirtyLights : 0u);
    }
    // The trace keeps the translation row, which tells where an object was drawn.
    TraceCall(impl, "SetTransform", state, matrix ? FloatBits(matrix->_41) : 0,
              matrix ? FloatBits(matrix->_42) : 0, matrix ? FloatBits(matrix->_43) : 0, nullptr,
              result);
    return result;
}

HRESULT IDirect3DDevice8::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    D3DMATRIX* slot = TransformSlot(impl, state);
    if (!slot || !matrix)
        return D3DERR_INVALIDCALL;
    *matrix = *slot;
    return D3D_OK;
}

HRESULT IDirect3DDevice8::SetViewport(const D3DVIEWPORT8* viewport)
{
    HRESULT result = D3D_OK;
    if (!viewport || viewport->Width == 0 || viewport->Height == 0 ||
        viewport->X + viewport->Width > impl->Params.BackBufferWidth ||
        viewport->Y + viewport->Height > impl->Params.BackBufferHeight ||
        !(viewport->MinZ >= 0.0f && viewport->MinZ <= viewport->MaxZ && viewport->MaxZ <= 1.0f))
        result = D3DERR_INVALIDCALL;
    else
    {
        impl->Viewport = *viewport;
        impl->Dirty |= DirtyViewport;
    }
    TraceCall(impl, "SetViewport", viewport ? viewport->X : 0, viewport ? viewport->Y : 0,
              viewport ? viewport->Width : 0, viewport ? viewport->Height : 0, nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::GetViewport(D3DVIEWPORT8* viewport)
{
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = impl->Viewport;
    return D3D_OK;
}

HRESULT IDirect3DDevice8::SetMaterial(const D3DMATERIAL8* material)
{
    HRESULT result = D3D_OK;
    if (!material)
        result = D3DERR_INVALIDCALL;
    else
    {
        impl->Material = *material;
        impl->Dirty |= DirtyMaterial;
    }
    TraceCall(impl, "SetMaterial", material ? FloatBits(material->Diffuse.r) : 0,
              material ? FloatBits(material->Diffuse.g) : 0,
              material ? FloatBits(material->Diffuse.b) : 0,
              material ? FloatBits(material->Diffuse.a) : 0, nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::GetMaterial(D3DMATERIAL8* material)
{
    if (!material)
        return D3DERR_INVALIDCALL;
    *material = impl->Material;
    return D3D_OK;
}

HRESULT IDirect3DDevice8::SetLight(DWORD index, const D3DLIGHT8* light)
{
    HRESULT result = D3D_OK;
    if (!light || index >= kMaxLightIndex || !ValidLight(*light))
        result = D3DERR_INVALIDCALL;
    else
    {
        if (impl->Lights.size() <= index)
            impl->Lights.resize(index + 1);
        impl->Lights[index].Set = true;
        impl->Lights[index].Light = *light;
        impl->Dirty |= DirtyLights;
    }
    // The trace keeps the position, which tells where a moving light went.
    TraceCall(impl, "SetLight", index, light ? FloatBits(light->Position.x) : 0,
              light ? FloatBits(light->Position.y) : 0, light ? FloatBits(light->Position.z) : 0,
              nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::GetLight(DWORD index, D3DLIGHT8* light)
{
    if (!light || index >= impl->Lights.size() || !impl->Lights[index].Set)
        return D3DERR_INVALIDCALL;
    *light = impl->Lights[index].Light;
    return D3D_OK;
}

HRESULT IDirect3DDevice8::LightEnable(DWORD index, BOOL enable)
{
    HRESULT result = D3D_OK;
    if (index >= kMaxLightIndex)
        result = D3DERR_INVALIDCALL;
    else
    {
        if (impl->Lights.size() <= index)
            impl->Lights.resize(index + 1);
        LightSlot& slot = impl->Lights[index];
        if (!slot.Set)
        {
            slot.Set = true;
            slot.Light = DefaultLight();
        }
        if (enable && !slot.Enabled)
        {
            DWORD active = 0;
            for (const LightSlot& other : impl->Lights)
                active += other.Enabled ? 1 : 0;
            if (active >= kMaxActiveLights)
            {
                Log("d3d8", "LightEnable: %u lights are already on (the most the device lights)",
                    active);
                result = D3DERR_INVALIDCALL;
            }
        }
        if (result == D3D_OK)
        {
            slot.Enabled = enable != FALSE;
            impl->Dirty |= DirtyLights;
        }
    }
    TraceCall(impl, "LightEnable", index, static_cast<DWORD>(enable), 0, 0, nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::GetLightEnable(DWORD index, BOOL* enable)
{
    if (!enable || index >= impl->Lights.size() || !impl->Lights[index].Set)
        return D3DERR_INVALIDCALL;
    *enable = impl->Lights[index].Enabled ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT IDirect3DDevice8::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture)
{
    HRESULT result = D3D_OK;
    if (stage >= kStageCount || (texture && texture->impl->Shared != impl->Shared))
        result = D3DERR_INVALIDCALL;
    else if (impl->Textures[stage] != texture)
    {
        if (texture)
            texture->AddRef();
        if (impl->Textures[stage])
            impl->Textures[stage]->Release();
        impl->Textures[stage] = texture;
        if (stage == 0)
            impl->Dirty |= DirtyTexture;
    }
    TraceCall(impl, "SetTexture", stage, 0, 0, 0, texture, result);
    return result;
}

HRESULT IDirect3DDevice8::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture)
{
    if (!texture || stage >= kStageCount)
        return D3DERR_INVALIDCALL;
    *texture = impl->Textures[stage];
    if (*texture)
        (*texture)->AddRef();
    return D3D_OK;
}
