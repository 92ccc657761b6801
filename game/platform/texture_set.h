// The texture set: the twenty textures the game draws with, loaded from textures/*.bmp.
#pragma once

#include <d3d8.h>

struct TextureSetRecord
{
    IDirect3DTexture8* Paused;
    IDirect3DTexture8* Life;
    IDirect3DTexture8* Cameras;
    IDirect3DTexture8* Digits;
    IDirect3DTexture8* Title;
    IDirect3DTexture8* Snow;
    IDirect3DTexture8* Bat;
    IDirect3DTexture8* Floor1;
    IDirect3DTexture8* Floor2;
    IDirect3DTexture8* Ball;
    IDirect3DTexture8* Arena[4]; // ARENA1..ARENA4
    IDirect3DTexture8* Block[6]; // BLOCK1..BLOCK6, brick types 0..5
};

// Live from start-up to shutdown; each null until loaded and after release.
extern TextureSetRecord TextureSet;

// Loads the twenty textures in order. Returns null or the failing texture's text, e.g. "Create
// Texture from File BALL.bmp Failed.  Check textures are present.".
const char* LoadTextures();
// Releases every loaded texture.
void ReleaseTextures();
