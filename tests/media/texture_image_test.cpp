// Tests of the device-free texture work: bitmap decoding, colour key, scaling, mip chains and
// texel formats.
#include "common/math/mip_levels.h"
#include "media/texture_image.h"
#include "rgb_surface.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace
{
using d3dx::Image;

Image MakeImage(UINT w, UINT h, std::vector<DWORD> texels)
{
    Image image;
    image.Width = w;
    image.Height = h;
    image.Texels = std::move(texels);
    return image;
}

// Encodes a surface as a bitmap file in memory with SDL's writer.
std::vector<BYTE> SaveBitmap(SDL_Surface* surface)
{
    std::vector<BYTE> bytes(1 << 20);
    SDL_RWops* out = SDL_RWFromMem(bytes.data(), int(bytes.size()));
    EXPECT_EQ(SDL_SaveBMP_RW(surface, out, 0), 0) << SDL_GetError();
    bytes.resize(size_t(SDL_RWtell(out)));
    SDL_RWclose(out);
    return bytes;
}

std::vector<BYTE> Bitmap24(int w, int h, const std::vector<DWORD>& rgb)
{
    SDL_Surface* s = RgbSurface(w, h, rgb);
    std::vector<BYTE> bytes = SaveBitmap(s);
    SDL_FreeSurface(s);
    return bytes;
}

TEST(TexelFormats, SixteenBitChannelsRoundToTheNearestStep)
{
    // 0x05 is 0.61 of a 5-bit step (rounds up), 0x04 is 0.49 (rounds down).
    EXPECT_EQ(d3dx::PackTexel(0xFF050000, D3DFMT_R5G6B5), 1u << 11);
    EXPECT_EQ(d3dx::PackTexel(0xFF040000, D3DFMT_R5G6B5), 0u);
    EXPECT_EQ(d3dx::PackTexel(0xFF808080, D3DFMT_R5G6B5), 0x8410u);
    EXPECT_EQ(d3dx::PackTexel(0xFFFFFFFF, D3DFMT_R5G6B5), 0xFFFFu);
    EXPECT_EQ(d3dx::PackTexel(0xFF00FF00, D3DFMT_R5G6B5), 0x07E0u);
    EXPECT_EQ(d3dx::PackTexel(0x00000000, D3DFMT_X1R5G5B5), 0x8000u); // X bit set
    EXPECT_EQ(d3dx::PackTexel(0x7FFF0000, D3DFMT_A1R5G5B5), 0x7C00u); // alpha 127: clear
    EXPECT_EQ(d3dx::PackTexel(0x80FF0000, D3DFMT_A1R5G5B5), 0xFC00u); // alpha 128: set
    EXPECT_EQ(d3dx::PackTexel(0x88112233, D3DFMT_A4R4G4B4), 0x8123u);
    EXPECT_EQ(d3dx::PackTexel(0x00112233, D3DFMT_X4R4G4B4), 0xF123u);
    EXPECT_EQ(d3dx::PackTexel(0x00123456, D3DFMT_X8R8G8B8), 0xFF123456u);
    EXPECT_EQ(d3dx::PackTexel(0x12345678, D3DFMT_A8R8G8B8), 0x12345678u);
}

TEST(TexelFormats, EveryChannelValueSurvivesARoundTripWithinHalfAStep)
{
    struct Case
    {
        D3DFORMAT format;
        int redBits, greenBits, alphaBits;
    } cases[] = {{D3DFMT_R5G6B5, 5, 6, 0},   {D3DFMT_X1R5G5B5, 5, 5, 0}, {D3DFMT_A1R5G5B5, 5, 5, 1},
                 {D3DFMT_A4R4G4B4, 4, 4, 4}, {D3DFMT_X8R8G8B8, 8, 8, 0}, {D3DFMT_R8G8B8, 8, 8, 0}};
    for (const Case& c : cases)
        for (DWORD v = 0; v < 256; ++v)
        {
            DWORD back = d3dx::UnpackTexel(
                d3dx::PackTexel(v << 24 | v << 16 | v << 8 | v, c.format), c.format);
            auto near = [&](DWORD got, int bits)
            {
                if (bits == 0)
                    return got == 255;
                double step = 255.0 / ((1 << bits) - 1);
                return std::abs(double(got) - double(v)) <= step / 2 + 1;
            };
            ASSERT_TRUE(near(back >> 16 & 0xFF, c.redBits)) << c.format << " red " << v;
            ASSERT_TRUE(near(back >> 8 & 0xFF, c.greenBits)) << c.format << " green " << v;
            ASSERT_TRUE(near(back >> 24, c.alphaBits)) << c.format << " alpha " << v;
        }
}

TEST(TexelFormats, RowsAreWrittenAtThePitchAndPaddingIsLeftAlone)
{
    Image image = MakeImage(3, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0, 0xFFFFFFFF, 0x80808080});
    std::vector<BYTE> memory(2 * 16, 0xAB);
    d3dx::WriteTexels(image, D3DFMT_R5G6B5, memory.data(), 16);
    auto at = [&](int row, int x)
    { return DWORD(memory[row * 16 + 2 * x]) | memory[row * 16 + 2 * x + 1] << 8; };
    EXPECT_EQ(at(0, 0), 0xF800u);
    EXPECT_EQ(at(0, 2), 0x001Fu);
    EXPECT_EQ(at(1, 1), 0xFFFFu);
    for (int row = 0; row < 2; ++row)
        for (int i = 6; i < 16; ++i)
            EXPECT_EQ(memory[row * 16 + i], 0xAB) << "padding of row " << row;
}

