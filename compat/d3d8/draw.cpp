// Drawing: scenes, Clear, the vertex format and stream, and DrawPrimitive and DrawPrimitiveUP
// with the validation the game relies on. Each draw brings GL up to date first
// (state_upload.cpp) and points the shader's inputs at its vertices (vertex_layout.cpp).
#include "d3d8_internal.h"

#include <algorithm>

using namespace d3d8;

namespace
{
// The checks every draw makes; D3D_OK means the draw may go ahead.
HRESULT CheckDraw(IDirect3DDevice8::Impl* device, D3DPRIMITIVETYPE type, UINT count,
                  VertexLayout* layout, uint64_t* vertices, GLenum* mode)
{
    if (!device->InScene)
    {
        LogOnce("draw-outside-scene", "d3d8", "a draw outside BeginScene and EndScene is refused");
        return D3DERR_INVALIDCALL;
    }
    *layout = LayoutOfFvf(device->VertexShader);
    if (!layout->Valid)
    {
        LogOnce("draw-fvf", "d3d8", "a draw with vertex format 0x%x is refused",
                device->VertexShader);
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
bool CreateDrawObjects(IDirect3DDevice8::Impl* device)
{
    GlState* gl = &device->Shared->Gl;
    ForgetGlState(gl);
    if (!CreatePrograms(device))
        return false;
    ForgetProgram(gl); // compiling made the program current
    glGenBuffers(1, &device->UserBuffer);
    glGenSamplers(1, &device->Sampler);
    glBindSampler(0, device->Sampler);
    if (device->ClipControl)
        SetClipZeroToOne();
    // Direct3D's flat shading takes the first vertex's colour.
    SetFirstVertexProvokes();
    // Culling removes back faces only; which winding is the back is the cull mode's.
    glCullFace(GL_BACK);
    GlEnable(gl, GL_DITHER, false);
    return glGetError() == GL_NO_ERROR;
}

void DestroyDrawObjects(IDirect3DDevice8::Impl* device)
{
    GlState* gl = &device->Shared->Gl;
    DestroyPrograms(device);
    ForgetProgram(gl);
    DestroyCostQueries(device);
    DeleteAllVertexArrays(device->Shared);
    ForgetBuffer(gl, device->UserBuffer);
    if (device->UserBuffer)
        glDeleteBuffers(1, &device->UserBuffer);
    if (device->Sampler)
        glDeleteSamplers(1, &device->Sampler);
    device->UserBuffer = device->Sampler = 0;
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
        GlState* gl = &impl->Shared->Gl;
        GlBindFramebuffer(gl, GL_FRAMEBUFFER, impl->Framebuffer);
        GLbitfield mask = 0;
        if (flags & D3DCLEAR_TARGET)
        {
            float c[4];
            ColorToFloats(color, c);
            glClearColor(c[0], c[1], c[2], c[3]);
            GlColorMask(gl, true, true, true, true);
            mask |= GL_COLOR_BUFFER_BIT;
        }
        if (flags & D3DCLEAR_ZBUFFER)
        {
            SetClearDepth(std::min(std::max(z, 0.0f), 1.0f));
            GlDepthMask(gl, true);
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
        GlEnable(gl, GL_SCISSOR_TEST, true);
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
        GlEnable(gl, GL_SCISSOR_TEST, false);
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
        LogOnce("fvf-refused", "d3d8", "vertex format 0x%x cannot be drawn by the stand-in",
                handle);
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
            LogOnce("draw-no-stream", "d3d8",
                    "a draw without a vertex buffer on stream 0 is refused");
            result = D3DERR_INVALIDCALL;
        }
        else if (stride < layout.Size ||
                 (uint64_t(startVertex) + vertices - 1) * stride + layout.Size >
                     stream->impl->Length)
        {
            LogOnce("draw-range", "d3d8", "a draw beyond the end of its vertex buffer is refused");
            result = D3DERR_INVALIDCALL;
        }
    }
    if (result == D3D_OK && primitiveCount > 0 && !impl->Lost && EnsureCurrent(impl))
    {
        GlBindFramebuffer(&impl->Shared->Gl, GL_FRAMEBUFFER, impl->Framebuffer);
        if (!ApplyState(impl, layout))
            result = D3DERR_DRIVERINTERNALERROR;
        else
        {
            BindAttributes(impl, stream->impl->Buffer, layout, stride);
            DrawArrays(impl, layout, mode, static_cast<GLint>(startVertex),
                       static_cast<GLsizei>(vertices));
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
        GlState* gl = &impl->Shared->Gl;
        GlBindFramebuffer(gl, GL_FRAMEBUFFER, impl->Framebuffer);
        const GLsizeiptr bytes =
            static_cast<GLsizeiptr>((vertices - 1) * vertexStreamZeroStride + layout.Size);
        GlBindArrayBuffer(gl, impl->UserBuffer);
        // A fresh store each time, so the driver never waits on the previous draw.
        glBufferData(GL_ARRAY_BUFFER, bytes, vertexStreamZeroData, GL_STREAM_DRAW);
        if (!ApplyState(impl, layout))
            result = D3DERR_DRIVERINTERNALERROR;
        else
        {
            BindAttributes(impl, impl->UserBuffer, layout, vertexStreamZeroStride);
            DrawArrays(impl, layout, mode, 0, static_cast<GLsizei>(vertices));
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
