// Carrying the device's state over into GL before a draw: the switches of the program the draw
// needs, fixed-function GL state, and the program's uniforms (transforms, viewport, lights,
// material, texture stage 0). Only what changed since the last draw is sent again.
#include "d3d8_internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/math/matrix4.h"

namespace d3d8
{
namespace
{
// The inverse of the upper 3 x 3 of `m`, row-major; the identity when it is singular.
void Inverse3(const D3DMATRIX& m, float out[9])
{
    const float a = m._11, b = m._12, c = m._13;
    const float d = m._21, e = m._22, f = m._23;
    const float g = m._31, h = m._32, i = m._33;
    const float c00 = e * i - f * h, c01 = c * h - b * i, c02 = b * f - c * e;
    const float det = a * c00 + b * (f * g - d * i) + c * (d * h - e * g);
    if (std::fabs(det) < 1e-30f)
    {
        const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        std::memcpy(out, identity, sizeof identity);
        return;
    }
    const float k = 1.0f / det;
    out[0] = c00 * k;
    out[1] = c01 * k;
    out[2] = c02 * k;
    out[3] = (f * g - d * i) * k;
    out[4] = (a * i - c * g) * k;
    out[5] = (c * d - a * f) * k;
    out[6] = (d * h - e * g) * k;
    out[7] = (b * g - a * h) * k;
    out[8] = (a * e - b * d) * k;
}

// Whether W-buffering can run: it needs the depth buffer and a perspective projection, whose
// near and far w it takes.
bool WRange(const IDirect3DDevice8::Impl* device, float* nearW, float* farW)
{
    const D3DMATRIX& p = device->Projection;
    if (p._34 == 0.0f || p._33 == 0.0f || p._33 == p._34)
        return false;
    // A Direct3D perspective matrix maps z to (z * _33 + _43) with w = z * _34.
    const float zn = -p._43 / p._33;
    const float zf = p._43 / (p._34 - p._33);
    if (!(zf > zn) || !std::isfinite(zn) || !std::isfinite(zf))
        return false;
    *nearW = zn * p._34;
    *farW = zf * p._34;
    return true;
}

// Stage 0's operation as the shader knows it; an operation it has no code for is modulated.
DWORD ShaderOp(DWORD op)
{
    if (op >= D3DTOP_DISABLE && op <= D3DTOP_BLENDCURRENTALPHA)
        return op;
    LogOnce("stage-op", "d3d8", "texture operation %u is not emulated; MODULATE is used", op);
    return D3DTOP_MODULATE;
}

// A stage argument: the register and its complement and alpha-replicate modifiers.
DWORD ShaderArgument(DWORD argument)
{
    return argument & (D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE);
}

// Where lit geometry takes one material colour from: a vertex colour where the state asks for
// one the vertex has, the material otherwise.
DWORD MaterialSource(const IDirect3DDevice8::Impl* device, const VertexLayout& layout,
                     D3DRENDERSTATETYPE state)
{
    const DWORD* rs = device->RenderStates;
    if (!rs[D3DRS_COLORVERTEX])
        return D3DMCS_MATERIAL;
    if (rs[state] == D3DMCS_COLOR1 && layout.DiffuseOffset >= 0)
        return D3DMCS_COLOR1;
    if (rs[state] == D3DMCS_COLOR2 && layout.SpecularOffset >= 0)
        return D3DMCS_COLOR2;
    return D3DMCS_MATERIAL;
}

// The switches the next draw needs, from the device's state and the vertex format.
ProgramKey KeyFor(const IDirect3DDevice8::Impl* device, const VertexLayout& layout, float* nearW,
                  float* farW)
{
    const DWORD* rs = device->RenderStates;
    const DWORD* ts = device->StageStates[0];
    ProgramKey key = {};
    key.Flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    if (rs[D3DRS_ZENABLE] == D3DZB_USEW && device->DepthBuffer)
    {
        if (WRange(device, nearW, farW))
            key.WBuffer = true;
        else
            LogOnce("wbuffer-ortho", "d3d8",
                    "W-buffering needs a perspective projection; the Z buffer "
                    "is used instead");
    }
    key.Pretransformed = layout.Pretransformed;
    key.Lighting = !layout.Pretransformed && rs[D3DRS_LIGHTING];
    if (key.Lighting)
    {
        DWORD lights = 0;
        for (const LightSlot& slot : device->Lights)
            lights += slot.Enabled ? 1 : 0;
        key.LightCount = std::min(lights, kMaxActiveLights);
        key.DiffuseSource = MaterialSource(device, layout, D3DRS_DIFFUSEMATERIALSOURCE);
        key.AmbientSource = MaterialSource(device, layout, D3DRS_AMBIENTMATERIALSOURCE);
        key.SpecularSource = MaterialSource(device, layout, D3DRS_SPECULARMATERIALSOURCE);
        key.EmissiveSource = MaterialSource(device, layout, D3DRS_EMISSIVEMATERIALSOURCE);
    }
    key.Specular = rs[D3DRS_SPECULARENABLE] != FALSE;
    key.HasTexture = device->Textures[0] != nullptr;
    key.ExactReads =
        key.HasTexture && (layout.Pretransformed || ts[D3DTSS_MAGFILTER] != D3DTEXF_LINEAR ||
                           ts[D3DTSS_MINFILTER] != D3DTEXF_LINEAR);
    key.ColorOp = ShaderOp(ts[D3DTSS_COLOROP]);
    key.ColorArg1 = ShaderArgument(ts[D3DTSS_COLORARG1]);
    key.ColorArg2 = ShaderArgument(ts[D3DTSS_COLORARG2]);
    if (key.ColorOp != D3DTOP_DISABLE)
    {
        key.AlphaOp = ShaderOp(ts[D3DTSS_ALPHAOP]);
        key.AlphaArg1 = ShaderArgument(ts[D3DTSS_ALPHAARG1]);
        key.AlphaArg2 = ShaderArgument(ts[D3DTSS_ALPHAARG2]);
    }
    key.AlphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
    if (key.AlphaTest)
        key.AlphaFunc = ValidCompare(rs[D3DRS_ALPHAFUNC]);
    return key;
}

// Whether the program's uniform at `location` needs `bytes` of `data`: false when the program
// has no such uniform or already holds exactly these bits; records them otherwise.
bool Changed(ShaderProgram& p, UniformSlot slot, GLint location, const void* data, size_t bytes)
{
    if (location < 0)
        return false;
    const uint32_t bit = 1u << slot;
    if ((p.Known & bit) && std::memcmp(p.Sent[slot], data, bytes) == 0)
        return false;
    std::memcpy(p.Sent[slot], data, bytes);
    p.Known |= bit;
    return true;
}

void Uniform1i(ShaderProgram& p, UniformSlot slot, GLint location, GLint value)
{
    if (Changed(p, slot, location, &value, sizeof value))
        glUniform1i(location, value);
}

void Uniform1f(ShaderProgram& p, UniformSlot slot, GLint location, float value)
{
    if (Changed(p, slot, location, &value, sizeof value))
        glUniform1f(location, value);
}

void Uniform2f(ShaderProgram& p, UniformSlot slot, GLint location, float x, float y)
{
    const float v[2] = {x, y};
    if (Changed(p, slot, location, v, sizeof v))
        glUniform2f(location, x, y);
}

void Uniform3f(ShaderProgram& p, UniformSlot slot, GLint location, const float v[3])
{
    if (Changed(p, slot, location, v, 3 * sizeof(float)))
        glUniform3f(location, v[0], v[1], v[2]);
}

void Uniform4fv(ShaderProgram& p, UniformSlot slot, GLint location, GLsizei count, const float* v)
{
    static_assert(kUniformSlotFloats >= 4 * kMaxActiveLights, "a slot holds every light's value");
    if (Changed(p, slot, location, v, size_t(count) * 4 * sizeof(float)))
        glUniform4fv(location, count, v);
}

void ApplyRenderStates(IDirect3DDevice8::Impl* device, ShaderProgram& p)
{
    GlState* gl = &device->Shared->Gl;
    const DWORD* rs = device->RenderStates;
    GlEnable(gl, GL_DEPTH_TEST, rs[D3DRS_ZENABLE] != D3DZB_FALSE && device->DepthBuffer);
    GlDepthFunc(gl, CompareToGl(rs[D3DRS_ZFUNC]));
    GlDepthMask(gl, rs[D3DRS_ZWRITEENABLE] != FALSE);

    // The picture is upright in both APIs, so a triangle's winding as seen on the screen is the
    // same: D3DCULL_CCW removes the triangles that run counter-clockwise on the screen.
    switch (rs[D3DRS_CULLMODE])
    {
    case D3DCULL_CW:
        GlEnable(gl, GL_CULL_FACE, true);
        GlFrontFace(gl, GL_CCW);
        break;
    case D3DCULL_CCW:
        GlEnable(gl, GL_CULL_FACE, true);
        GlFrontFace(gl, GL_CW);
        break;
    default:
        GlEnable(gl, GL_CULL_FACE, false);
        break;
    }

    GlEnable(gl, GL_BLEND, rs[D3DRS_ALPHABLENDENABLE] != FALSE);
    GLenum source, destination;
    BlendFactorsToGl(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND], &source, &destination);
    GlBlendFunc(gl, source, destination);
    GlBlendEquation(gl, BlendOpToGl(rs[D3DRS_BLENDOP]));

