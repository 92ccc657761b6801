// The shadow of the GL state the translation last set (d3d8_internal.h, GlState): each setter
// compares with what the context already holds and calls GL only for a difference.
#include "d3d8_internal.h"

#include <cstring>

namespace d3d8
{
namespace
{
constexpr GLuint kUnknown = 0xffffffffu;

template <typename T> void Forget(T* field)
{
    std::memset(field, 0xff, sizeof *field);
}

GLint* CapabilityField(GlState* gl, GLenum capability)
{
    switch (capability)
    {
    case GL_DEPTH_TEST:
        return &gl->DepthTest;
    case GL_CULL_FACE:
        return &gl->CullFace;
    case GL_BLEND:
        return &gl->Blend;
    case GL_DITHER:
        return &gl->Dither;
    default:
        return &gl->Scissor; // GL_SCISSOR_TEST
    }
}

bool SameFloats(const float* a, const float* b, int count)
{
    for (int i = 0; i < count; ++i)
        if (!(a[i] == b[i])) // a forgotten NaN equals nothing
            return false;
    return true;
}
} // namespace

GLenum TakeGlErrors(bool* outOfMemory)
{
    // GL keeps a few flags at most; a lost context may answer with an error on every read, so
    // the reads stop after as many as any driver keeps.
    const int kMostFlags = 16;
    GLenum first = GL_NO_ERROR;
    GLenum error = GL_NO_ERROR;
    for (int read = 0; read < kMostFlags && (error = glGetError()) != GL_NO_ERROR; ++read)
    {
        if (first == GL_NO_ERROR)
            first = error;
        if (outOfMemory && error == GL_OUT_OF_MEMORY)
            *outOfMemory = true;
    }
    return first;
}

void ForgetGlState(GlState* gl)
{
    Forget(gl);
}

void ForgetBuffer(GlState* gl, GLuint buffer)
{
    if (gl->ArrayBuffer == buffer)
        gl->ArrayBuffer = kUnknown;
    for (GlAttributeShadow& a : gl->Attributes)
        if (a.Buffer == buffer)
            a.Buffer = kUnknown;
}

void ForgetTexture(GlState* gl, GLuint texture)
{
    if (gl->Texture == texture)
        gl->Texture = kUnknown;
}

void ForgetFramebuffers(GlState* gl)
{
    gl->ReadFramebuffer = gl->DrawFramebuffer = kUnknown;
}

void ForgetProgram(GlState* gl)
{
    gl->Program = kUnknown;
}

void ForgetVertexArray(GlState* gl)
{
    // The arrays' switches and pointers belong to the vertex array object.
    gl->VertexArray = kUnknown;
    for (GlAttributeShadow& a : gl->Attributes)
    {
        a.Enabled = static_cast<GLint>(kUnknown);
        a.Buffer = kUnknown;
    }
}

void GlUseProgram(GlState* gl, GLuint program)
{
    if (gl->Program == program)
        return;
    glUseProgram(program);
    gl->Program = program;
}

void GlBindVertexArray(GlState* gl, GLuint vertexArray, const GlAttributeShadow* arrays)
{
    if (gl->VertexArray == vertexArray)
        return;
    glBindVertexArray(vertexArray);
    // Another object's arrays: what the shadow knew of the last one says nothing of these.
    ForgetVertexArray(gl);
    gl->VertexArray = vertexArray;
    if (arrays)
        std::memcpy(gl->Attributes, arrays, sizeof gl->Attributes);
}

void GlBindArrayBuffer(GlState* gl, GLuint buffer)
{
    if (gl->ArrayBuffer == buffer)
        return;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    gl->ArrayBuffer = buffer;
}

void GlBindFramebuffer(GlState* gl, GLenum target, GLuint framebuffer)
{
    const bool read = target != GL_DRAW_FRAMEBUFFER && gl->ReadFramebuffer != framebuffer;
    const bool draw = target != GL_READ_FRAMEBUFFER && gl->DrawFramebuffer != framebuffer;
    if (read && draw)
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    else if (read)
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    else if (draw)
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    if (read)
        gl->ReadFramebuffer = framebuffer;
    if (draw)
        gl->DrawFramebuffer = framebuffer;
}

void GlBindTexture(GlState* gl, GLuint texture)
{
    if (gl->Texture == texture)
        return;
    glBindTexture(GL_TEXTURE_2D, texture);
    gl->Texture = texture;
}

void GlEnable(GlState* gl, GLenum capability, bool on)
{
    GLint* field = CapabilityField(gl, capability);
    if (*field == (on ? 1 : 0))
        return;
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
    *field = on ? 1 : 0;
}

void GlDepthFunc(GlState* gl, GLenum function)
{
    if (gl->DepthFunc == function)
        return;
    glDepthFunc(function);
    gl->DepthFunc = function;
}

void GlDepthMask(GlState* gl, bool on)
{
    if (gl->DepthMask == (on ? 1 : 0))
        return;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
    gl->DepthMask = on ? 1 : 0;
}

void GlFrontFace(GlState* gl, GLenum face)
{
    if (gl->FrontFace == face)
        return;
    glFrontFace(face);
    gl->FrontFace = face;
}

void GlBlendFunc(GlState* gl, GLenum source, GLenum destination)
{
    if (gl->BlendSource == source && gl->BlendDestination == destination)
        return;
    glBlendFunc(source, destination);
    gl->BlendSource = source;
    gl->BlendDestination = destination;
}

void GlBlendEquation(GlState* gl, GLenum equation)
{
    if (gl->BlendEquation == equation)
        return;
    glBlendEquation(equation);
    gl->BlendEquation = equation;
}

void GlColorMask(GlState* gl, bool red, bool green, bool blue, bool alpha)
{
    const GLint mask = (red ? 1 : 0) | (green ? 2 : 0) | (blue ? 4 : 0) | (alpha ? 8 : 0);
    if (gl->ColorMask == mask)
        return;
    glColorMask(red ? GL_TRUE : GL_FALSE, green ? GL_TRUE : GL_FALSE, blue ? GL_TRUE : GL_FALSE,
                alpha ? GL_TRUE : GL_FALSE);
    gl->ColorMask = mask;
}

void GlFillMode(GlState* gl, GLenum mode)
{
    if (gl->FillMode == mode)
        return;
    SetFillMode(mode);
    gl->FillMode = mode;
}

void GlViewport(GlState* gl, GLint x, GLint y, GLsizei width, GLsizei height)
{
    const GLint wanted[4] = {x, y, width, height};
    if (std::memcmp(gl->Viewport, wanted, sizeof wanted) == 0)
        return;
    glViewport(x, y, width, height);
    std::memcpy(gl->Viewport, wanted, sizeof wanted);
}

void GlDepthRange(GlState* gl, float nearZ, float farZ)
{
    const float wanted[2] = {nearZ, farZ};
    if (SameFloats(gl->DepthRange, wanted, 2))
        return;
    SetDepthRange(nearZ, farZ);
    std::memcpy(gl->DepthRange, wanted, sizeof wanted);
}

void GlSampler(GlState* gl, GLuint sampler, const GlSamplerShadow& wanted, bool anisotropic)
{
    GlSamplerShadow& s = gl->Sampler;
    if (s.MinFilter != wanted.MinFilter)
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, wanted.MinFilter);
    if (s.MagFilter != wanted.MagFilter)
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, wanted.MagFilter);
    if (anisotropic && !SameFloats(&s.Anisotropy, &wanted.Anisotropy, 1))
        glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, wanted.Anisotropy);
    if (s.WrapS != wanted.WrapS)
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, wanted.WrapS);
    if (s.WrapT != wanted.WrapT)
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, wanted.WrapT);
    if (!SameFloats(s.Border, wanted.Border, 4))
        SetSamplerBorderColor(sampler, wanted.Border);
    if (!SameFloats(&s.LodBias, &wanted.LodBias, 1))
        SetSamplerLodBias(sampler, wanted.LodBias);
    if (!SameFloats(&s.MinLod, &wanted.MinLod, 1))
        glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, wanted.MinLod);
    s = wanted;
}

