// The GL probe: once per run, a context on a hidden surface tells what the driver can really do
// (limits, anisotropic filtering, which back-buffer and depth formats make a complete
// framebuffer). The Direct3D object answers its capability and format questions from it.
#include "d3d8_internal.h"

#include <cstdio>
#include <cstring>

namespace d3d8
{
namespace
{
// Lives for the whole run: the probe result, made on first use.
bool ProbeDone = false;
bool ProbeOk = false;
GlProbe ProbeResult;

void CopyString(char* target, size_t size, const GLubyte* text)
{
    std::snprintf(target, size, "%s", text ? reinterpret_cast<const char*>(text) : "unknown");
}

bool Contains(const char* text, const char* part)
{
    return std::strstr(text, part) != nullptr;
}

// A framebuffer with these attachments in a 4 x 4 size is complete. Leaves no error behind.
bool Complete(GLenum color, GLenum depth)
{
    GLuint framebuffer = 0;
    GLuint buffers[2] = {0, 0};
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(2, buffers);
    if (color)
    {
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, color, 4, 4);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  buffers[0]);
    }
    if (depth)
    {
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, depth, 4, 4);
        const GLenum attachment =
            depth == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, buffers[1]);
    }
    if (!color)
    {
        SetNoColorBuffer();
    }
    const bool complete = TakeGlErrors() == GL_NO_ERROR &&
                          glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(2, buffers);
    glDeleteFramebuffers(1, &framebuffer);
    return complete;
}

void Measure(GlProbe& probe)
{
    CopyString(probe.Renderer, sizeof probe.Renderer,
               reinterpret_cast<const GLubyte*>(GlRendererName()));
    CopyString(probe.Vendor, sizeof probe.Vendor, glGetString(GL_VENDOR));
    CopyString(probe.Version, sizeof probe.Version, glGetString(GL_VERSION));
    const int version = GlVersion();
    probe.VersionMajor = version / 10;
    probe.VersionMinor = version % 10;
    probe.Software = Contains(probe.Renderer, "llvmpipe") || Contains(probe.Renderer, "softpipe") ||
                     Contains(probe.Renderer, "swrast") || Contains(probe.Renderer, "SwiftShader");
    probe.ClipControl = GlHasClipControl();
    probe.Anisotropic = (!kGlEs && version >= 46) ||
                        GlHasExtension("GL_EXT_texture_filter_anisotropic") ||
                        GlHasExtension("GL_ARB_texture_filter_anisotropic");
    probe.MaxAnisotropy = 1.0f;
    if (probe.Anisotropic)
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &probe.MaxAnisotropy);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &probe.MaxTextureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &probe.MaxRenderbufferSize);

    UINT colorCount = 0;
    UINT depthCount = 0;
    const ColorFormat* colors = ColorFormats(&colorCount);
    const DepthFormat* depths = DepthFormats(&depthCount);
    TakeGlErrors();
    for (UINT c = 0; c < colorCount; ++c)
        probe.ColorRenderable[c] = Complete(colors[c].Internal, 0);
    for (UINT d = 0; d < depthCount; ++d)
        probe.DepthRenderable[d] = depths[d].Internal && Complete(0, depths[d].Internal);
    for (UINT c = 0; c < colorCount; ++c)
        for (UINT d = 0; d < depthCount; ++d)
            probe.DepthWithColor[c][d] = probe.ColorRenderable[c] && probe.DepthRenderable[d] &&
                                         Complete(colors[c].Internal, depths[d].Internal);
}
} // namespace

const GlProbe* Probe()
{
    if (ProbeDone)
        return ProbeOk ? &ProbeResult : nullptr;
    if (DisplayCount() < 1)
        return nullptr; // no Direct3D object yet; try again once there is one
    ProbeDone = true;
    if (!OpenProbeContext())
        return nullptr;
    if (GlVersion() < kGlRequiredVersion)
        Log("d3d8", "the GL driver offers only version %d.%d; %d.%d is needed", GlVersion() / 10,
            GlVersion() % 10, kGlRequiredVersion / 10, kGlRequiredVersion % 10);
    else
    {
        Measure(ProbeResult);
        ProbeOk = true;
    }
    CloseProbeContext();
    return ProbeOk ? &ProbeResult : nullptr;
}
} // namespace d3d8
