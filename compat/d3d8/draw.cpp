// Drawing: scenes, Clear, the vertex format and stream, DrawPrimitive and DrawPrimitiveUP with
// the validation the game relies on, and carrying the device's state over into GL (fixed
// function state and the shader's uniforms) before each draw.
#include "d3d8_internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace d3d8;

namespace
{
enum : DWORD
{
    kFvfPositionXyz = D3DFVF_XYZ,
    kFvfPositionRhw = D3DFVF_XYZRHW,
    kFvfKnownBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE |
                    D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK | 0xffff0000u,
};

bool PrimitiveVertices(D3DPRIMITIVETYPE type, UINT count, uint64_t* vertices, GLenum* mode)
{
    switch (type)
    {
    case D3DPT_POINTLIST:
        *vertices = count;
        *mode = GL_POINTS;
        return true;
    case D3DPT_LINELIST:
        *vertices = uint64_t(count) * 2;
        *mode = GL_LINES;
        return true;
    case D3DPT_LINESTRIP:
        *vertices = uint64_t(count) + 1;
        *mode = GL_LINE_STRIP;
        return true;
    case D3DPT_TRIANGLELIST:
        *vertices = uint64_t(count) * 3;
        *mode = GL_TRIANGLES;
        return true;
    case D3DPT_TRIANGLESTRIP:
        *vertices = uint64_t(count) + 2;
        *mode = GL_TRIANGLE_STRIP;
        return true;
    case D3DPT_TRIANGLEFAN:
        *vertices = uint64_t(count) + 2;
        *mode = GL_TRIANGLE_FAN;
        return true;
    default:
        return false;
    }
}

GLenum CompareToGl(DWORD function)
{
    if (function >= D3DCMP_NEVER && function <= D3DCMP_ALWAYS)
        return GL_NEVER + (function - D3DCMP_NEVER);
    LogOnce("bad-cmp", "compare function %u is not a D3DCMPFUNC; ALWAYS is used", function);
    return GL_ALWAYS;
}

GLenum BlendToGl(DWORD blend, bool destination)
{
    switch (blend)
    {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        if (!destination)
            return GL_SRC_ALPHA_SATURATE;
        break;
    default:
        break;
    }
    LogOnce(destination ? "bad-destblend" : "bad-srcblend",
            "blend factor %u is not available as %s factor; %s is used", blend,
            destination ? "destination" : "source", destination ? "ZERO" : "ONE");
    return destination ? GL_ZERO : GL_ONE;
}

GLenum BlendOpToGl(DWORD op)
{
    switch (op)
    {
    case 2:
        return GL_FUNC_SUBTRACT;
    case 3:
        return GL_FUNC_REVERSE_SUBTRACT;
    case 4:
        return GL_MIN;
    case 5:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLint AddressToGl(DWORD mode)
{
    switch (mode)
    {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

void ColorToFloats(D3DCOLOR color, float out[4])
{
    out[0] = ((color >> 16) & 0xff) / 255.0f;
    out[1] = ((color >> 8) & 0xff) / 255.0f;
    out[2] = (color & 0xff) / 255.0f;
    out[3] = ((color >> 24) & 0xff) / 255.0f;
}

float BitsToFloat(DWORD bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX* out)
{
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
    *out = r;
}

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

int NormalOp(DWORD op)
{
    if (op >= D3DTOP_DISABLE && op <= 16)
        return static_cast<int>(op);
    LogOnce("stage-op", "texture operation %u is not emulated; MODULATE is used", op);
    return D3DTOP_MODULATE;
}

// The switches the next draw needs, from the device's state and the vertex format.
ProgramKey KeyFor(IDirect3DDevice8::Impl* device, const VertexLayout& layout, float* nearW,
                  float* farW)
{
    const DWORD* rs = device->RenderStates;
    const DWORD* ts = device->StageStates[0];
    ProgramKey key;
    key.Flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    if (rs[D3DRS_ZENABLE] == D3DZB_USEW && device->DepthBuffer)
    {
        if (WRange(device, nearW, farW))
            key.WBuffer = true;
        else
            LogOnce("wbuffer-ortho", "W-buffering needs a perspective projection; the Z buffer "
                                     "is used instead");
    }
    key.Pretransformed = layout.Pretransformed;
    key.Lighting = !layout.Pretransformed && rs[D3DRS_LIGHTING];
    if (key.Lighting)
    {
        for (const LightSlot& slot : device->Lights)
            key.LightCount += slot.Enabled ? 1 : 0;
        key.LightCount = std::min(key.LightCount, static_cast<int>(kMaxActiveLights));
        const bool colorVertex = rs[D3DRS_COLORVERTEX] != FALSE;
        const D3DRENDERSTATETYPE sources[4] = {
            D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_AMBIENTMATERIALSOURCE, D3DRS_SPECULARMATERIALSOURCE,
            D3DRS_EMISSIVEMATERIALSOURCE};
        for (int i = 0; i < 4; ++i)
        {
            const DWORD source = rs[sources[i]];
            if (colorVertex && source == D3DMCS_COLOR1 && layout.DiffuseOffset >= 0)
                key.MaterialSource[i] = 1;
            else if (colorVertex && source == D3DMCS_COLOR2 && layout.SpecularOffset >= 0)
                key.MaterialSource[i] = 2;
        }
    }
    key.Specular = rs[D3DRS_SPECULARENABLE] != FALSE;
    key.HasTexture = device->Textures[0] != nullptr;
    key.ColorOp[0] = NormalOp(ts[D3DTSS_COLOROP]);
    key.ColorOp[1] = static_cast<int>(ts[D3DTSS_COLORARG1] & 0x3f);
    key.ColorOp[2] = static_cast<int>(ts[D3DTSS_COLORARG2] & 0x3f);
    if (key.ColorOp[0] != D3DTOP_DISABLE)
    {
        key.AlphaOp[0] = NormalOp(ts[D3DTSS_ALPHAOP]);
        key.AlphaOp[1] = static_cast<int>(ts[D3DTSS_ALPHAARG1] & 0x3f);
        key.AlphaOp[2] = static_cast<int>(ts[D3DTSS_ALPHAARG2] & 0x3f);
    }
    key.AlphaTest = rs[D3DRS_ALPHATESTENABLE] != FALSE;
    if (key.AlphaTest)
    {
        const DWORD function = rs[D3DRS_ALPHAFUNC];
        key.AlphaFunc = function >= D3DCMP_NEVER && function <= D3DCMP_ALWAYS
                            ? static_cast<int>(function)
                            : static_cast<int>(CompareToGl(function) - GL_NEVER + 1);
    }
    return key;
}

// Makes the program for `key` current, compiling it on its first use; null when the driver
// refused to compile it.
const ShaderProgram* UseProgram(IDirect3DDevice8::Impl* device, const ProgramKey& key)
{
    auto found = device->Programs.find(key.Packed());
    if (found == device->Programs.end())
    {
        ShaderProgram program;
        if (!BuildProgram(&program, key))
            program.Program = 0;
        found = device->Programs.emplace(key.Packed(), program).first;
        device->CurrentProgram = nullptr; // BuildProgram made the new one current
    }
    const ShaderProgram* program = &found->second;
    if (!program->Program)
        return nullptr;
    if (device->CurrentProgram != program)
    {
        glUseProgram(program->Program);
        device->CurrentProgram = program;
        device->Dirty = DirtyAll; // the new program has none of the uniforms yet
    }
    return program;
}

void ApplyRenderStates(IDirect3DDevice8::Impl* device, const ShaderProgram& p)
{
    const DWORD* rs = device->RenderStates;
    const bool depthTest = rs[D3DRS_ZENABLE] != D3DZB_FALSE && device->DepthBuffer;
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthFunc(CompareToGl(rs[D3DRS_ZFUNC]));
    glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);

    // The picture is upright in both APIs, so a triangle's winding as seen on the screen is the
    // same: D3DCULL_CCW removes the triangles that run counter-clockwise on the screen.
    switch (rs[D3DRS_CULLMODE])
    {
    case D3DCULL_CW:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        break;
    case D3DCULL_CCW:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        break;
    default:
        glDisable(GL_CULL_FACE);
        break;
    }
    glCullFace(GL_BACK);

    if (rs[D3DRS_ALPHABLENDENABLE])
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    GLenum source = BlendToGl(rs[D3DRS_SRCBLEND], false);
    GLenum destination = BlendToGl(rs[D3DRS_DESTBLEND], true);
    if (rs[D3DRS_SRCBLEND] == 12) // D3DBLEND_BOTHSRCALPHA
    {
        source = GL_SRC_ALPHA;
        destination = GL_ONE_MINUS_SRC_ALPHA;
    }
    else if (rs[D3DRS_SRCBLEND] == 13) // D3DBLEND_BOTHINVSRCALPHA
    {
        source = GL_ONE_MINUS_SRC_ALPHA;
        destination = GL_SRC_ALPHA;
    }
    glBlendFunc(source, destination);
    glBlendEquation(BlendOpToGl(rs[D3DRS_BLENDOP]));

    const DWORD mask = rs[D3DRS_COLORWRITEENABLE];
    glColorMask(mask & 1 ? GL_TRUE : GL_FALSE, mask & 2 ? GL_TRUE : GL_FALSE,
                mask & 4 ? GL_TRUE : GL_FALSE, mask & 8 ? GL_TRUE : GL_FALSE);
    glPolygonMode(GL_FRONT_AND_BACK, rs[D3DRS_FILLMODE] == D3DFILL_POINT       ? GL_POINT
                                     : rs[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE
                                                                               : GL_FILL);
    if (rs[D3DRS_DITHERENABLE])
        glEnable(GL_DITHER);
    else
        glDisable(GL_DITHER);

    glUniform1i(p.NormalizeNormals, rs[D3DRS_NORMALIZENORMALS] ? 1 : 0);
    glUniform1i(p.LocalViewer, rs[D3DRS_LOCALVIEWER] ? 1 : 0);
    float ambient[4];
    ColorToFloats(rs[D3DRS_AMBIENT], ambient);
    glUniform3f(p.GlobalAmbient, ambient[0], ambient[1], ambient[2]);
    float factor[4];
    ColorToFloats(rs[D3DRS_TEXTUREFACTOR], factor);
    glUniform4fv(p.TextureFactor, 1, factor);
    glUniform1i(p.AlphaRef, static_cast<GLint>(rs[D3DRS_ALPHAREF] & 0xff));
    glUniform1i(p.ClipZeroToOne, device->ClipControl ? 1 : 0);
}

void ApplyTransforms(IDirect3DDevice8::Impl* device, const ShaderProgram& p)
{
    D3DMATRIX worldView;
    Multiply(device->World[0], device->View, &worldView);
    // Direct3D's row-major matrices for row vectors are GL's column-major matrices for column
    // vectors, so they go over unchanged.
    glUniformMatrix4fv(p.WorldView, 1, GL_FALSE, &worldView.m[0][0]);
    glUniformMatrix4fv(p.Projection, 1, GL_FALSE, &device->Projection.m[0][0]);
    // Normals take the inverse transpose: uploading the inverse as row-major transposes it.
    float inverse[9];
    Inverse3(worldView, inverse);
    glUniformMatrix3fv(p.NormalMatrix, 1, GL_TRUE, inverse);
}

void ApplyViewport(IDirect3DDevice8::Impl* device, const ShaderProgram& p)
{
    const D3DVIEWPORT8& v = device->Viewport;
    const GLint y = static_cast<GLint>(device->Params.BackBufferHeight - v.Y - v.Height);
    glViewport(static_cast<GLint>(v.X), y, static_cast<GLsizei>(v.Width),
               static_cast<GLsizei>(v.Height));
    glDepthRange(v.MinZ, v.MaxZ);
    glUniform4f(p.ViewportRect, static_cast<float>(v.X), static_cast<float>(y),
                static_cast<float>(v.Width), static_cast<float>(v.Height));
    glUniform2f(p.DepthRange, v.MinZ, v.MaxZ);
    glUniform1f(p.TargetHeight, static_cast<float>(device->Params.BackBufferHeight));
}

void ApplyLights(IDirect3DDevice8::Impl* device, const ShaderProgram& p)
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
    glUniform4fv(p.LightDiffuse, count, &diffuse[0][0]);
    glUniform4fv(p.LightSpecular, count, &specular[0][0]);
    glUniform4fv(p.LightAmbient, count, &ambient[0][0]);
    glUniform4fv(p.LightPosition, count, &position[0][0]);
    glUniform4fv(p.LightDirection, count, &direction[0][0]);
    glUniform4fv(p.LightAttenuation, count, &attenuation[0][0]);
    glUniform4fv(p.LightSpot, count, &spot[0][0]);
}

void ApplyMaterial(IDirect3DDevice8::Impl* device, const ShaderProgram& p)
{
    const D3DMATERIAL8& m = device->Material;
    const D3DCOLORVALUE colors[4] = {m.Diffuse, m.Ambient, m.Specular, m.Emissive};
    glUniform4fv(p.Material, 4, &colors[0].r);
    glUniform1f(p.MaterialPower, m.Power);
}

void ApplyStage(IDirect3DDevice8::Impl* device)
{
    const DWORD* ts = device->StageStates[0];
    const DWORD mag = ts[D3DTSS_MAGFILTER];
    const DWORD min = ts[D3DTSS_MINFILTER];
    DWORD mip = ts[D3DTSS_MIPFILTER];
    if (mip > D3DTEXF_LINEAR)
    {
        LogOnce("mip-aniso", "mip filter %u is drawn as a linear mip filter", mip);
        mip = D3DTEXF_LINEAR;
    }
    const bool minLinear = min >= D3DTEXF_LINEAR;
    GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    if (mip == D3DTEXF_POINT)
        minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mip == D3DTEXF_LINEAR)
        minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(device->Sampler, GL_TEXTURE_MIN_FILTER, minFilter);
    glSamplerParameteri(device->Sampler, GL_TEXTURE_MAG_FILTER,
                        mag >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    if (device->Anisotropic)
    {
        float anisotropy = 1.0f;
        if (min == D3DTEXF_ANISOTROPIC || mag == D3DTEXF_ANISOTROPIC)
            anisotropy = std::min(std::max(1.0f, static_cast<float>(ts[D3DTSS_MAXANISOTROPY])),
                                  device->MaxAnisotropy);
        glSamplerParameterf(device->Sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
    }
    glSamplerParameteri(device->Sampler, GL_TEXTURE_WRAP_S, AddressToGl(ts[D3DTSS_ADDRESSU]));
    glSamplerParameteri(device->Sampler, GL_TEXTURE_WRAP_T, AddressToGl(ts[D3DTSS_ADDRESSV]));
    float border[4];
    ColorToFloats(ts[D3DTSS_BORDERCOLOR], border);
    glSamplerParameterfv(device->Sampler, GL_TEXTURE_BORDER_COLOR, border);
    glSamplerParameterf(device->Sampler, GL_TEXTURE_LOD_BIAS,
                        BitsToFloat(ts[D3DTSS_MIPMAPLODBIAS]));
    glSamplerParameterf(device->Sampler, GL_TEXTURE_MIN_LOD,
                        static_cast<float>(ts[D3DTSS_MAXMIPLEVEL]));
}

void ApplyTexture(IDirect3DDevice8::Impl* device)
{
    IDirect3DBaseTexture8* texture = device->Textures[0];
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture ? texture->impl->Texture : 0);
}

// Brings GL up to date with the device's state; only what changed since the last draw. False
// when the driver cannot compile the program this state needs.
bool ApplyState(IDirect3DDevice8::Impl* device, const VertexLayout& layout)
{
    float nearW = 0.0f;
    float farW = 1.0f;
    const ProgramKey key = KeyFor(device, layout, &nearW, &farW);
    const ShaderProgram* program = UseProgram(device, key);
    if (!program)
        return false;
    const ShaderProgram& p = *program;
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
        glUniform2f(p.WRange, nearW, 1.0f / (farW - nearW));
    return true;
}

void BindAttributes(IDirect3DDevice8::Impl* device, GLuint buffer, const VertexLayout& layout,
                    UINT stride)
{
    const DWORD texCoordIndex = device->StageStates[0][D3DTSS_TEXCOORDINDEX] & 0xffff;
    if (device->BoundBuffer == buffer && device->BoundFvf == device->VertexShader &&
        device->BoundStride == stride && device->BoundTexCoordIndex == texCoordIndex)
        return;
    device->BoundBuffer = buffer;
    device->BoundFvf = device->VertexShader;
    device->BoundStride = stride;
    device->BoundTexCoordIndex = texCoordIndex;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLsizei s = static_cast<GLsizei>(stride);
    auto at = [](int offset)
    { return reinterpret_cast<const void*>(static_cast<uintptr_t>(offset)); };
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, layout.Pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE, s, at(0));
    if (layout.NormalOffset >= 0)
    {
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, s, at(layout.NormalOffset));
    }
    else
    {
        glDisableVertexAttribArray(1);
        glVertexAttrib3f(1, 0.0f, 0.0f, 0.0f);
    }
    // D3DCOLOR is the bytes B, G, R, A in memory: GL_BGRA as the size reads them in that order.
    if (layout.DiffuseOffset >= 0)
    {
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, at(layout.DiffuseOffset));
    }
    else
    {
        glDisableVertexAttribArray(2);
        glVertexAttrib4f(2, 1.0f, 1.0f, 1.0f, 1.0f); // no diffuse colour: opaque white
    }
    if (layout.SpecularOffset >= 0)
    {
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, at(layout.SpecularOffset));
    }
    else
    {
        glDisableVertexAttribArray(3);
        glVertexAttrib4f(3, 0.0f, 0.0f, 0.0f, 0.0f);
    }
    if (texCoordIndex < layout.TexCoordCount)
    {
        glEnableVertexAttribArray(4);
        glVertexAttribPointer(4, layout.TexCoordSize[texCoordIndex], GL_FLOAT, GL_FALSE, s,
                              at(layout.TexCoordOffset[texCoordIndex]));
    }
    else
    {
        glDisableVertexAttribArray(4);
        glVertexAttrib4f(4, 0.0f, 0.0f, 0.0f, 1.0f);
    }
}

