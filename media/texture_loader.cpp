// D3DXCreateTextureFromFileExA: a device texture from a bitmap file. The picture work is
// texture_image.cpp's; this file only talks to the device through its public interface
// (CreateTexture, then LockRect/UnlockRect on every level).
#include "texture_image.h"

#include <utility>

#include "common/log/log.h"

HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, LPCSTR srcFile, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage,
                                            D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                            DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture8** texture)
{
    // The subset never makes palettised textures, so there is never a palette to hand back.
    (void)palette;
    if (texture)
        *texture = nullptr;
    if (!device || !srcFile || !texture)
        return D3DERR_INVALIDCALL;

    d3dx::Image image;
    D3DXIMAGE_INFO info{};
    HRESULT hr = d3dx::ReadBitmapFile(srcFile, &image, &info);
    if (FAILED(hr))
    {
        Log("D3DX", "cannot read the bitmap %s (missing, unreadable or not a bitmap)", srcFile);
        return hr;
    }
    if (srcInfo)
        *srcInfo = info;

    d3dx::TextureRequest request{width, height, mipLevels, format, filter, mipFilter, colorKey};
    std::vector<d3dx::Image> levels;
    D3DFORMAT chosen = D3DFMT_UNKNOWN;
    hr = d3dx::BuildTextureLevels(std::move(image), request, &levels, &chosen);
    if (FAILED(hr))
    {
        Log("D3DX", "%s: size %ux%u or filter 0x%x/0x%x not possible", srcFile, width, height,
            unsigned(filter), unsigned(mipFilter));
        return hr;
    }
    if (format != D3DFMT_UNKNOWN && chosen != format)
        Log("D3DX", "%s: cannot write texel format %d; the texture is made in format %d instead",
            srcFile, int(format), int(chosen));

    IDirect3DTexture8* made = nullptr;
    hr = device->CreateTexture(levels[0].Width, levels[0].Height, UINT(levels.size()), usage,
                               chosen, pool, &made);
    if (FAILED(hr) || !made)
    {
        Log("D3DX", "%s: the device refused a %ux%u texture of %zu levels in format %d", srcFile,
            levels[0].Width, levels[0].Height, levels.size(), int(chosen));
        return FAILED(hr) ? hr : E_FAIL;
    }
    for (UINT level = 0; level < UINT(levels.size()); ++level)
    {
        D3DSURFACE_DESC desc{};
        D3DLOCKED_RECT locked{};
        hr = made->GetLevelDesc(level, &desc);
        if (SUCCEEDED(hr) && (desc.Width != levels[level].Width ||
                              desc.Height != levels[level].Height || desc.Format != chosen))
            hr = E_FAIL;
        if (SUCCEEDED(hr))
            hr = made->LockRect(level, &locked, nullptr, 0);
        if (FAILED(hr) || !locked.pBits)
        {
            Log("D3DX", "%s: cannot fill level %u of the texture", srcFile, level);
            if (SUCCEEDED(hr))
                made->UnlockRect(level);
            made->Release();
            return FAILED(hr) ? hr : E_FAIL;
        }
        d3dx::WriteTexels(levels[level], chosen, static_cast<BYTE*>(locked.pBits), locked.Pitch);
        made->UnlockRect(level);
    }
    *texture = made;
    return D3D_OK;
}
