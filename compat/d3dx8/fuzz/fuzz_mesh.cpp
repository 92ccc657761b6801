// Fuzz target: a .x file from memory through Assimp's reader and the conversion to the triangle
// list the mesh object draws, then the adjacency of the result.
#include "compat/d3dx8/mesh_import.h"

#include <cstdint>
#include <cstdlib>

// Assimp's .x reader leaks part of its half-built scene when it gives up on a damaged file. That
// is the system library's own memory, reported upstream's way; our code's leaks still count.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libassimp.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    d3dx::MeshGeometry mesh;
    if (FAILED(d3dx::ImportXMesh(data, size, &mesh)))
    {
        if (!mesh.Vertices.empty() || !mesh.Subsets.empty())
            std::abort(); // a failed import hands back nothing
        return 0;
    }
    if (mesh.Vertices.size() % 3 != 0 || mesh.Subsets.empty() ||
        mesh.Subsets.size() != mesh.Materials.size())
        std::abort();
    for (const d3dx::MeshSubset& subset : mesh.Subsets)
        if (subset.TriangleCount == 0 ||
            size_t(subset.FirstVertex) + size_t(subset.TriangleCount) * 3 > mesh.Vertices.size())
            std::abort();
    if (mesh.Vertices.size() <= 30000)
        if (d3dx::ComputeAdjacency(mesh).size() != mesh.Vertices.size())
            std::abort();
    return 0;
}
