// The helpers of gl_dialect.h, written once for each dialect: the WebGL 2 (OpenGL ES 3.0)
// versions first, built for the browser, then the desktop OpenGL 3.3 core versions. Where ES
// lacks a feature its version does the nearest thing and says so once on standard error.
#include "gl_dialect.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <cstring>
#include <vector>

#include "d3d8_internal.h"

namespace d3d8
{

#ifdef __EMSCRIPTEN__

namespace
{
// clang-format off
EM_JS(char*, UnmaskedRenderer, (), {
    const context = GL.currentContext && GL.currentContext.GLctx;
    const info = context && context.getExtension("WEBGL_debug_renderer_info");
    const name = info ? context.getParameter(info.UNMASKED_RENDERER_WEBGL)
                      : context ? context.getParameter(context.RENDERER) : "WebGL";
    return stringToNewUTF8(name || "WebGL");
});
// clang-format on
} // namespace

const char* GlRendererName()
{
    // Kept for the whole run: the probe asks once.
    static char* name = nullptr;
    if (!name)
        name = UnmaskedRenderer();
    return name;
}

int GlVersion()
{
    GLint major = 0;
    GLint minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    return major * 10 + minor;
}

bool GlHasExtension(const char* name)
{
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i)
    {
        const char* offered = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, GLuint(i)));
        if (offered && std::strcmp(offered, name) == 0)
            return true;
    }
    return false;
}

bool GlHasClipControl()
{
    return false;
}

void SetDepthRange(float nearZ, float farZ)
{
    glDepthRangef(nearZ, farZ);
}

void SetClearDepth(float depth)
{
    glClearDepthf(depth);
}

void SetClipZeroToOne()
{
    LogOnce("clip-control", "d3d8", "WebGL 2 has no clip control; the shader maps depth instead");
}

void SetFirstVertexProvokes() {}

void NoteFlatShading()
{
    LogOnce("flat-shading", "d3d8",
            "WebGL 2 flat shading takes the last vertex's colour, not the first");
}

void SetFillMode(GLenum mode)
{
    if (mode != GL_FILL)
        LogOnce("fill-mode", "d3d8",
                "WebGL 2 draws solid faces only; wireframe and point fill are not "
                "drawn as such");
}

void SetSamplerBorderColor(GLuint sampler, const float color[4])
{
    (void)sampler;
    if (color[0] != 0.0f || color[1] != 0.0f || color[2] != 0.0f || color[3] != 0.0f)
        LogOnce("border-colour", "d3d8",
                "WebGL 2 has no border colour; border addressing clamps to the "
                "edge texel");
}

void SetSamplerLodBias(GLuint sampler, float bias)
{
    (void)sampler;
    if (bias != 0.0f)
        LogOnce("lod-bias", "d3d8", "WebGL 2 samplers have no level-of-detail bias; it is ignored");
}

void SetNoColorBuffer()
{
    const GLenum none = GL_NONE;
    glDrawBuffers(1, &none);
    glReadBuffer(GL_NONE);
}

namespace
{
// Direct3D texels of one of the format table's layouts in the order and packing ES reads.
// Returns the ES layout and type to upload with.
void ConvertTexels(GLenum layout, GLenum type, GLsizei width, GLsizei height, const void* texels,
                   std::vector<uint8_t>* out, GLenum* esLayout, GLenum* esType)
{
    const size_t count = size_t(width) * size_t(height);
    if (type == GL_UNSIGNED_INT_8_8_8_8_REV)
    {
        // B, G, R, A bytes to R, G, B, A.
        const uint8_t* in = static_cast<const uint8_t*>(texels);
        out->resize(count * 4);
        for (size_t i = 0; i < count; ++i)
        {
            (*out)[i * 4 + 0] = in[i * 4 + 2];
            (*out)[i * 4 + 1] = in[i * 4 + 1];
            (*out)[i * 4 + 2] = in[i * 4 + 0];
            (*out)[i * 4 + 3] = in[i * 4 + 3];
        }
        *esLayout = GL_RGBA;
        *esType = GL_UNSIGNED_BYTE;
        return;
    }
    const uint16_t* in = static_cast<const uint16_t*>(texels);
    out->resize(count * 2);
    uint16_t* words = reinterpret_cast<uint16_t*>(out->data());
    if (type == GL_UNSIGNED_SHORT_1_5_5_5_REV)
    {
        // A RRRRR GGGGG BBBBB to RRRRR GGGGG BBBBB A.
        for (size_t i = 0; i < count; ++i)
            words[i] = uint16_t(((in[i] & 0x7FFF) << 1) | (in[i] >> 15));
        *esType = GL_UNSIGNED_SHORT_5_5_5_1;
    }
    else
    {
        // AAAA RRRR GGGG BBBB to RRRR GGGG BBBB AAAA.
        for (size_t i = 0; i < count; ++i)
            words[i] = uint16_t((in[i] << 4) | (in[i] >> 12));
        *esType = GL_UNSIGNED_SHORT_4_4_4_4;
    }
    (void)layout;
    *esLayout = GL_RGBA;
}
} // namespace

