// mesh_probe: the geometry a .x file gives through this platform's decoder (Assimp on Linux,
// DirectX File on Windows), or with --text through the text reader the browser decodes with,
// printed so that the readings of the same file can be set side by side
// (tests/wine/mesh_probe.sh). For every file named on the command line: the result,
// the vertex and triangle counts, each subset's first vertex, triangle count and texture name,
// and checksums of the positions, normals and texture coordinates, each value rounded to
// 1/4096 first so that the last bit of two parsers' number reading does not count.
//   mesh_probe [--text] file.x...
// Ends with 0 when every file loaded, 1 otherwise.
#include "media/mesh_import.h"
#include "media/x_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
// FNV-1a over the rounded values.
struct Checksum
{
    uint32_t Value = 2166136261u;
    void Add(float value)
    {
        const auto rounded = uint32_t(int32_t(std::lround(double(value) * 4096.0)));
        for (int shift = 0; shift < 32; shift += 8)
        {
            Value ^= (rounded >> shift) & 0xFFu;
            Value *= 16777619u;
        }
    }
};

HRESULT ReadText(const char* path, d3dx::MeshGeometry* mesh)
{
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    return d3dx::ReadXText(text.data(), text.size(), mesh);
}

bool Probe(const char* path, bool text)
{
    d3dx::MeshGeometry mesh;
    const HRESULT hr = text ? ReadText(path, &mesh) : d3dx::ReadXMeshFile(path, &mesh);
    std::printf("%s: result 0x%08lx", path, static_cast<unsigned long>(hr));
    if (FAILED(hr))
    {
        std::printf("\n");
        return false;
    }
    std::printf(" vertices %zu triangles %zu subsets %zu\n", mesh.Vertices.size(),
                mesh.Vertices.size() / 3, mesh.Subsets.size());
    for (size_t i = 0; i < mesh.Subsets.size(); ++i)
        std::printf("  subset %lu: first %lu triangles %lu texture \"%s\"\n",
                    static_cast<unsigned long>(mesh.Subsets[i].AttribId),
                    static_cast<unsigned long>(mesh.Subsets[i].FirstVertex),
                    static_cast<unsigned long>(mesh.Subsets[i].TriangleCount),
                    i < mesh.Materials.size() ? mesh.Materials[i].TextureFile.c_str() : "");
    Checksum positions, normals, uvs;
    for (const d3dx::MeshVertex& v : mesh.Vertices)
    {
        for (int k = 0; k < 3; ++k)
        {
            positions.Add(v.Position[k]);
            normals.Add(v.Normal[k]);
        }
        uvs.Add(v.Tex[0]);
        uvs.Add(v.Tex[1]);
    }
    std::printf("  positions %08x normals %08x uv %08x\n", positions.Value, normals.Value,
                uvs.Value);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    const bool text = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    const int first = text ? 2 : 1;
    bool all = argc > first;
    for (int i = first; i < argc; ++i)
        all = Probe(argv[i], text) && all;
    std::fflush(stdout);
    return all ? 0 : 1;
}
