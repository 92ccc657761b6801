// The device-free half of texture loading: the checks around decoding, key, scale, mip chain,
// texel formats. The decoding itself is the platform decoder's (decoders.h).
#include "texture_image.h"

#include "decoders.h"
#include "file_read.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "common/math/mip_levels.h"

namespace d3dx
{

namespace
{
uint32_t ReadLittle32(const BYTE* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t ReadLittle16(const BYTE* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

// Decoders allocate the whole picture before it reads a single row, so the dimensions in the header
// are checked first: a few bytes claiming a huge picture must not cost gigabytes. This reads only
// the two size fields of the header; the platform's decoder does the decoding.
bool HeaderSizeAllowed(const BYTE* bytes, size_t size)
{
    if (size < 26 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    uint32_t headerSize = ReadLittle32(bytes + 14);
    int64_t width, height;
    if (headerSize == 12)
    {
        width = ReadLittle16(bytes + 18);
        height = ReadLittle16(bytes + 20);
    }
    else if (headerSize >= 16)
    {
        width = int32_t(ReadLittle32(bytes + 18));
        height = int32_t(ReadLittle32(bytes + 22));
        if (height < 0) // rows stored top-down
            height = -height;
    }
    else
        return false;
    return width > 0 && height > 0 && ImageSizeAllowed(uint64_t(width), uint64_t(height));
}

// One source texel's share in a destination texel along one axis.
struct Tap
{
    UINT index;
    double weight;
};

// Area taps: destination texel i covers source [i*s/d, (i+1)*s/d).
std::vector<Tap> AreaTaps(UINT i, UINT s, UINT d)
{
    double lo = double(i) * s / d, hi = double(i + 1) * s / d;
    std::vector<Tap> taps;
    UINT first = UINT(std::floor(lo));
    UINT last = std::min<UINT>(s - 1, UINT(std::ceil(hi)) - 1);
    double total = 0.0;
    for (UINT j = first; j <= last; ++j)
    {
        double w = std::min(hi, double(j) + 1.0) - std::max(lo, double(j));
        if (w > 0.0)
        {
            taps.push_back({j, w});
            total += w;
        }
    }
    for (Tap& t : taps)
        t.weight /= total;
    return taps;
}

// Bilinear taps around the source point under the destination texel's centre.
std::vector<Tap> LinearTaps(UINT i, UINT s, UINT d)
{
    double c = (double(i) + 0.5) * s / d - 0.5;
    c = std::clamp(c, 0.0, double(s - 1));
    UINT j0 = UINT(std::floor(c));
    double t = c - j0;
    UINT j1 = std::min(j0 + 1, s - 1);
    if (t == 0.0 || j1 == j0)
        return {{j0, 1.0}};
    return {{j0, 1.0 - t}, {j1, t}};
}

// The source texel holding the destination texel's centre; a centre on a boundary takes the
// texel before it, so halving keeps the top-left texel of every 2 x 2 block.
std::vector<Tap> PointTaps(UINT i, UINT s, UINT d)
{
    uint64_t numerator = (2 * uint64_t(i) + 1) * s;
    uint64_t denominator = 2 * uint64_t(d);
    uint64_t j = (numerator + denominator - 1) / denominator;
    return {{UINT(std::min<uint64_t>(j == 0 ? 0 : j - 1, s - 1)), 1.0}};
}

std::vector<std::vector<Tap>> AxisTaps(DWORD type, UINT s, UINT d)
{
    std::vector<std::vector<Tap>> taps(d);
    for (UINT i = 0; i < d; ++i)
    {
        switch (type)
        {
        case D3DX_FILTER_POINT:
            taps[i] = PointTaps(i, s, d);
            break;
        case D3DX_FILTER_LINEAR:
            taps[i] = LinearTaps(i, s, d);
            break;
        case D3DX_FILTER_TRIANGLE:
            taps[i] = d < s ? AreaTaps(i, s, d) : LinearTaps(i, s, d);
            break;
        default: // D3DX_FILTER_BOX
            taps[i] = AreaTaps(i, s, d);
            break;
        }
    }
    return taps;
}

DWORD Quantise(DWORD value, int bits)
{
    DWORD top = (1u << bits) - 1;
    return (value * top + 127) / 255;
}

DWORD Widen(DWORD value, int bits)
{
    switch (bits)
    {
    case 1:
        return value ? 255 : 0;
    case 4:
        return value * 17;
    case 5:
        return value << 3 | value >> 2;
    case 6:
        return value << 2 | value >> 4;
    default:
        return value;
    }
}
} // namespace

bool ImageSizeAllowed(uint64_t width, uint64_t height)
{
    return width >= 1 && height >= 1 && width <= MaxImageSide && height <= MaxImageSide &&
           width * height <= MaxImageTexels;
}

HRESULT DecodeBitmap(const void* data, size_t size, Image* image, D3DXIMAGE_INFO* info)
{
    if (!data || !image || size > size_t(INT32_MAX))
        return D3DXERR_INVALIDDATA;
    if (!HeaderSizeAllowed(static_cast<const BYTE*>(data), size))
        return D3DXERR_INVALIDDATA;
    Image decoded;
    D3DFORMAT fileFormat = D3DFMT_UNKNOWN;
    if (FAILED(DecodeBitmapTexels(data, size, &decoded, &fileFormat)) ||
        !ImageSizeAllowed(decoded.Width, decoded.Height) ||
        decoded.Texels.size() != size_t(decoded.Width) * decoded.Height)
        return D3DXERR_INVALIDDATA;
    *image = std::move(decoded);

    if (info)
    {
        info->Width = image->Width;
        info->Height = image->Height;
        info->Depth = 1;
        info->MipLevels = 1;
        info->Format = fileFormat;
        info->ResourceType = D3DRTYPE_TEXTURE;
        info->ImageFileFormat = D3DXIFF_BMP;
    }
    return D3D_OK;
}

HRESULT ReadBitmapFile(const char* path, Image* image, D3DXIMAGE_INFO* info)
{
    if (!path)
        return D3DXERR_INVALIDDATA;
    std::vector<BYTE> bytes;
    // A valid bitmap of the largest allowed picture is under 4 bytes a texel plus its header.
    if (!ReadWholeFile(path, size_t(MaxImageTexels) * 4 + 65536, &bytes))
        return D3DXERR_INVALIDDATA;
    return DecodeBitmap(bytes.data(), bytes.size(), image, info);
}

void ApplyColorKey(Image* image, D3DCOLOR key)
{
    if (key == 0)
        return;
    for (DWORD& texel : image->Texels)
        if (texel == key)
            texel = 0;
}

bool IsKnownFilter(DWORD filter)
{
    if (filter == D3DX_DEFAULT)
        return true;
    DWORD type = filter & 0xFFFF;
    // Above the type: the three mirror flags and dither, which change nothing here.
    return type >= D3DX_FILTER_NONE && type <= D3DX_FILTER_BOX && (filter & 0xFFF00000u) == 0 &&
           (filter & 0x0000FFF0u) == 0;
}

HRESULT ResizeImage(const Image& source, UINT width, UINT height, DWORD filter, Image* result)
{
    if (!IsKnownFilter(filter) || !ImageSizeAllowed(width, height) || source.Width == 0 ||
        source.Height == 0)
        return D3DERR_INVALIDCALL;
    DWORD type = filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE : (filter & 0xFFFF);
    Image out;
    out.Width = width;
    out.Height = height;
    out.HasAlpha = source.HasAlpha;
    out.Texels.assign(size_t(width) * height, 0);

    if (type == D3DX_FILTER_NONE)
    {
        UINT w = std::min(width, source.Width), h = std::min(height, source.Height);
        for (UINT y = 0; y < h; ++y)
            std::memcpy(&out.Texels[size_t(y) * width], &source.Texels[size_t(y) * source.Width],
                        size_t(w) * 4);
        *result = std::move(out);
        return D3D_OK;
    }

    std::vector<std::vector<Tap>> across = AxisTaps(type, source.Width, width);
    std::vector<std::vector<Tap>> down = AxisTaps(type, source.Height, height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
        {
            double sum[4] = {0.0, 0.0, 0.0, 0.0};
            for (const Tap& ty : down[y])
                for (const Tap& tx : across[x])
                {
                    DWORD t = source.Texels[size_t(ty.index) * source.Width + tx.index];
                    double w = ty.weight * tx.weight;
                    for (int c = 0; c < 4; ++c)
                        sum[c] += w * double((t >> (24 - 8 * c)) & 0xFF);
                }
            DWORD texel = 0;
            for (int c = 0; c < 4; ++c)
            {
                double v = std::floor(sum[c] + 0.5);
                texel |= DWORD(std::clamp(v, 0.0, 255.0)) << (24 - 8 * c);
            }
            out.Texels[size_t(y) * width + x] = texel;
        }
    *result = std::move(out);
    return D3D_OK;
}

HRESULT NextMipLevel(const Image& source, DWORD mipFilter, Image* result)
{
    DWORD filter = mipFilter == D3DX_DEFAULT ? DWORD(D3DX_FILTER_BOX) : mipFilter;
    return ResizeImage(source, std::max(1u, source.Width / 2), std::max(1u, source.Height / 2),
                       filter, result);
}

UINT TexelBytes(D3DFORMAT format)
{
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 4;
    case D3DFMT_R8G8B8:
        return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
        return 2;
    default:
        return 0;
    }
}

D3DFORMAT ChooseFormat(D3DFORMAT requested, bool needsAlpha)
{
    if (requested != D3DFMT_UNKNOWN && TexelBytes(requested) != 0)
        return requested;
    return needsAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

DWORD PackTexel(DWORD argb, D3DFORMAT format)
{
    DWORD a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
        return argb;
    case D3DFMT_X8R8G8B8:
        return argb | 0xFF000000u;
    case D3DFMT_R8G8B8:
        return argb & 0x00FFFFFFu;
    case D3DFMT_R5G6B5:
        return Quantise(r, 5) << 11 | Quantise(g, 6) << 5 | Quantise(b, 5);
    case D3DFMT_X1R5G5B5:
        return 0x8000u | Quantise(r, 5) << 10 | Quantise(g, 5) << 5 | Quantise(b, 5);
    case D3DFMT_A1R5G5B5:
        return Quantise(a, 1) << 15 | Quantise(r, 5) << 10 | Quantise(g, 5) << 5 | Quantise(b, 5);
    case D3DFMT_A4R4G4B4:
        return Quantise(a, 4) << 12 | Quantise(r, 4) << 8 | Quantise(g, 4) << 4 | Quantise(b, 4);
    case D3DFMT_X4R4G4B4:
        return 0xF000u | Quantise(r, 4) << 8 | Quantise(g, 4) << 4 | Quantise(b, 4);
    default:
        return 0;
    }
}

DWORD UnpackTexel(DWORD bits, D3DFORMAT format)
{
    DWORD a = 255, r = 0, g = 0, b = 0;
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
        return bits;
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R8G8B8:
        return bits | 0xFF000000u;
    case D3DFMT_R5G6B5:
        r = Widen(bits >> 11 & 31, 5), g = Widen(bits >> 5 & 63, 6), b = Widen(bits & 31, 5);
        break;
    case D3DFMT_A1R5G5B5:
        a = Widen(bits >> 15 & 1, 1);
        [[fallthrough]];
    case D3DFMT_X1R5G5B5:
        r = Widen(bits >> 10 & 31, 5), g = Widen(bits >> 5 & 31, 5), b = Widen(bits & 31, 5);
        break;
    case D3DFMT_A4R4G4B4:
        a = Widen(bits >> 12 & 15, 4);
        [[fallthrough]];
    case D3DFMT_X4R4G4B4:
        r = Widen(bits >> 8 & 15, 4), g = Widen(bits >> 4 & 15, 4), b = Widen(bits & 15, 4);
        break;
    default:
        return 0;
    }
    return a << 24 | r << 16 | g << 8 | b;
}

void WriteTexels(const Image& image, D3DFORMAT format, BYTE* bits, INT pitch)
{
    UINT bytes = TexelBytes(format);
    for (UINT y = 0; y < image.Height; ++y)
    {
        BYTE* row = bits + ptrdiff_t(y) * pitch;
        const DWORD* source = &image.Texels[size_t(y) * image.Width];
        for (UINT x = 0; x < image.Width; ++x)
        {
            DWORD packed = PackTexel(source[x], format);
            for (UINT i = 0; i < bytes; ++i) // little-endian, as the formats are laid out
                row[size_t(x) * bytes + i] = BYTE(packed >> (8 * i));
        }
    }
}

HRESULT BuildTextureLevels(Image decoded, const TextureRequest& request, std::vector<Image>* levels,
                           D3DFORMAT* format)
{
    if (decoded.Width == 0 || decoded.Height == 0)
        return D3DERR_INVALIDCALL;
    ApplyColorKey(&decoded, request.ColorKey);
    bool needsAlpha = decoded.HasAlpha || request.ColorKey != 0;
    UINT width =
        request.Width == 0 || request.Width == D3DX_DEFAULT ? decoded.Width : request.Width;
    UINT height =
        request.Height == 0 || request.Height == D3DX_DEFAULT ? decoded.Height : request.Height;
    if (!ImageSizeAllowed(width, height))
        return D3DERR_INVALIDCALL;

    levels->clear();
    if (width == decoded.Width && height == decoded.Height)
        levels->push_back(std::move(decoded));
    else
    {
        Image scaled;
        HRESULT hr = ResizeImage(decoded, width, height, request.Filter, &scaled);
        if (FAILED(hr))
            return hr;
        levels->push_back(std::move(scaled));
    }

    UINT full = FullMipLevelCount(width, height);
    UINT count = request.MipLevels == 0 || request.MipLevels == D3DX_DEFAULT
                     ? full
                     : std::min(request.MipLevels, full);
    while (levels->size() < count)
    {
        Image next;
        HRESULT hr = NextMipLevel(levels->back(), request.MipFilter, &next);
        if (FAILED(hr))
            return hr;
        levels->push_back(std::move(next));
    }
    *format = ChooseFormat(request.Format, needsAlpha);
    return D3D_OK;
}

} // namespace d3dx