// The checks every draw makes; D3D_OK means the draw may go ahead.
HRESULT CheckDraw(IDirect3DDevice8::Impl* device, D3DPRIMITIVETYPE type, UINT count,
                  VertexLayout* layout, uint64_t* vertices, GLenum* mode)
{
    if (!device->InScene)
    {
        LogOnce("draw-outside-scene", "a draw outside BeginScene and EndScene is refused");
        return D3DERR_INVALIDCALL;
    }
    *layout = LayoutOfFvf(device->VertexShader);
    if (!layout->Valid)
    {
        LogOnce("draw-fvf", "a draw with vertex format 0x%x is refused", device->VertexShader);
        return D3DERR_INVALIDCALL;
    }
    if (!PrimitiveVertices(type, count, vertices, mode))
        return D3DERR_INVALIDCALL;
    if (count > 0xfffff)
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}
} // namespace

namespace d3d8
{
uint64_t ProgramKey::Packed() const
{
    uint64_t bits = 0;
    auto put = [&bits](uint64_t value, int width) { bits = (bits << width) | value; };
    put(Flat, 1);
    put(WBuffer, 1);
    put(Pretransformed, 1);
    put(Lighting, 1);
    put(static_cast<uint64_t>(LightCount), 4);
    put(Specular, 1);
    for (int source : MaterialSource)
        put(static_cast<uint64_t>(source), 2);
    put(HasTexture, 1);
    for (int i = 0; i < 3; ++i)
        put(static_cast<uint64_t>(ColorOp[i]), i == 0 ? 5 : 6);
    for (int i = 0; i < 3; ++i)
        put(static_cast<uint64_t>(AlphaOp[i]), i == 0 ? 5 : 6);
    put(AlphaTest, 1);
    put(static_cast<uint64_t>(AlphaFunc) & 0xf, 4);
    return bits;
}

VertexLayout LayoutOfFvf(DWORD fvf)
{
    VertexLayout layout;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if ((fvf & ~kFvfKnownBits) != 0 || (position != kFvfPositionXyz && position != kFvfPositionRhw))
        return layout;
    const UINT texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCount > 8)
        return layout;
    layout.Pretransformed = position == kFvfPositionRhw;
    UINT offset = layout.Pretransformed ? 16 : 12;
    if (fvf & D3DFVF_NORMAL)
    {
        layout.NormalOffset = static_cast<int>(offset);
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE)
        offset += 4;
    if (fvf & D3DFVF_DIFFUSE)
    {
        layout.DiffuseOffset = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR)
    {
        layout.SpecularOffset = static_cast<int>(offset);
        offset += 4;
    }
    layout.TexCoordCount = texCount;
    for (UINT i = 0; i < texCount; ++i)
    {
        // Two bits per set from bit 16: 0 two floats, 1 three, 2 four, 3 one.
        static const int kSizes[4] = {2, 3, 4, 1};
        const int size = kSizes[(fvf >> (16 + 2 * i)) & 3];
        layout.TexCoordOffset[i] = static_cast<int>(offset);
        layout.TexCoordSize[i] = size;
        offset += static_cast<UINT>(size) * 4;
    }
    layout.Size = offset;
    layout.Valid = true;
    return layout;
}

