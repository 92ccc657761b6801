// Vertex buffers: CPU memory that Lock hands out and a GL buffer that Unlock fills from it. Every
// pool keeps its contents across Reset; only default-pool buffers are counted, because Reset
// refuses to run while any of them lives, as on the platform.
#include "d3d8_internal.h"

#include <algorithm>

using namespace d3d8;

HRESULT IDirect3DDevice8::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                             IDirect3DVertexBuffer8** vertexBuffer)
{
    if (!vertexBuffer)
        return D3DERR_INVALIDCALL;
    *vertexBuffer = nullptr;
    if (length == 0 || (fvf != 0 && !LayoutOfFvf(fvf).Valid) ||
        (fvf != 0 && length < LayoutOfFvf(fvf).Size) || pool > D3DPOOL_SYSTEMMEM ||
        (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)))
        return D3DERR_INVALIDCALL;
    if (!EnsureCurrent(impl))
        return D3DERR_INVALIDCALL;
    IDirect3DVertexBuffer8* object = new IDirect3DVertexBuffer8;
    IDirect3DVertexBuffer8::Impl* buffer = new IDirect3DVertexBuffer8::Impl;
    object->impl = buffer;
    buffer->Shared = impl->Shared;
    buffer->Length = length;
    buffer->Usage = usage;
    buffer->Fvf = fvf;
    buffer->Pool = pool;
    buffer->Data.assign(length, 0);
    glGenBuffers(1, &buffer->Buffer);
    GlBindArrayBuffer(&impl->Shared->Gl, buffer->Buffer);
    glBufferData(GL_ARRAY_BUFFER, length, buffer->Data.data(),
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    bool outOfMemory = false;
    TakeGlErrors(&outOfMemory);
    if (outOfMemory)
    {
        ForgetBuffer(&impl->Shared->Gl, buffer->Buffer);
        glDeleteBuffers(1, &buffer->Buffer);
        delete buffer;
        delete object;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    impl->Shared->Retain();
    impl->Shared->ResourceBytes += length;
    if (pool == D3DPOOL_DEFAULT)
        ++impl->Shared->DefaultPoolResources;
    *vertexBuffer = object;
    return D3D_OK;
}

ULONG IDirect3DVertexBuffer8::AddRef()
{
    return ++impl->References;
}

ULONG IDirect3DVertexBuffer8::Release()
{
    const ULONG left = --impl->References;
    if (left == 0)
    {
        SharedContext* shared = impl->Shared;
        if (shared->MakeCurrent())
        {
            DeleteVertexArrays(shared, impl->Buffer);
            ForgetBuffer(&shared->Gl, impl->Buffer);
            glDeleteBuffers(1, &impl->Buffer);
        }
        shared->ResourceBytes -= impl->Length;
        if (impl->Pool == D3DPOOL_DEFAULT)
            --shared->DefaultPoolResources;
        shared->Release();
        delete impl;
        delete this;
    }
    return left;
}

HRESULT IDirect3DVertexBuffer8::Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags)
{
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = nullptr;
    // A size of 0 locks everything from the offset on.
    const UINT size =
        sizeToLock == 0 ? impl->Length - std::min(offsetToLock, impl->Length) : sizeToLock;
    if (offsetToLock > impl->Length || size > impl->Length - offsetToLock)
        return D3DERR_INVALIDCALL;
    if (!(flags & D3DLOCK_READONLY))
    {
        if (impl->DirtyEnd == impl->DirtyBegin)
        {
            impl->DirtyBegin = offsetToLock;
            impl->DirtyEnd = offsetToLock + size;
        }
        else
        {
            impl->DirtyBegin = std::min(impl->DirtyBegin, offsetToLock);
            impl->DirtyEnd = std::max(impl->DirtyEnd, offsetToLock + size);
        }
    }
    ++impl->LockCount;
    *data = impl->Data.data() + offsetToLock;
    return D3D_OK;
}

HRESULT IDirect3DVertexBuffer8::Unlock()
{
    if (impl->LockCount == 0)
        return D3DERR_INVALIDCALL;
    if (--impl->LockCount > 0 || impl->DirtyEnd == impl->DirtyBegin)
        return D3D_OK;
    if (impl->Shared->MakeCurrent())
    {
        GlBindArrayBuffer(&impl->Shared->Gl, impl->Buffer);
        glBufferSubData(GL_ARRAY_BUFFER, impl->DirtyBegin, impl->DirtyEnd - impl->DirtyBegin,
                        impl->Data.data() + impl->DirtyBegin);
    }
    impl->DirtyBegin = impl->DirtyEnd = 0;
    return D3D_OK;
}

HRESULT IDirect3DVertexBuffer8::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    desc->Format = D3DFMT_VERTEXDATA;
    desc->Type = D3DRTYPE_VERTEXBUFFER;
    desc->Usage = impl->Usage;
    desc->Pool = impl->Pool;
    desc->Size = impl->Length;
    desc->FVF = impl->Fvf;
    return D3D_OK;
}
