// make_assets: writes the game's data into a run folder: the twenty pictures of textures/ and
// the two meshes of models/. Runs at build time; the same bytes on every run.
#include "meshes.h"
#include "textures.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_assets <run folder>\n");
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

    std::printf("make_assets: wrote %d files into %s\n", written, run.string().c_str());
    return 0;
}