bool CreateDrawObjects(IDirect3DDevice8::Impl* device)
{
    // The program of the default state, built now so a driver that cannot compile the
    // fixed-function shader fails device creation instead of the first draw.
    ProgramKey key;
    key.Lighting = true;
    key.ColorOp[0] = D3DTOP_MODULATE;
    key.ColorOp[1] = D3DTA_TEXTURE;
    key.ColorOp[2] = D3DTA_CURRENT;
    key.AlphaOp[0] = D3DTOP_SELECTARG1;
    key.AlphaOp[1] = D3DTA_TEXTURE;
    key.AlphaOp[2] = D3DTA_CURRENT;
    ShaderProgram program;
    if (!BuildProgram(&program, key))
        return false;
    device->Programs.emplace(key.Packed(), program);
    device->CurrentProgram = nullptr;
    glGenVertexArrays(1, &device->VertexArray);
    glBindVertexArray(device->VertexArray);
    glGenBuffers(1, &device->UserBuffer);
    glGenSamplers(1, &device->Sampler);
    glBindSampler(0, device->Sampler);
    if (device->ClipControl)
        glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    // Direct3D's flat shading takes the first vertex's colour.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glDisable(GL_DITHER);
    return glGetError() == GL_NO_ERROR;
}

void DestroyDrawObjects(IDirect3DDevice8::Impl* device)
{
    for (auto& entry : device->Programs)
        if (entry.second.Program)
            glDeleteProgram(entry.second.Program);
    device->Programs.clear();
    device->CurrentProgram = nullptr;
    if (device->VertexArray)
        glDeleteVertexArrays(1, &device->VertexArray);
    if (device->UserBuffer)
        glDeleteBuffers(1, &device->UserBuffer);
    if (device->Sampler)
        glDeleteSamplers(1, &device->Sampler);
    device->VertexArray = device->UserBuffer = device->Sampler = 0;
}
} // namespace d3d8