    const DWORD mask = rs[D3DRS_COLORWRITEENABLE];
    GlColorMask(gl, mask & D3DCOLORWRITEENABLE_RED, mask & D3DCOLORWRITEENABLE_GREEN,
                mask & D3DCOLORWRITEENABLE_BLUE, mask & D3DCOLORWRITEENABLE_ALPHA);
    GlFillMode(gl, FillToGl(rs[D3DRS_FILLMODE]));
    if (rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT)
        NoteFlatShading();
    GlEnable(gl, GL_DITHER, rs[D3DRS_DITHERENABLE] != FALSE);

    Uniform1i(p, kNormalizeNormalsSlot, p.NormalizeNormals, rs[D3DRS_NORMALIZENORMALS] ? 1 : 0);
    Uniform1i(p, kLocalViewerSlot, p.LocalViewer, rs[D3DRS_LOCALVIEWER] ? 1 : 0);
    float ambient[4];
    ColorToFloats(rs[D3DRS_AMBIENT], ambient);
    Uniform3f(p, kGlobalAmbientSlot, p.GlobalAmbient, ambient);
    float factor[4];
    ColorToFloats(rs[D3DRS_TEXTUREFACTOR], factor);
    Uniform4fv(p, kTextureFactorSlot, p.TextureFactor, 1, factor);
    Uniform1i(p, kAlphaRefSlot, p.AlphaRef, static_cast<GLint>(rs[D3DRS_ALPHAREF] & 0xff));
    Uniform1i(p, kClipZeroToOneSlot, p.ClipZeroToOne, device->ClipControl ? 1 : 0);
}

void ApplyTransforms(IDirect3DDevice8::Impl* device, ShaderProgram& p)
{
    D3DMATRIX worldView;
    MultiplyMatrix4(&device->World[0].m[0][0], &device->View.m[0][0], &worldView.m[0][0]);
    // Direct3D's row-major matrices for row vectors are GL's column-major matrices for column
    // vectors, so they go over unchanged.
    if (Changed(p, kWorldViewSlot, p.WorldView, &worldView.m[0][0], sizeof worldView))
        glUniformMatrix4fv(p.WorldView, 1, GL_FALSE, &worldView.m[0][0]);
    if (Changed(p, kProjectionSlot, p.Projection, &device->Projection.m[0][0],
                sizeof device->Projection))
        glUniformMatrix4fv(p.Projection, 1, GL_FALSE, &device->Projection.m[0][0]);
    // Normals take the inverse transpose: uploading the inverse as row-major transposes it.
    if (p.NormalMatrix < 0)
        return;
    float inverse[9];
    Inverse3(worldView, inverse);
    if (Changed(p, kNormalMatrixSlot, p.NormalMatrix, inverse, sizeof inverse))
        glUniformMatrix3fv(p.NormalMatrix, 1, GL_TRUE, inverse);
}

void ApplyViewport(IDirect3DDevice8::Impl* device, ShaderProgram& p)
{
    GlState* gl = &device->Shared->Gl;
    const D3DVIEWPORT8& v = device->Viewport;
    const GLint y = static_cast<GLint>(device->Params.BackBufferHeight - v.Y - v.Height);
    GlViewport(gl, static_cast<GLint>(v.X), y, static_cast<GLsizei>(v.Width),
               static_cast<GLsizei>(v.Height));
    GlDepthRange(gl, v.MinZ, v.MaxZ);
    const float rect[4] = {static_cast<float>(v.X), static_cast<float>(y),
                           static_cast<float>(v.Width), static_cast<float>(v.Height)};
    Uniform4fv(p, kViewportRectSlot, p.ViewportRect, 1, rect);
    Uniform2f(p, kDepthRangeSlot, p.DepthRange, v.MinZ, v.MaxZ);
    Uniform1f(p, kTargetHeightSlot, p.TargetHeight,
              static_cast<float>(device->Params.BackBufferHeight));
}

void ApplyLights(IDirect3DDevice8::Impl* device, ShaderProgram& p)
{
    float diffuse[kMaxActiveLights][4], specular[kMaxActiveLights][4], ambient[kMaxActiveLights][4],
        position[kMaxActiveLights][4], direction[kMaxActiveLights][4],
        attenuation[kMaxActiveLights][4], spot[kMaxActiveLights][4];
    const D3DMATRIX& v = device->View;
    int count = 0;
    for (const LightSlot& slot : device->Lights)
    {
        if (!slot.Enabled || count == static_cast<int>(kMaxActiveLights))
            continue;
        const D3DLIGHT8& l = slot.Light;
        std::memcpy(diffuse[count], &l.Diffuse, sizeof diffuse[count]);
        std::memcpy(specular[count], &l.Specular, sizeof specular[count]);
        std::memcpy(ambient[count], &l.Ambient, sizeof ambient[count]);
        // Lights are given in world space and lit in view space.
        const D3DVECTOR& s = l.Position;
        position[count][0] = s.x * v._11 + s.y * v._21 + s.z * v._31 + v._41;
        position[count][1] = s.x * v._12 + s.y * v._22 + s.z * v._32 + v._42;
        position[count][2] = s.x * v._13 + s.y * v._23 + s.z * v._33 + v._43;
        position[count][3] = static_cast<float>(l.Type);
        const D3DVECTOR& d = l.Direction;
        float dx = d.x * v._11 + d.y * v._21 + d.z * v._31;
        float dy = d.x * v._12 + d.y * v._22 + d.z * v._32;
        float dz = d.x * v._13 + d.y * v._23 + d.z * v._33;
        const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (length > 0.0f)
        {
            dx /= length;
            dy /= length;
            dz /= length;
        }
        direction[count][0] = dx;
        direction[count][1] = dy;
        direction[count][2] = dz;
        direction[count][3] = 0.0f;
        attenuation[count][0] = l.Attenuation0;
        attenuation[count][1] = l.Attenuation1;
        attenuation[count][2] = l.Attenuation2;
        attenuation[count][3] = l.Type == D3DLIGHT_DIRECTIONAL ? 0.0f : l.Range;
        spot[count][0] = std::cos(l.Theta * 0.5f);
        spot[count][1] = std::cos(l.Phi * 0.5f);
        spot[count][2] = l.Falloff;
        spot[count][3] = 0.0f;
        ++count;
    }
    if (count == 0)
        return;
    Uniform4fv(p, kLightDiffuseSlot, p.LightDiffuse, count, &diffuse[0][0]);
    Uniform4fv(p, kLightSpecularSlot, p.LightSpecular, count, &specular[0][0]);
    Uniform4fv(p, kLightAmbientSlot, p.LightAmbient, count, &ambient[0][0]);
    Uniform4fv(p, kLightPositionSlot, p.LightPosition, count, &position[0][0]);
    Uniform4fv(p, kLightDirectionSlot, p.LightDirection, count, &direction[0][0]);
    Uniform4fv(p, kLightAttenuationSlot, p.LightAttenuation, count, &attenuation[0][0]);
    Uniform4fv(p, kLightSpotSlot, p.LightSpot, count, &spot[0][0]);
}

void ApplyMaterial(IDirect3DDevice8::Impl* device, ShaderProgram& p)
{
    const D3DMATERIAL8& m = device->Material;
    const D3DCOLORVALUE colors[4] = {m.Diffuse, m.Ambient, m.Specular, m.Emissive};
    Uniform4fv(p, kMaterialSlot, p.Material, 4, &colors[0].r);
    Uniform1f(p, kMaterialPowerSlot, p.MaterialPower, m.Power);
}

void ApplyStage(IDirect3DDevice8::Impl* device)
{
    const DWORD* ts = device->StageStates[0];
    const DWORD mag = ts[D3DTSS_MAGFILTER];
    const DWORD min = ts[D3DTSS_MINFILTER];
    GlSamplerShadow wanted;
    wanted.MinFilter = MinFilterToGl(min, ts[D3DTSS_MIPFILTER]);
    wanted.MagFilter = MagFilterToGl(mag);
    wanted.Anisotropy = 1.0f;
    if (min == D3DTEXF_ANISOTROPIC || mag == D3DTEXF_ANISOTROPIC)
        wanted.Anisotropy = std::min(std::max(1.0f, static_cast<float>(ts[D3DTSS_MAXANISOTROPY])),
                                     device->MaxAnisotropy);
    wanted.WrapS = AddressToGl(ts[D3DTSS_ADDRESSU]);
    wanted.WrapT = AddressToGl(ts[D3DTSS_ADDRESSV]);
    ColorToFloats(ts[D3DTSS_BORDERCOLOR], wanted.Border);
    wanted.LodBias = BitsToFloat(ts[D3DTSS_MIPMAPLODBIAS]);
    wanted.MinLod = static_cast<float>(ts[D3DTSS_MAXMIPLEVEL]);
    GlSampler(&device->Shared->Gl, device->Sampler, wanted, device->Anisotropic);
}

void ApplyTexture(IDirect3DDevice8::Impl* device)
{
    IDirect3DBaseTexture8* texture = device->Textures[0];
    GlBindTexture(&device->Shared->Gl, texture ? texture->impl->Texture : 0);
}
} // namespace

