// The OpenGL probe: once per run, a GL 3.3 core context on a hidden window tells what the driver
// can really do (limits, anisotropic filtering, which back-buffer and depth formats make a
// complete framebuffer). The Direct3D object answers its capability and format questions from it.
#include "d3d8_internal.h"

#include <dlfcn.h>
#include <link.h>

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

// A framebuffer with these attachments in a 4 x 4 size is complete.
bool Complete(GLenum color, GLenum depth)
{
    while (glGetError() != GL_NO_ERROR)
    {
    }
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
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
    }
    const bool complete = glGetError() == GL_NO_ERROR &&
                          glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(2, buffers);
    glDeleteFramebuffers(1, &framebuffer);
    return complete;
}

void Measure(GlProbe& probe)
{
    CopyString(probe.Renderer, sizeof probe.Renderer, glGetString(GL_RENDERER));
    CopyString(probe.Vendor, sizeof probe.Vendor, glGetString(GL_VENDOR));
    CopyString(probe.Version, sizeof probe.Version, glGetString(GL_VERSION));
    const int version = epoxy_gl_version();
    probe.VersionMajor = version / 10;
    probe.VersionMinor = version % 10;
    probe.Software = Contains(probe.Renderer, "llvmpipe") || Contains(probe.Renderer, "softpipe") ||
                     Contains(probe.Renderer, "swrast");
    probe.ClipControl = version >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    probe.Anisotropic = version >= 46 ||
                        epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
                        epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
    probe.MaxAnisotropy = 1.0f;
    if (probe.Anisotropic)
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &probe.MaxAnisotropy);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &probe.MaxTextureSize);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &probe.MaxRenderbufferSize);

    UINT colorCount = 0;
    UINT depthCount = 0;
    const ColorFormat* colors = ColorFormats(&colorCount);
    const DepthFormat* depths = DepthFormats(&depthCount);
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

void RequestCoreContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
}

const GlProbe* Probe()
{
    if (ProbeDone)
        return ProbeOk ? &ProbeResult : nullptr;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return nullptr; // no Direct3D object yet; try again once there is one
    ProbeDone = true;

    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    SDL_Window* window =
        SDL_CreateWindow("d3d8 probe", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16, 16,
                         SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR);
    if (!window)
    {
        Log("no OpenGL window on this display (%s): no capabilities to report", SDL_GetError());
        return nullptr;
    }
    RequestCoreContext();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
    {
        Log("no OpenGL 3.3 core context (%s): no capabilities to report", SDL_GetError());
        SDL_DestroyWindow(window);
        return nullptr;
    }
    KeepGlDriverLoaded();
    if (epoxy_gl_version() < 33)
        Log("the GL driver offers only version %d.%d; 3.3 is needed", epoxy_gl_version() / 10,
            epoxy_gl_version() % 10);
    else
    {
        Measure(ProbeResult);
        ProbeOk = true;
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    if (previousContext)
        SDL_GL_MakeCurrent(previousWindow, previousContext);
    return ProbeOk ? &ProbeResult : nullptr;
}
namespace
{
int PinObject(struct dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name && info->dlpi_name[0])
    {
        // RTLD_NOLOAD promotes an object that is already loaded without loading anything new.
        void* handle = dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        if (handle)
            dlclose(handle);
    }
    return 0;
}
} // namespace

void KeepGlDriverLoaded()
{
    static bool pinned = false;
    if (pinned)
        return;
    pinned = true;
    dl_iterate_phdr(PinObject, nullptr);
}
} // namespace d3d8