TEST(TexelFormats, UnknownOrUnwritableFormatsFallBackByAlpha)
{
    EXPECT_EQ(d3dx::ChooseFormat(D3DFMT_UNKNOWN, false), D3DFMT_X8R8G8B8);
    EXPECT_EQ(d3dx::ChooseFormat(D3DFMT_UNKNOWN, true), D3DFMT_A8R8G8B8);
    EXPECT_EQ(d3dx::ChooseFormat(D3DFMT_P8, true), D3DFMT_A8R8G8B8);
    EXPECT_EQ(d3dx::ChooseFormat(D3DFMT_R5G6B5, true), D3DFMT_R5G6B5);
}

TEST(ColorKey, OnlyTexelsExactlyEqualToTheKeyBecomeTransparentBlack)
{
    Image image = MakeImage(5, 1, {0xFF000000, 0xFF000001, 0xFE000000, 0xFF010000, 0x00000000});
    d3dx::ApplyColorKey(&image, 0xFF000000);
    EXPECT_EQ(image.Texels, (std::vector<DWORD>{0, 0xFF000001, 0xFE000000, 0xFF010000, 0}));

    Image unkeyed = MakeImage(1, 1, {0xFF000000});
    d3dx::ApplyColorKey(&unkeyed, 0);
    EXPECT_EQ(unkeyed.Texels[0], 0xFF000000u);
}

TEST(ColorKey, IsAppliedBeforeConversionSoNearBlackStaysOpaque)
{
    // 0xFF030303 becomes rgb 0 in 5-bit channels but is not the key: it must stay opaque.
    d3dx::TextureRequest request{0, 0, 1, D3DFMT_A1R5G5B5, D3DX_DEFAULT, D3DX_DEFAULT, 0xFF000000};
    std::vector<Image> levels;
    D3DFORMAT format;
    ASSERT_EQ(d3dx::BuildTextureLevels(MakeImage(2, 1, {0xFF000000, 0xFF030303}), request, &levels,
                                       &format),
              D3D_OK);
    ASSERT_EQ(format, D3DFMT_A1R5G5B5);
    EXPECT_EQ(d3dx::PackTexel(levels[0].Texels[0], format), 0x0000u);
    EXPECT_EQ(d3dx::PackTexel(levels[0].Texels[1], format), 0x8000u);
}