HRESULT IDirect3DDevice8::BeginScene()
{
    HRESULT result = D3D_OK;
    if (impl->InScene)
        result = D3DERR_INVALIDCALL;
    else
        impl->InScene = true;
    TraceCall(impl, "BeginScene", 0, 0, 0, 0, nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::EndScene()
{
    HRESULT result = D3D_OK;
    if (!impl->InScene)
        result = D3DERR_INVALIDCALL;
    else
        impl->InScene = false;
    TraceCall(impl, "EndScene", 0, 0, 0, 0, nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                                float z, DWORD stencil)
{
    HRESULT result = D3D_OK;
    const bool hasStencil = impl->DepthFormat && impl->DepthFormat->HasStencil;
    if ((flags & ~DWORD(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) ||
        (count > 0) != (rects != nullptr) || ((flags & D3DCLEAR_ZBUFFER) && !impl->DepthBuffer) ||
        ((flags & D3DCLEAR_STENCIL) && !hasStencil))
        result = D3DERR_INVALIDCALL;
    else if (!impl->Lost && flags && EnsureCurrent(impl))
    {
        glBindFramebuffer(GL_FRAMEBUFFER, impl->Framebuffer);
        GLbitfield mask = 0;
        if (flags & D3DCLEAR_TARGET)
        {
            float c[4];
            ColorToFloats(color, c);
            glClearColor(c[0], c[1], c[2], c[3]);
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            mask |= GL_COLOR_BUFFER_BIT;
        }
        if (flags & D3DCLEAR_ZBUFFER)
        {
            glClearDepth(std::min(std::max(z, 0.0f), 1.0f));
            glDepthMask(GL_TRUE);
            mask |= GL_DEPTH_BUFFER_BIT;
        }
        if (flags & D3DCLEAR_STENCIL)
        {
            glClearStencil(static_cast<GLint>(stencil & 0xff));
            glStencilMask(0xff);
            mask |= GL_STENCIL_BUFFER_BIT;
        }
        // Clear works on the viewport, or on the given rectangles inside it.
        const D3DVIEWPORT8& v = impl->Viewport;
        const LONG height = static_cast<LONG>(impl->Params.BackBufferHeight);
        glEnable(GL_SCISSOR_TEST);
        const DWORD pieces = count ? count : 1;
        for (DWORD i = 0; i < pieces; ++i)
        {
            LONG x1 = static_cast<LONG>(v.X), y1 = static_cast<LONG>(v.Y);
            LONG x2 = x1 + static_cast<LONG>(v.Width), y2 = y1 + static_cast<LONG>(v.Height);
            if (count)
            {
                x1 = std::max(x1, rects[i].x1);
                y1 = std::max(y1, rects[i].y1);
                x2 = std::min(x2, rects[i].x2);
                y2 = std::min(y2, rects[i].y2);
            }
            if (x2 <= x1 || y2 <= y1)
                continue;
            glScissor(x1, height - y2, x2 - x1, y2 - y1);
            glClear(mask);
        }
        glDisable(GL_SCISSOR_TEST);
        impl->Dirty |= DirtyRender;
    }
    TraceCall(impl, "Clear", count, flags, color, stencil, nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::SetVertexShader(DWORD handle)
{
    // Only flexible vertex formats exist here; programmable vertex shaders are not emulated.
    HRESULT result = D3D_OK;
    if (!LayoutOfFvf(handle).Valid)
    {
        LogOnce("fvf-refused", "vertex format 0x%x cannot be drawn by the stand-in", handle);
        result = D3DERR_INVALIDCALL;
    }
    else
        impl->VertexShader = handle;
    TraceCall(impl, "SetVertexShader", handle, 0, 0, 0, nullptr, result);
    return result;
}

HRESULT IDirect3DDevice8::GetVertexShader(DWORD* handle)
{
    if (!handle)
        return D3DERR_INVALIDCALL;
    *handle = impl->VertexShader;
    return D3D_OK;
}

HRESULT IDirect3DDevice8::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData,
                                          UINT stride)
{
    HRESULT result = D3D_OK;
    if (streamNumber != 0 || stride > 2048 ||
        (streamData && streamData->impl->Shared != impl->Shared))
        result = D3DERR_INVALIDCALL;
    else
    {
        if (streamData)
            streamData->AddRef();
        if (impl->Stream)
            impl->Stream->Release();
        impl->Stream = streamData;
        impl->StreamStride = stride;
    }
    TraceCall(impl, "SetStreamSource", streamNumber, stride, 0, 0, streamData, result);
    return result;
}

HRESULT IDirect3DDevice8::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData,
                                          UINT* stride)
{
    if (!streamData || !stride || streamNumber != 0)
        return D3DERR_INVALIDCALL;
    *streamData = impl->Stream;
    if (*streamData)
        (*streamData)->AddRef();
    *stride = impl->StreamStride;
    return D3D_OK;
}

HRESULT IDirect3DDevice8::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                        UINT primitiveCount)
{
    VertexLayout layout;
    uint64_t vertices = 0;
    GLenum mode = GL_TRIANGLES;
    HRESULT result = CheckDraw(impl, primitiveType, primitiveCount, &layout, &vertices, &mode);
    IDirect3DVertexBuffer8* stream = impl->Stream;
    const UINT stride = impl->StreamStride;
    if (result == D3D_OK && primitiveCount > 0)
    {
        if (!stream)
        {
            LogOnce("draw-no-stream", "a draw without a vertex buffer on stream 0 is refused");
            result = D3DERR_INVALIDCALL;
        }
        else if (stride < layout.Size ||
                 (uint64_t(startVertex) + vertices - 1) * stride + layout.Size >
                     stream->impl->Length)
        {
            LogOnce("draw-range", "a draw beyond the end of its vertex buffer is refused");
            result = D3DERR_INVALIDCALL;
        }
    }
    if (result == D3D_OK && primitiveCount > 0 && !impl->Lost && EnsureCurrent(impl))
    {
        glBindFramebuffer(GL_FRAMEBUFFER, impl->Framebuffer);
        if (!ApplyState(impl, layout))
            result = D3DERR_DRIVERINTERNALERROR;
        else
        {
            BindAttributes(impl, stream->impl->Buffer, layout, stride);
            glDrawArrays(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
        }
    }
    TraceCall(impl, "DrawPrimitive", primitiveType, startVertex, primitiveCount, 0, stream, result);
    return result;
}

HRESULT IDirect3DDevice8::DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                          const void* vertexStreamZeroData,
                                          UINT vertexStreamZeroStride)
{
    VertexLayout layout;
    uint64_t vertices = 0;
    GLenum mode = GL_TRIANGLES;
    HRESULT result = CheckDraw(impl, primitiveType, primitiveCount, &layout, &vertices, &mode);
    if (result == D3D_OK && primitiveCount > 0 &&
        (!vertexStreamZeroData || vertexStreamZeroStride < layout.Size))
        result = D3DERR_INVALIDCALL;
    if (result == D3D_OK && primitiveCount > 0 && !impl->Lost && EnsureCurrent(impl))
    {
        glBindFramebuffer(GL_FRAMEBUFFER, impl->Framebuffer);
        const GLsizeiptr bytes =
            static_cast<GLsizeiptr>((vertices - 1) * vertexStreamZeroStride + layout.Size);
        glBindBuffer(GL_ARRAY_BUFFER, impl->UserBuffer);
        // A fresh store each time, so the driver never waits on the previous draw.
        glBufferData(GL_ARRAY_BUFFER, bytes, vertexStreamZeroData, GL_STREAM_DRAW);
        if (!ApplyState(impl, layout))
            result = D3DERR_DRIVERINTERNALERROR;
        else
        {
            impl->BoundBuffer = 0; // the attribute pointers must be set for this buffer
            BindAttributes(impl, impl->UserBuffer, layout, vertexStreamZeroStride);
            glDrawArrays(mode, 0, static_cast<GLsizei>(vertices));
        }
    }
    // As on the platform, stream 0 is unset afterwards.
    if (result == D3D_OK && impl->Stream)
    {
        impl->Stream->Release();
        impl->Stream = nullptr;
        impl->StreamStride = 0;
    }
    TraceCall(impl, "DrawPrimitiveUP", primitiveType, primitiveCount, vertexStreamZeroStride, 0,
              vertexStreamZeroData, result);
    return result;
}