void TexImage(bool sub, GLint level, GLenum internalFormat, GLsizei width, GLsizei height,
              GLenum layout, GLenum type, const void* texels)
{
    std::vector<uint8_t> converted;
    GLenum esLayout = layout;
    GLenum esType = type;
    const bool reorder = texels && layout == GL_BGRA;
    if (reorder)
    {
        ConvertTexels(layout, type, width, height, texels, &converted, &esLayout, &esType);
        texels = converted.data();
    }
    else if (layout == GL_BGRA)
    {
        esLayout = GL_RGBA;
        esType = type == GL_UNSIGNED_INT_8_8_8_8_REV     ? GL_UNSIGNED_BYTE
                 : type == GL_UNSIGNED_SHORT_1_5_5_5_REV ? GL_UNSIGNED_SHORT_5_5_5_1
                                                         : GL_UNSIGNED_SHORT_4_4_4_4;
    }
    // X8R8G8B8 is stored as RGB8, which ES fills from RGB triplets only.
    if (internalFormat == GL_RGB8 && esLayout == GL_RGBA)
    {
        const size_t count = size_t(width) * size_t(height);
        std::vector<uint8_t> rgb(texels ? count * 3 : 0);
        const uint8_t* rgba = static_cast<const uint8_t*>(texels);
        for (size_t i = 0; texels && i < count; ++i)
            std::memcpy(&rgb[i * 3], rgba + i * 4, 3);
        converted.swap(rgb);
        texels = texels ? converted.data() : nullptr;
        esLayout = GL_RGB;
    }
    if (sub)
        glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width, height, esLayout, esType, texels);
    else
        glTexImage2D(GL_TEXTURE_2D, level, GLint(internalFormat), width, height, 0, esLayout,
                     esType, texels);
}

void ReadPixelsArgb(GLsizei width, GLsizei height, uint32_t* pixels)
{
    const size_t count = size_t(width) * size_t(height);
    std::vector<uint8_t> rgba(count * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (size_t i = 0; i < count; ++i)
        pixels[i] = uint32_t(rgba[i * 4 + 3]) << 24 | uint32_t(rgba[i * 4 + 0]) << 16 |
                    uint32_t(rgba[i * 4 + 1]) << 8 | uint32_t(rgba[i * 4 + 2]);
}

#else

const char* GlRendererName()
{
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "unknown";
}

int GlVersion()
{
    return epoxy_gl_version();
}

bool GlHasExtension(const char* name)
{
    return epoxy_has_gl_extension(name);
}

bool GlHasClipControl()
{
    return GlVersion() >= 45 || GlHasExtension("GL_ARB_clip_control");
}

void SetDepthRange(float nearZ, float farZ)
{
    glDepthRange(nearZ, farZ);
}

void SetClearDepth(float depth)
{
    glClearDepth(depth);
}

void SetClipZeroToOne()
{
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
}

void SetFirstVertexProvokes()
{
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
}

void NoteFlatShading() {}

void SetFillMode(GLenum mode)
{
    glPolygonMode(GL_FRONT_AND_BACK, mode);
}

void SetSamplerBorderColor(GLuint sampler, const float color[4])
{
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, color);
}

void SetSamplerLodBias(GLuint sampler, float bias)
{
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, bias);
}

void SetNoColorBuffer()
{
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
}

void TexImage(bool sub, GLint level, GLenum internalFormat, GLsizei width, GLsizei height,
              GLenum layout, GLenum type, const void* texels)
{
    if (sub)
        glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width, height, layout, type, texels);
    else
        glTexImage2D(GL_TEXTURE_2D, level, GLint(internalFormat), width, height, 0, layout, type,
                     texels);
}

void ReadPixelsArgb(GLsizei width, GLsizei height, uint32_t* pixels)
{
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
}

#endif

} // namespace d3d8