TEST(MipChain, LevelCountsAndSizesHalveDownToOneByOne)
{
    EXPECT_EQ(FullMipLevelCount(1, 1), 1u);
    EXPECT_EQ(FullMipLevelCount(256, 32), 9u);
    EXPECT_EQ(FullMipLevelCount(512, 128), 10u);
    EXPECT_EQ(FullMipLevelCount(5, 3), 3u);

    auto sizes = [](UINT w, UINT h, UINT mipLevels)
    {
        d3dx::TextureRequest request{0, 0, mipLevels, D3DFMT_A8R8G8B8, D3DX_DEFAULT, D3DX_DEFAULT,
                                     0};
        std::vector<Image> levels;
        D3DFORMAT format;
        EXPECT_EQ(d3dx::BuildTextureLevels(MakeImage(w, h, std::vector<DWORD>(w * h, 0xFF102030)),
                                           request, &levels, &format),
                  D3D_OK);
        std::vector<std::pair<UINT, UINT>> out;
        for (const Image& level : levels)
        {
            EXPECT_EQ(level.Texels.size(), size_t(level.Width) * level.Height);
            out.push_back({level.Width, level.Height});
        }
        return out;
    };
    using Sizes = std::vector<std::pair<UINT, UINT>>;
    EXPECT_EQ(sizes(5, 3, 0), (Sizes{{5, 3}, {2, 1}, {1, 1}}));
    EXPECT_EQ(sizes(8, 2, D3DX_DEFAULT), (Sizes{{8, 2}, {4, 1}, {2, 1}, {1, 1}}));
    EXPECT_EQ(sizes(32, 32, 5), (Sizes{{32, 32}, {16, 16}, {8, 8}, {4, 4}, {2, 2}}));
    EXPECT_EQ(sizes(4, 4, 40), (Sizes{{4, 4}, {2, 2}, {1, 1}}));
    EXPECT_EQ(sizes(1, 1, 0), (Sizes{{1, 1}}));
}

TEST(MipChain, BoxAveragesEachBlockAndPointKeepsItsTopLeftTexel)
{
    // Two 2x2 blocks side by side.
    Image source = MakeImage(4, 2,
                             {0xFF000000, 0xFFFFFFFF, 0x10203040, 0x50607080, 0xFFFFFFFF,
                              0x00000000, 0x90A0B0C0, 0xD0E0F000});
    Image box, point, none;
    ASSERT_EQ(d3dx::NextMipLevel(source, D3DX_DEFAULT, &box), D3D_OK);
    ASSERT_EQ(box.Width, 2u);
    ASSERT_EQ(box.Height, 1u);
    // (255 + 255 + 255 + 0) / 4 = 191.25 alpha; (0 + 255 + 255 + 0) / 4 = 127.5 -> 128.
    EXPECT_EQ(box.Texels[0], 0xBF808080u);
    // Alpha (0x10 + 0x50 + 0x90 + 0xD0) / 4 = 0x70, and so on; blue (0x40 + 0x80 + 0xC0 + 0) / 4.
    EXPECT_EQ(box.Texels[1], 0x70809060u);

    ASSERT_EQ(d3dx::NextMipLevel(source, D3DX_FILTER_POINT, &point), D3D_OK);
    EXPECT_EQ(point.Texels, (std::vector<DWORD>{0xFF000000, 0x10203040}));

    ASSERT_EQ(d3dx::NextMipLevel(source, D3DX_FILTER_NONE, &none), D3D_OK);
    EXPECT_EQ(none.Texels, (std::vector<DWORD>{0xFF000000, 0xFFFFFFFF}));

    // An odd width: three texels into one, each weighing a third.
    Image odd = MakeImage(3, 1, {0xFF000000, 0xFF000000, 0xFFFF0000});
    Image oddBox;
    ASSERT_EQ(d3dx::NextMipLevel(odd, D3DX_FILTER_BOX, &oddBox), D3D_OK);
    EXPECT_EQ(oddBox.Texels, (std::vector<DWORD>{0xFF550000}));
}