void GlAttributeArray(GlState* gl, GLuint location, GLuint buffer, GLint size, GLenum type,
                      GLboolean normalized, GLsizei stride, uintptr_t offset)
{
    GlAttributeShadow& a = gl->Attributes[location];
    if (a.Buffer != buffer || a.Size != size || a.Type != type || a.Normalized != normalized ||
        a.Stride != stride || a.Offset != offset)
    {
        GlBindArrayBuffer(gl, buffer);
        glVertexAttribPointer(location, size, type, normalized, stride,
                              reinterpret_cast<const void*>(offset));
        a.Buffer = buffer;
        a.Size = size;
        a.Type = type;
        a.Normalized = normalized;
        a.Stride = stride;
        a.Offset = offset;
    }
    if (a.Enabled != 1)
    {
        glEnableVertexAttribArray(location);
        a.Enabled = 1;
    }
}

void GlAttributeConstant(GlState* gl, GLuint location, const float value[4])
{
    GlAttributeShadow& a = gl->Attributes[location];
    if (a.Enabled != 0)
    {
        glDisableVertexAttribArray(location);
        a.Enabled = 0;
    }
    if (SameFloats(gl->Constants[location], value, 4))
        return;
    glVertexAttrib4fv(location, value);
    std::memcpy(gl->Constants[location], value, sizeof gl->Constants[location]);
}
} // namespace d3d8
