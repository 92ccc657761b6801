// Fuzz target: a .x file from memory through Assimp's reader and the conversion to the triangle
// list the mesh object draws, then the adjacency of the result.
#include "media/mesh_import.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

// Assimp's .x reader leaks part of its half-built scene when it gives up on a damaged file, which
// most mutated inputs are. That memory is the system library's, so it is suppressed; and the leak
// scan libFuzzer starts after every such input would cut the runs twentyfold, so it is switched
// off here. The import's own memory handling is checked for leaks by mesh_import_test under the
// sanitizer build, with damaged files of the same kinds.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libassimp.so\n";
}

// A damaged count in a binary .x file can make Assimp ask for more memory than any machine has.
// In the game that throws std::bad_alloc, which Assimp turns into a failed import; the
// sanitizer's own operator new cannot throw and stops the run instead. So this target brings its
// own allocation functions (over malloc, which the sanitizer still watches): requests beyond
// 256 MB fail with std::bad_alloc, as on a machine short of memory.
namespace
{
const size_t AllocationCap = size_t(256) << 20;

void* Allocate(size_t size)
{
    void* p = size <= AllocationCap ? std::malloc(size ? size : 1) : nullptr;
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* AllocateOrNull(size_t size) noexcept
{
    return size <= AllocationCap ? std::malloc(size ? size : 1) : nullptr;
}
} // namespace

void* operator new(size_t size)
{
    return Allocate(size);
}
void* operator new[](size_t size)
{
    return Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return AllocateOrNull(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept
{
    std::free(p);
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static std::vector<char*> arguments;
    static char noLeakScan[] = "-detect_leaks=0";
    arguments.assign(*argv, *argv + *argc);
    arguments.insert(arguments.begin() + (arguments.empty() ? 0 : 1), noLeakScan);
    arguments.push_back(nullptr);
    *argc += 1;
    *argv = arguments.data();
    return 0;
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
