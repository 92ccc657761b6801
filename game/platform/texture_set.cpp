// The texture set: the twenty textures the game draws with, created from textures/*.bmp at
// start-up in a fixed order and released at shutdown. They live in the managed pool, so a device
// reset does not touch them.
#include "game/platform/texture_set.h"

#include <d3dx8.h>

#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"

// Live from start-up to shutdown; each handle null until loaded and again after release.
TextureSetRecord TextureSet;

namespace
{
// How a file is turned into a texture: most pictures take the display's format with the full mip
// chain; the title and the snow keep an alpha channel so their black becomes transparent.
enum TextureKind
{
    Opaque,
    TitlePicture,
    SnowPicture
};

struct TextureRow
{
    const char* file;
    const char* failureText;
    TextureKind kind;
    IDirect3DTexture8** handle;
};

// The load order, which is also the order in which a missing file is found.
const TextureRow TextureRows[] = {
#define TEXTURE_FILE(name, member, kind, painter, failureText)                                     \
    {"textures/" #name ".bmp", failureText, kind, &TextureSet.member},
#include "common/texture_files.def"
#undef TEXTURE_FILE
};

// Opaque black, the colour key that cuts the background out of the title and the snow flakes.
const D3DCOLOR TransparentBlack = 0xFF000000;

HRESULT CreateTexture(const TextureRow& row)
{
    switch (row.kind)
    {
    case TitlePicture:
        return D3DXCreateTextureFromFileExA(Device, row.file, 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                            D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_FILTER_POINT,
                                            TransparentBlack, nullptr, nullptr, row.handle);
    case SnowPicture:
        return D3DXCreateTextureFromFileExA(Device, row.file, 0, 0, 5, 0, D3DFMT_A8R8G8B8,
                                            D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_FILTER_POINT,
                                            TransparentBlack, nullptr, nullptr, row.handle);
    case Opaque:
    default:
        return D3DXCreateTextureFromFileExA(
            Device, row.file, 0, 0, 0, 0, DisplaySettings.DisplayMode.Format, D3DPOOL_MANAGED,
            D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, row.handle);
    }
}
} // namespace

const char* LoadTextures()
{
    for (const TextureRow& row : TextureRows)
    {
        if (CreateTexture(row) != D3D_OK)
            return row.failureText;
    }
    return nullptr;
}

void ReleaseTextures()
{
    for (const TextureRow& row : TextureRows)
    {
        if (*row.handle != nullptr)
        {
            (*row.handle)->Release();
            *row.handle = nullptr;
        }
    }
}
