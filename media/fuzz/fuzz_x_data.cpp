// Fuzz target: the shared reader of a Mesh object's data blocks (the layout DirectX File hands the
// Windows decoder) and its conversion to the triangle list, then the adjacency of the result.
// The input's first byte says which child blocks are present, the next twelve give the sizes of
// the normals, texture coordinates and material list; what follows is split in that order, the
// Mesh block taking the rest. The material list's materials are read from the Mesh block's
// first bytes, as a Material block would come.
#include "media/x_data.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 13)
        return 0;
    uint8_t present = data[0];
    uint32_t sizes[3];
    std::memcpy(sizes, data + 1, sizeof sizes);
    const uint8_t* at = data + 13;
    size_t left = size - 13;
    d3dx::XBlock* children[3];
    d3dx::XMeshData mesh;
    children[0] = &mesh.Normals;
    children[1] = &mesh.TexCoords;
    children[2] = &mesh.MaterialList;
    for (int i = 0; i < 3; ++i)
    {
        size_t take = sizes[i] < left ? sizes[i] : left;
        if (present & (1u << i))
            *children[i] = d3dx::XBlock{at, take};
        at += take;
        left -= take;
    }
    mesh.Mesh = d3dx::XBlock{at, left};
    for (unsigned m = 0; m < unsigned(present >> 4); ++m)
    {
        d3dx::MeshMaterial material;
        if (d3dx::ReadXMaterial(mesh.Mesh, &material))
            mesh.Materials.push_back(material);
    }

    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    d3dx::MeshGeometry geometry;
    if (FAILED(d3dx::AppendXMesh(mesh, identity, &geometry)))
        return 0;
    // What came out must be whole triangles, each subset inside the list.
    if (geometry.Vertices.size() % 3 != 0 || geometry.Subsets.size() != geometry.Materials.size())
        std::abort();
    for (const d3dx::MeshSubset& subset : geometry.Subsets)
        if (size_t(subset.FirstVertex) + size_t(subset.TriangleCount) * 3 >
            geometry.Vertices.size())
            std::abort();
    d3dx::ComputeAdjacency(geometry);
    return 0;
}
