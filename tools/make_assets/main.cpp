// make_assets: writes the game's data into a run folder: the twenty pictures of textures/, the
// two meshes of models/ and the programs' icon in icons/. Runs at build time; the same bytes on
// every run.
// With --seeds it writes small bitmaps and meshes made the same way as seeds for the fuzz
// targets of the bitmap and mesh loaders instead.
#include "icon_files.h"
#include "meshes.h"
#include "textures.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace
{
// Small files in every flavour the loaders meet, for the fuzz targets to start from.
int WriteSeeds(const std::filesystem::path& bitmaps, const std::filesystem::path& meshes)
{
    std::error_code error;
    std::filesystem::create_directories(bitmaps, error);
    std::filesystem::create_directories(meshes, error);
    int count = 0;
    const TextureAsset* textures = TextureAssets(&count);
    const char* failure = nullptr;
    for (int i = 0; i < count && !failure; ++i)
    {
        std::string name = textures[i].file;
        if (name != "LIFE.bmp" && name != "SNOW.bmp" && name != "BLOCK1.bmp")
            continue;
        Canvas canvas = textures[i].paint();
        failure = canvas.SaveBmp((bitmaps / name).string());
        if (!failure && name == "LIFE.bmp")
            failure = canvas.SaveBmpVariant((bitmaps / "LIFE-8.bmp").string(), 8);
        if (!failure && name == "LIFE.bmp")
            failure = canvas.SaveBmpVariant((bitmaps / "LIFE-32.bmp").string(), 32);
    }
    if (!failure)
        failure = WriteXFile((meshes / "ball-small.x").string(), "Ball", BuildBallMesh(3, 4));
    if (!failure)
        failure = WriteXFile((meshes / "tier.x").string(), "Tier", BuildPlinthTier());
    if (failure)
    {
        std::fprintf(stderr, "make_assets: seeds: %s\n", failure);
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--seeds")
        return WriteSeeds(argv[2], argv[3]);
    if (argc != 2)
    {
        std::fprintf(stderr,
                     "usage: make_assets <run folder>\n"
                     "       make_assets --seeds <bitmap seed folder> <mesh seed folder>\n");
        return 2;
    }
    std::filesystem::path run(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(run / "textures", error);
    std::filesystem::create_directories(run / "models", error);

    int written = 0;
    auto report = [&](const std::filesystem::path& file, const char* failure)
    {
        if (failure)
        {
            std::fprintf(stderr, "make_assets: %s: %s\n", file.string().c_str(), failure);
            return false;
        }
        ++written;
        return true;
    };

    int count = 0;
    const TextureAsset* textures = TextureAssets(&count);
    for (int i = 0; i < count; ++i)
    {
        std::filesystem::path file = run / "textures" / textures[i].file;
        if (!report(file, textures[i].paint().SaveBmp(file.string())))
            return 1;
    }
    std::filesystem::path ball = run / "models" / "ball.x";
    if (!report(ball, WriteXFile(ball.string(), "Ball", BuildBallMesh())))
        return 1;
    std::filesystem::path floor = run / "models" / "floor.X";
    if (!report(floor, WriteXFile(floor.string(), "Floor", BuildFloorMesh())))
        return 1;

    if (const char* failure = WriteIconFiles(run))
    {
        std::fprintf(stderr, "make_assets: %s: icons: %s\n", run.string().c_str(), failure);
        return 1;
    }
    written += int(IconFiles().size());

    std::printf("make_assets: wrote %d files into %s\n", written, run.string().c_str());
    return 0;
}
