// Textures: a chain of mip levels kept in CPU memory in the Direct3D format's own texel layout
// (16-bit formats keep 16-bit texels) and mirrored in a GL texture of a matching internal
// format; LockRect hands out a level's memory with its real pitch and UnlockRect uploads it.
#include "d3d8_internal.h"

#include <algorithm>

#include "common/math/mip_levels.h"

using namespace d3d8;

namespace
{
void UploadLevel(IDirect3DBaseTexture8::Impl* texture, UINT level)
{
    const IDirect3DBaseTexture8::Impl::Level& l = texture->Levels[level];
    // Uploads go through unit 1, so the texture bound for drawing on unit 0 stays put.
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, texture->Texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    TexImage(true, static_cast<GLint>(level), texture->Format->Internal,
             static_cast<GLsizei>(l.Width), static_cast<GLsizei>(l.Height), texture->Format->Layout,
             texture->Format->Type, l.Bits.data());
    glActiveTexture(GL_TEXTURE0);
}
} // namespace

HRESULT IDirect3DDevice8::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                        D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const ColorFormat* colorFormat = FindColorFormat(format);
    const UINT maxSize = static_cast<UINT>(impl->Shared->MaxTextureSize);
    if (!colorFormat)
    {
        Log("d3d8", "CreateTexture: format %d is not a texture format of the stand-in", format);
        return D3DERR_INVALIDCALL;
    }
    if (width == 0 || height == 0 || width > maxSize || height > maxSize ||
        pool > D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    if (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL))
    {
        Log("d3d8", "CreateTexture: render-target textures are not emulated");
        return D3DERR_INVALIDCALL;
    }
    const UINT chain = FullMipLevelCount(width, height);
    if (levels == 0)
        levels = chain;
    if (levels > chain)
        return D3DERR_INVALIDCALL;
    if (!EnsureCurrent(impl))
        return D3DERR_INVALIDCALL;

    IDirect3DTexture8* object = new IDirect3DTexture8;
    IDirect3DBaseTexture8::Impl* t = new IDirect3DBaseTexture8::Impl;
    object->impl = t;
    t->Self = object;
    t->Shared = impl->Shared;
    t->Format = colorFormat;
    t->Pool = pool;
    t->Usage = usage;
    t->Levels.resize(levels);
    size_t bytes = 0;
    UINT w = width;
    UINT h = height;
    for (IDirect3DBaseTexture8::Impl::Level& level : t->Levels)
    {
        level.Width = w;
        level.Height = h;
        level.Pitch = w * colorFormat->BytesPerPixel;
        level.Bits.assign(size_t(level.Pitch) * h, 0);
        bytes += level.Bits.size();
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    glGenTextures(1, &t->Texture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, t->Texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    for (UINT i = 0; i < levels; ++i)
        TexImage(false, static_cast<GLint>(i), colorFormat->Internal,
                 static_cast<GLsizei>(t->Levels[i].Width),
                 static_cast<GLsizei>(t->Levels[i].Height), colorFormat->Layout, colorFormat->Type,
                 t->Levels[i].Bits.data());
    // Only the levels that exist take part in mip-mapping.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    glActiveTexture(GL_TEXTURE0);
    bool outOfMemory = false;
    TakeGlErrors(&outOfMemory);
    if (outOfMemory)
    {
        glDeleteTextures(1, &t->Texture);
        delete t;
        delete object;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    impl->Shared->Retain();
    impl->Shared->ResourceBytes += bytes;
    if (pool == D3DPOOL_DEFAULT)
        ++impl->Shared->DefaultPoolResources;
    *texture = object;
    return D3D_OK;
}

ULONG IDirect3DBaseTexture8::AddRef()
{
    return ++impl->References;
}

ULONG IDirect3DBaseTexture8::Release()
{
    const ULONG left = --impl->References;
    if (left == 0)
    {
        SharedContext* shared = impl->Shared;
        if (shared->MakeCurrent())
        {
            ForgetTexture(&shared->Gl, impl->Texture);
            glDeleteTextures(1, &impl->Texture);
        }
        for (const Impl::Level& level : impl->Levels)
            shared->ResourceBytes -= level.Bits.size();
        if (impl->Pool == D3DPOOL_DEFAULT)
            --shared->DefaultPoolResources;
        shared->Release();
        IDirect3DTexture8* self = impl->Self;
        delete impl;
        delete self;
    }
    return left;
}

DWORD IDirect3DBaseTexture8::GetLevelCount()
{
    return static_cast<DWORD>(impl->Levels.size());
}

HRESULT IDirect3DTexture8::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || level >= impl->Levels.size())
        return D3DERR_INVALIDCALL;
    const Impl::Level& l = impl->Levels[level];
    desc->Format = impl->Format->Format;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = impl->Usage;
    desc->Pool = impl->Pool;
    desc->Size = static_cast<UINT>(l.Bits.size());
    desc->MultiSampleType = D3DMULTISAMPLE_NONE;
    desc->Width = l.Width;
    desc->Height = l.Height;
    return D3D_OK;
}

HRESULT IDirect3DTexture8::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                    DWORD flags)
{
    if (!lockedRect || level >= impl->Levels.size())
        return D3DERR_INVALIDCALL;
    Impl::Level& l = impl->Levels[level];
    if (l.Locked)
        return D3DERR_INVALIDCALL;
    RECT area = {0, 0, static_cast<LONG>(l.Width), static_cast<LONG>(l.Height)};
    if (rect)
    {
        if (rect->left < 0 || rect->top < 0 || rect->right > area.right ||
            rect->bottom > area.bottom || rect->left >= rect->right || rect->top >= rect->bottom)
            return D3DERR_INVALIDCALL;
        area = *rect;
    }
    l.Locked = true;
    l.ReadOnly = (flags & D3DLOCK_READONLY) != 0;
    l.LockedRect = area;
    lockedRect->Pitch = static_cast<INT>(l.Pitch);
    lockedRect->pBits = l.Bits.data() + size_t(area.top) * l.Pitch +
                        size_t(area.left) * impl->Format->BytesPerPixel;
    return D3D_OK;
}

HRESULT IDirect3DTexture8::UnlockRect(UINT level)
{
    if (level >= impl->Levels.size() || !impl->Levels[level].Locked)
        return D3DERR_INVALIDCALL;
    Impl::Level& l = impl->Levels[level];
    l.Locked = false;
    if (!l.ReadOnly && impl->Shared->MakeCurrent())
        UploadLevel(impl, level);
    return D3D_OK;
}
