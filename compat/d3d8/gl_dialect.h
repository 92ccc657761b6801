// The one place where the two GL dialects the device runs on differ: OpenGL 3.3 core on the
// desktop (through libepoxy) and OpenGL ES 3.0 in a browser (WebGL 2). The rest of the
// translation is written once, in the calls both dialects share; what only one of them has goes
// through the helpers below, and the desktop names ES lacks are given meanings here.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#include <GLES2/gl2ext.h>
#else
#include <epoxy/gl.h>
#endif

#include <cstddef>
#include <cstdint>

namespace d3d8
{

#ifdef __EMSCRIPTEN__
constexpr bool kGlEs = true;
// The lowest version the translation needs, as major * 10 + minor.
constexpr int kGlRequiredVersion = 30;
// Heads every shader: the language version, the precision ES wants stated, and the order of a
// D3DCOLOR attribute's components (ES has no BGRA attribute size, so the shader swaps them).
constexpr const char* kShaderPrelude = "#version 300 es\n"
                                       "precision highp float;\n"
                                       "precision highp int;\n"
                                       "#define COLOR_BYTE_ORDER bgra\n";
// A D3DCOLOR vertex attribute: four normalised bytes, swapped in the shader.
constexpr GLint kColorAttributeSize = 4;
// ES queries only tell whether any sample passed; counting them needs the desktop's query.
constexpr GLenum kSamplesPassedQuery = 0;
#else
constexpr bool kGlEs = false;
constexpr int kGlRequiredVersion = 33;
constexpr const char* kShaderPrelude = "#version 330 core\n"
                                       "#define COLOR_BYTE_ORDER rgba\n";
// The bytes B, G, R, A in memory read in that order by the GL_BGRA size.
constexpr GLint kColorAttributeSize = GL_BGRA;
constexpr GLenum kSamplesPassedQuery = GL_SAMPLES_PASSED;
#endif

#ifdef __EMSCRIPTEN__
// Names of the format table that ES lacks. The client layouts keep their desktop values as the
// names of Direct3D's texel layouts, which TexImage converts; the internal formats fall back to
// what ES has of the same bits (no 555 without alpha: X1R5G5B5 is stored as 5551, its unused bit
// read as alpha; no 32-bit integer depth: D32 is not offered).
#define GL_BGRA                       0x80E1
#define GL_UNSIGNED_INT_8_8_8_8_REV   0x8367
#define GL_UNSIGNED_SHORT_1_5_5_5_REV 0x8366
#define GL_UNSIGNED_SHORT_4_4_4_4_REV 0x8365
#define GL_RGB5                       GL_RGB5_A1
#define GL_DEPTH_COMPONENT32          0
// ES 3.0 samplers have no border colour: border addressing clamps to the edge texel.
#define GL_CLAMP_TO_BORDER GL_CLAMP_TO_EDGE
// Fill modes, for the translation table; ES draws solid only (SetFillMode says so).
#define GL_POINT 0x1B00
#define GL_LINE  0x1B01
#define GL_FILL  0x1B02
#endif

// The context's version as major * 10 + minor; 0 without a current context.
int GlVersion();
// Whether the current context offers an extension, named as on the desktop ("GL_EXT_...").
bool GlHasExtension(const char* name);
// The renderer's name: the driver's GL_RENDERER; in a browser, which masks it as "WebKit WebGL",
// the name behind the mask where the browser tells it (WEBGL_debug_renderer_info).
const char* GlRendererName();
// Whether glClipControl exists: Direct3D's depth range without shader arithmetic.
bool GlHasClipControl();

// Calls with the same meaning whose names or arguments differ.
void SetDepthRange(float nearZ, float farZ);
void SetClearDepth(float depth);
// Direct3D's 0..1 depth range and top-left origin where the context has glClipControl.
void SetClipZeroToOne();
// Flat shading takes the first vertex's colour, as in Direct3D; ES takes the last one and says so
// once when a flat-shaded draw is asked for (see NoteFlatShading).
void SetFirstVertexProvokes();
void NoteFlatShading();
// GL_FILL, GL_LINE or GL_POINT for both faces; ES fills, and says once that it cannot do more.
void SetFillMode(GLenum mode);
// Sampler states ES 3.0 lacks (border colour, level-of-detail bias) are logged once when they
// differ from their defaults and otherwise left alone.
void SetSamplerBorderColor(GLuint sampler, const float color[4]);
void SetSamplerLodBias(GLuint sampler, float bias);
// A framebuffer without a colour attachment draws and reads nothing.
void SetNoColorBuffer();

// Uploads one texture level from Direct3D texels (`layout`, `type` as the format table names
// them; rows packed, no padding). `sub` replaces an existing level's texels instead of
// (re)defining it. ES has no BGRA or reversed packed types, so the texels are reordered first.
void TexImage(bool sub, GLint level, GLenum internalFormat, GLsizei width, GLsizei height,
              GLenum layout, GLenum type, const void* texels);
// Reads the bound read framebuffer's colour as 0xAARRGGBB values, GL's bottom row first.
void ReadPixelsArgb(GLsizei width, GLsizei height, uint32_t* pixels);

} // namespace d3d8