bool ApplyState(IDirect3DDevice8::Impl* device, const VertexLayout& layout, DrawPass pass)
{
    float nearW = 0.0f;
    float farW = 1.0f;
    ProgramKey key = KeyFor(device, layout, &nearW, &farW);
    if (pass == DrawPass::Counting)
        key.AlphaTest = false;
    else
        device->AppliedKey = key;
    ShaderProgram* program = UseProgram(device, key);
    if (!program)
        return false;
    ShaderProgram& p = *program;
    const unsigned dirty = device->Dirty;
    if (dirty & DirtyRender)
        ApplyRenderStates(device, p);
    if (dirty & DirtyTransform)
        ApplyTransforms(device, p);
    if (dirty & DirtyViewport)
        ApplyViewport(device, p);
    if (dirty & DirtyLights)
        ApplyLights(device, p);
    if (dirty & DirtyMaterial)
        ApplyMaterial(device, p);
    if (dirty & DirtyStage)
        ApplyStage(device);
    if (dirty & DirtyTexture)
        ApplyTexture(device);
    device->Dirty = 0;
    if (key.WBuffer)
        Uniform2f(p, kWRangeSlot, p.WRange, nearW, 1.0f / (farW - nearW));
    if (pass == DrawPass::Counting)
    {
        GlState* gl = &device->Shared->Gl;
        GlEnable(gl, GL_DEPTH_TEST, false);
        GlDepthMask(gl, false);
        GlColorMask(gl, false, false, false, false);
        device->Dirty |= DirtyRender; // the next draw sets the device's own again
    }
    return true;
}
} // namespace d3d8
