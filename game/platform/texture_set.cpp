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

// The load order, which is also the order in which a missing file is found. The third text
// misspells the file's name; players and support scripts know the message by that spelling.
const TextureRow TextureRows[] = {
    {"textures/PAUSED.bmp",
     "Create Texture from File PAUSED.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Paused},
    {"textures/LIFE.bmp", "Create Texture from File LIFE.bmp Failed.  Check textures are present.",
     Opaque, &TextureSet.Life},
    {"textures/CAMERAS.bmp",
     "Create Texture from File CMAERAS.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Cameras},
    {"textures/DIGITS.bmp",
     "Create Texture from File DIGITS.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Digits},
    {"textures/TITLE.bmp",
     "Create Texture from File TITLE.bmp Failed.  Check textures are present.", TitlePicture,
     &TextureSet.Title},
    {"textures/SNOW.bmp", "Create Texture from File SNOW.bmp Failed.  Check textures are present.",
     SnowPicture, &TextureSet.Snow},
    {"textures/BAT.bmp", "Create Texture from File BAT.bmp Failed.  Check textures are present.",
     Opaque, &TextureSet.Bat},
    {"textures/FLOOR1.bmp",
     "Create Texture from File FLOOR1.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Floor1},
    {"textures/FLOOR2.bmp",
     "Create Texture from File FLOOR2.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Floor2},
    {"textures/BALL.bmp", "Create Texture from File BALL.bmp Failed.  Check textures are present.",
     Opaque, &TextureSet.Ball},
    {"textures/ARENA1.bmp",
     "Create Texture from File ARENA1.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Arena[0]},
    {"textures/ARENA2.bmp",
     "Create Texture from File ARENA2.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Arena[1]},
    {"textures/ARENA3.bmp",
     "Create Texture from File ARENA3.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Arena[2]},
    {"textures/ARENA4.bmp",
     "Create Texture from File ARENA4.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Arena[3]},
    {"textures/BLOCK1.bmp",
     "Create Texture from File BLOCK1.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Block[0]},
    {"textures/BLOCK2.bmp",
     "Create Texture from File BLOCK2.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Block[1]},
    {"textures/BLOCK3.bmp",
     "Create Texture from File BLOCK3.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Block[2]},
    {"textures/BLOCK4.bmp",
     "Create Texture from File BLOCK4.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Block[3]},
    {"textures/BLOCK5.bmp",
     "Create Texture from File BLOCK5.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Block[4]},
    {"textures/BLOCK6.bmp",
     "Create Texture from File BLOCK6.bmp Failed.  Check textures are present.", Opaque,
     &TextureSet.Block[5]},
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