TEST(Resize, FiltersScaleToTheRequestedSize)
{
    Image source = MakeImage(2, 2, {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000});
    Image point, none, linear;
    ASSERT_EQ(d3dx::ResizeImage(source, 4, 4, D3DX_FILTER_POINT, &point), D3D_OK);
    EXPECT_EQ(point.Texels[0], 0xFF000000u);
    EXPECT_EQ(point.Texels[3], 0xFF0000FFu);
    EXPECT_EQ(point.Texels[15], 0xFFFF0000u);

    ASSERT_EQ(d3dx::ResizeImage(source, 3, 1, D3DX_FILTER_NONE, &none), D3D_OK);
    EXPECT_EQ(none.Texels, (std::vector<DWORD>{0xFF000000, 0xFF0000FF, 0}));

    // Bilinear: the centre of a 3x3 picture lies midway between all four texels.
    ASSERT_EQ(d3dx::ResizeImage(source, 3, 3, D3DX_FILTER_LINEAR, &linear), D3D_OK);
    EXPECT_EQ(linear.Texels[4], 0xFF404040u);
    EXPECT_EQ(linear.Texels[0], 0xFF000000u);

    Image rejected;
    EXPECT_EQ(d3dx::ResizeImage(source, 4, 4, 0, &rejected), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3dx::ResizeImage(source, 4, 4, 9, &rejected), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3dx::ResizeImage(source, 0, 4, D3DX_FILTER_BOX, &rejected), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3dx::ResizeImage(source, 4, 4, D3DX_FILTER_BOX | 0x80000, &rejected), D3D_OK);
}

TEST(Resize, ExplicitSizesScaleWhileZeroAndDefaultKeepTheFile)
{
    std::vector<Image> levels;
    D3DFORMAT format;
    d3dx::TextureRequest sized{8, 2, 1, D3DFMT_X8R8G8B8, D3DX_FILTER_POINT, D3DX_DEFAULT, 0};
    ASSERT_EQ(d3dx::BuildTextureLevels(MakeImage(2, 2, std::vector<DWORD>(4, 0xFF445566)), sized,
                                       &levels, &format),
              D3D_OK);
    EXPECT_EQ(levels[0].Width, 8u);
    EXPECT_EQ(levels[0].Height, 2u);
    EXPECT_EQ(levels[0].Texels[15], 0xFF445566u);

    d3dx::TextureRequest fromFile{D3DX_DEFAULT, 0, 1, D3DFMT_UNKNOWN, D3DX_DEFAULT,
                                  D3DX_DEFAULT, 0};
    ASSERT_EQ(d3dx::BuildTextureLevels(MakeImage(5, 3, std::vector<DWORD>(15, 0)), fromFile,
                                       &levels, &format),
              D3D_OK);
    EXPECT_EQ(levels[0].Width, 5u);
    EXPECT_EQ(levels[0].Height, 3u);
    EXPECT_EQ(format, D3DFMT_X8R8G8B8);

    d3dx::TextureRequest huge{d3dx::MaxImageSide + 1, 1, 1, D3DFMT_UNKNOWN, D3DX_DEFAULT,
                              D3DX_DEFAULT,           0};
    EXPECT_EQ(d3dx::BuildTextureLevels(MakeImage(1, 1, {0}), huge, &levels, &format),
              D3DERR_INVALIDCALL);
}

TEST(Decode, TwentyFourBitBitmapsReadTopRowFirstAndOpaque)
{
    std::vector<DWORD> rgb = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF,
                              0x000000, 0x102030, 0x405060, 0x708090, 0xA0B0C0,
                              0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456};
    std::vector<BYTE> file = Bitmap24(5, 3, rgb);
    Image image;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(d3dx::DecodeBitmap(file.data(), file.size(), &image, &info), D3D_OK);
    ASSERT_EQ(image.Width, 5u);
    ASSERT_EQ(image.Height, 3u);
    EXPECT_FALSE(image.HasAlpha);
    for (size_t i = 0; i < rgb.size(); ++i)
        EXPECT_EQ(image.Texels[i], 0xFF000000u | rgb[i]) << i;
    EXPECT_EQ(info.Width, 5u);
    EXPECT_EQ(info.Height, 3u);
    EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
}

