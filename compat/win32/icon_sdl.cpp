// Icon resources: LoadIconA finds a program's icon among the files installed beside it and
// decodes it; a window whose class names that icon shows it (SDL_SetWindowIcon). On the platform
// the icon is a resource linked into the executable; here it is the same picture as the desktop
// uses, looked up relative to the executable's own folder, so the build tree and an installed
// tree both find theirs without any setting.
#include "window_registry.h"

#include <SDL.h>
#include <png.h>

#include <string>
#include <vector>

#include "common/log/log.h"

// Where icon themes live, relative to the folder of the running executable: in the build tree
// (bin/ beside run/icons) and once installed (the install rules define the second).
#ifndef ZENDRILL_BUILD_ICON_DIR
#define ZENDRILL_BUILD_ICON_DIR "../run/icons"
#endif
#ifndef ZENDRILL_INSTALLED_ICON_DIR
#define ZENDRILL_INSTALLED_ICON_DIR "../../share/icons"
#endif

namespace
{
// The resource script of this platform: which icon file a resource name stands for.
struct IconResource
{
    const char* Name; // as the program passes it to LoadIconA
    const char* File; // the icon's name in the hicolor theme
    bool Tried;
    SDL_Surface* Picture; // decoded on the first LoadIconA; null when no file was found
};

IconResource Icons[] = {
    {"D3D_Zendrill.ico", "zendrill", false, nullptr},
};

// The size handed to the window system; it scales for title bars and task switchers.
const char* const IconSize = "64x64";

SDL_Surface* ReadPng(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return nullptr;
    image.format = PNG_FORMAT_RGBA;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, int(image.width), int(image.height),
                                                          32, SDL_PIXELFORMAT_RGBA32);
    if (!surface)
    {
        png_image_free(&image);
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, surface->pixels, surface->pitch, nullptr))
    {
        Log("LoadIconA", "%s: %s", path.c_str(), image.message);
        SDL_FreeSurface(surface);
        return nullptr;
    }
    return surface;
}

SDL_Surface* FindPicture(const char* file)
{
    char* base = SDL_GetBasePath();
    if (!base)
        return nullptr;
    std::string folder = base;
    SDL_free(base);
    std::vector<std::string> tried;
    for (const char* themes : {ZENDRILL_BUILD_ICON_DIR, ZENDRILL_INSTALLED_ICON_DIR})
    {
        std::string path = folder + themes + "/hicolor/" + IconSize + "/apps/" + file + ".png";
        if (SDL_Surface* picture = ReadPng(path))
            return picture;
        tried.push_back(path);
    }
    Log("LoadIconA", "no %s icon at %s or %s; the window keeps the default icon", file,
        tried[0].c_str(), tried[1].c_str());
    return nullptr;
}
} // namespace

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name)
{
    (void)instance;
    // Numbered resources and the system's stock icons (IDI_*) are not carried here.
    if (!name || reinterpret_cast<uintptr_t>(name) < 0x10000)
        return nullptr;
    for (IconResource& icon : Icons)
        if (SDL_strcasecmp(icon.Name, name) == 0)
        {
            if (!icon.Tried)
            {
                icon.Tried = true;
                icon.Picture = FindPicture(icon.File);
            }
            return icon.Picture ? reinterpret_cast<HICON>(&icon) : nullptr;
        }
    Log("LoadIconA", "no icon resource named \"%s\"", name);
    return nullptr;
}

SDL_Surface* Win32IconPicture(HICON icon)
{
    for (IconResource& resource : Icons)
        if (reinterpret_cast<HICON>(&resource) == icon)
            return resource.Picture;
    return nullptr;
}
