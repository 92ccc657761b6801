// Writes the icon: icons/hicolor/<N>x<N>/apps/zendrill.png at the sizes desktops look up,
// icons/web/zendrill-<N>.png at the sizes the page's web app manifest names (an installed page's
// launcher and splash screen), and icons/zendrill.ico for the Windows build's resource. PNG
// encoding is libpng's; the .ico container is a directory of entries, 32-bit DIBs for the small
// sizes (every Windows version reads those) and a PNG for 256 (which Windows takes only as PNG in
// practice, uncompressed it would be 256 KiB).
#include "icon_files.h"

#include "textures.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <system_error>

namespace
{
// Sizes of the hicolor theme's usual application folders.
const int ThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// Sizes inside the Windows icon: the shell's small, menu, large and jumbo icons.
const int WindowsSizes[] = {16, 24, 32, 48, 256};
// Sizes a browser wants of an installable page: its launcher icon and its splash screen.
const int WebSizes[] = {192, 512};

std::string ThemeFile(int size)
{
    std::string n = std::to_string(size);
    return "icons/hicolor/" + n + "x" + n + "/apps/zendrill.png";
}

std::string WebFile(int size)
{
    return "icons/web/zendrill-" + std::to_string(size) + ".png";
}

const char* EncodePng(const std::vector<uint8_t>& rgba, int size, std::vector<uint8_t>* png)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(size);
    image.height = png_uint_32(size);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t bytes = 0;
    if (!png_image_write_to_memory(&image, nullptr, &bytes, 0, rgba.data(), 0, nullptr))
        return "cannot encode the PNG";
    png->resize(bytes);
    if (!png_image_write_to_memory(&image, png->data(), &bytes, 0, rgba.data(), 0, nullptr))
        return "cannot encode the PNG";
    png->resize(bytes);
    return nullptr;
}

void Put16(std::vector<uint8_t>& out, unsigned v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFFu);
    Put16(out, v >> 16);
}

// An icon entry as a device-independent bitmap: the header with twice the height (colour rows
// and mask rows), BGRA rows from the bottom up, then the 1-bit mask (1 = transparent), each of
// its rows padded to four bytes.
std::vector<uint8_t> EncodeDib(const std::vector<uint8_t>& rgba, int size)
{
    std::vector<uint8_t> dib;
    uint32_t maskRow = uint32_t((size + 31) / 32 * 4);
    uint32_t imageBytes = uint32_t(size * size * 4) + maskRow * uint32_t(size);
    Put32(dib, 40);
    Put32(dib, uint32_t(size));
    Put32(dib, uint32_t(size * 2));
    Put16(dib, 1);
    Put16(dib, 32);
    Put32(dib, 0); // BI_RGB
    Put32(dib, imageBytes);
    for (int i = 0; i < 4; ++i)
        Put32(dib, 0);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x)
        {
            const uint8_t* p = &rgba[size_t(y * size + x) * 4];
            dib.push_back(p[2]);
            dib.push_back(p[1]);
            dib.push_back(p[0]);
            dib.push_back(p[3]);
        }
    for (int y = size - 1; y >= 0; --y)
    {
        std::vector<uint8_t> row(maskRow, 0);
        for (int x = 0; x < size; ++x)
            if (rgba[size_t(y * size + x) * 4 + 3] == 0)
                row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        dib.insert(dib.end(), row.begin(), row.end());
    }
    return dib;
}

const char* WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (!file)
        return "cannot create the file";
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written)
        return "cannot write the file";
    return nullptr;
}

std::vector<uint8_t> IconPixels(int size)
{
    Mask shape(size, size);
    Canvas canvas = PaintIcon(size, shape);
    return canvas.RgbaBytes(shape);
}

const char* WritePngIcon(const std::filesystem::path& file, int size)
{
    std::vector<uint8_t> png;
    if (const char* failure = EncodePng(IconPixels(size), size, &png))
        return failure;
    return WriteFile(file, png);
}
} // namespace

std::vector<std::string> IconFiles()
{
    std::vector<std::string> files;
    for (int size : ThemeSizes)
        files.push_back(ThemeFile(size));
    for (int size : WebSizes)
        files.push_back(WebFile(size));
    files.push_back("icons/zendrill.ico");
    return files;
}

const char* WriteIconFiles(const std::filesystem::path& run)
{
    for (int size : ThemeSizes)
        if (const char* failure = WritePngIcon(run / ThemeFile(size), size))
            return failure;
    for (int size : WebSizes)
        if (const char* failure = WritePngIcon(run / WebFile(size), size))
            return failure;

    const size_t count = sizeof(WindowsSizes) / sizeof(WindowsSizes[0]);
    std::vector<std::vector<uint8_t>> entries;
    for (int size : WindowsSizes)
    {
        std::vector<uint8_t> rgba = IconPixels(size);
        std::vector<uint8_t> entry;
        if (size >= 256)
        {
            if (const char* failure = EncodePng(rgba, size, &entry))
                return failure;
        }
        else
            entry = EncodeDib(rgba, size);
        entries.push_back(entry);
    }
    std::vector<uint8_t> ico;
    Put16(ico, 0);
    Put16(ico, 1); // an icon, not a cursor
    Put16(ico, unsigned(count));
    uint32_t offset = uint32_t(6 + 16 * count);
    for (size_t i = 0; i < count; ++i)
    {
        int size = WindowsSizes[i];
        ico.push_back(uint8_t(size >= 256 ? 0 : size)); // 0 means 256
        ico.push_back(uint8_t(size >= 256 ? 0 : size));
        ico.push_back(0); // no palette
        ico.push_back(0);
        Put16(ico, 1);  // planes
        Put16(ico, 32); // bits per pixel
        Put32(ico, uint32_t(entries[i].size()));
        Put32(ico, offset);
        offset += uint32_t(entries[i].size());
    }
    for (const std::vector<uint8_t>& entry : entries)
        ico.insert(ico.end(), entry.begin(), entry.end());
    return WriteFile(run / "icons/zendrill.ico", ico);
}