TEST(Decode, AlphaAndPalettedBitmapsDecode)
{
    SDL_Surface* argb = SDL_CreateRGBSurfaceWithFormat(0, 2, 1, 32, SDL_PIXELFORMAT_ARGB8888);
    static_cast<DWORD*>(argb->pixels)[0] = 0x80FF0000;
    static_cast<DWORD*>(argb->pixels)[1] = 0xFF00FF00;
    std::vector<BYTE> file = SaveBitmap(argb);
    SDL_FreeSurface(argb);
    Image image;
    ASSERT_EQ(d3dx::DecodeBitmap(file.data(), file.size(), &image, nullptr), D3D_OK);
    EXPECT_TRUE(image.HasAlpha);
    EXPECT_EQ(image.Texels, (std::vector<DWORD>{0x80FF0000, 0xFF00FF00}));

    SDL_Surface* paletted = SDL_CreateRGBSurfaceWithFormat(0, 3, 1, 8, SDL_PIXELFORMAT_INDEX8);
    SDL_Color colours[2] = {{10, 20, 30, 255}, {200, 100, 50, 255}};
    SDL_SetPaletteColors(paletted->format->palette, colours, 0, 2);
    BYTE* indices = static_cast<BYTE*>(paletted->pixels);
    indices[0] = 1, indices[1] = 0, indices[2] = 1;
    file = SaveBitmap(paletted);
    SDL_FreeSurface(paletted);
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(d3dx::DecodeBitmap(file.data(), file.size(), &image, &info), D3D_OK);
    EXPECT_EQ(image.Texels, (std::vector<DWORD>{0xFFC86432, 0xFF0A141E, 0xFFC86432}));
    EXPECT_EQ(info.Format, D3DFMT_P8);
}

TEST(Decode, DamagedOrOversizedBitmapsAreInvalidData)
{
    std::vector<BYTE> good = Bitmap24(16, 16, std::vector<DWORD>(256, 0x336699));
    Image image;
    ASSERT_EQ(d3dx::DecodeBitmap(good.data(), good.size(), &image, nullptr), D3D_OK);

    std::vector<BYTE> truncated(good.begin(), good.begin() + good.size() / 2);
    EXPECT_EQ(d3dx::DecodeBitmap(truncated.data(), truncated.size(), &image, nullptr),
              D3DXERR_INVALIDDATA);
    std::vector<BYTE> headerOnly(good.begin(), good.begin() + 20);
    EXPECT_EQ(d3dx::DecodeBitmap(headerOnly.data(), headerOnly.size(), &image, nullptr),
              D3DXERR_INVALIDDATA);

    std::vector<BYTE> wrongMagic = good;
    wrongMagic[0] = 'P';
    EXPECT_EQ(d3dx::DecodeBitmap(wrongMagic.data(), wrongMagic.size(), &image, nullptr),
              D3DXERR_INVALIDDATA);

    // A valid header claiming 100000 x 100000 texels is refused before anything is allocated.
    std::vector<BYTE> huge = good;
    const DWORD side = 100000;
    std::memcpy(&huge[18], &side, 4);
    std::memcpy(&huge[22], &side, 4);
    EXPECT_EQ(d3dx::DecodeBitmap(huge.data(), huge.size(), &image, nullptr), D3DXERR_INVALIDDATA);

    std::vector<BYTE> badDepth = good;
    badDepth[28] = 7; // bits per texel
    EXPECT_EQ(d3dx::DecodeBitmap(badDepth.data(), badDepth.size(), &image, nullptr),
              D3DXERR_INVALIDDATA);

    EXPECT_EQ(d3dx::DecodeBitmap(good.data(), 0, &image, nullptr), D3DXERR_INVALIDDATA);
    EXPECT_EQ(d3dx::ReadBitmapFile("no/such/folder/missing.bmp", &image, nullptr),
              D3DXERR_INVALIDDATA);
}
} // namespace
