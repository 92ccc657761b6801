// Tests of the shared reader of DirectX File data blocks (the Windows decoder's input): the
// triangle list it builds from a Mesh and its children, and the damage it refuses. The blocks
// are laid out here as DirectX File hands them out, since the decoder itself runs only on
// Windows.
#include "media/x_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace
{
using d3dx::MeshGeometry;
using d3dx::XBlock;
using d3dx::XMeshData;

// A block of 4-byte values: DWORDs, and floats by their bits.
struct Block
{
    std::vector<uint32_t> words;
    Block& Dwords(std::initializer_list<uint32_t> values)
    {
        words.insert(words.end(), values);
        return *this;
    }
    Block& Floats(std::initializer_list<float> values)
    {
        for (float value : values)
        {
            uint32_t bits;
            std::memcpy(&bits, &value, sizeof bits);
            words.push_back(bits);
        }
        return *this;
    }
    XBlock View() const { return XBlock{words.data(), words.size() * 4}; }
};

const float Identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// A unit quad in the y = 0 plane, one four-cornered face, and a second three-cornered face.
Block QuadMesh()
{
    Block mesh;
    mesh.Dwords({4}).Floats({0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 0});
    mesh.Dwords({2, 4, 0, 1, 2, 3, 3, 0, 2, 3});
    return mesh;
}

TEST(XDataTest, BuildsFansInFileOrderWithNormalsTextureCoordinatesAndTransform)
{
    Block mesh = QuadMesh();
    Block normals;
    // Stored longer than 1: they come out normalised.
    normals.Dwords({1}).Floats({0, 2, 0}).Dwords({2, 4, 0, 0, 0, 0, 3, 0, 0, 0});
    Block uvs;
    uvs.Dwords({4}).Floats({0, 0, 0, 1, 1, 1, 1, 0});
    XMeshData data;
    data.Mesh = mesh.View();
    data.Normals = normals.View();
    data.TexCoords = uvs.View();
    // A frame moved by (10, 20, 30): row vectors, translation in the last row.
    float moved[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1};

    MeshGeometry geometry;
    ASSERT_EQ(d3dx::AppendXMesh(data, moved, &geometry), D3D_OK);
    ASSERT_EQ(geometry.Vertices.size(), 9u); // the quad's fan of two, then the triangle
    ASSERT_EQ(geometry.Subsets.size(), 1u);
    EXPECT_EQ(geometry.Subsets[0].TriangleCount, 3u);
    EXPECT_EQ(geometry.Materials[0].Material.Diffuse.r, 1.0f);
    const unsigned corners[9] = {0, 1, 2, 0, 2, 3, 0, 2, 3};
    const float positions[4][3] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}};
    const float coordinates[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (size_t v = 0; v < 9; ++v)
    {
        const d3dx::MeshVertex& vertex = geometry.Vertices[v];
        const float* p = positions[corners[v]];
        EXPECT_FLOAT_EQ(vertex.Position[0], p[0] + 10) << v;
        EXPECT_FLOAT_EQ(vertex.Position[1], p[1] + 20) << v;
        EXPECT_FLOAT_EQ(vertex.Position[2], p[2] + 30) << v;
        EXPECT_FLOAT_EQ(vertex.Normal[1], 1.0f) << v;
        EXPECT_FLOAT_EQ(vertex.Tex[0], coordinates[corners[v]][0]) << v;
        EXPECT_FLOAT_EQ(vertex.Tex[1], coordinates[corners[v]][1]) << v;
    }
}

TEST(XDataTest, SplitsFacesIntoOneSubsetPerUsedMaterialInMaterialOrder)
{
    Block mesh = QuadMesh();
    Block list;
    list.Dwords({3, 2, 2, 0}); // three materials; the quad wears the third, the triangle the first
    Block red, green;
    red.Floats({1, 0, 0, 1, 5, 0, 0, 0, 0, 0, 0});
    green.Floats({0, 1, 0, 1, 5, 0, 0, 0, 0, 0, 0});
    XMeshData data;
    data.Mesh = mesh.View();
    data.MaterialList = list.View();
    for (const Block* block : {&red, &green, &green})
    {
        d3dx::MeshMaterial material;
        ASSERT_TRUE(d3dx::ReadXMaterial(block->View(), &material));
        data.Materials.push_back(material);
    }

    MeshGeometry geometry;
    ASSERT_EQ(d3dx::AppendXMesh(data, Identity, &geometry), D3D_OK);
    // The second material has no faces and makes no subset.
    ASSERT_EQ(geometry.Subsets.size(), 2u);
    EXPECT_EQ(geometry.Subsets[0].FirstVertex, 0u);
    EXPECT_EQ(geometry.Subsets[0].TriangleCount, 1u);
    EXPECT_EQ(geometry.Subsets[1].AttribId, 1u);
    EXPECT_EQ(geometry.Subsets[1].FirstVertex, 3u);
    EXPECT_EQ(geometry.Subsets[1].TriangleCount, 2u);
    EXPECT_EQ(geometry.Materials[0].Material.Diffuse.r, 1.0f);
    EXPECT_EQ(geometry.Materials[1].Material.Diffuse.g, 1.0f);
    EXPECT_EQ(geometry.Materials[1].Material.Ambient.g, 1.0f);
    // No normals in the file: smooth ones, facing up out of the clockwise side.
    EXPECT_NEAR(geometry.Vertices[0].Normal[1], 1.0f, 1e-6f);
}

TEST(XDataTest, RefusesBlocksShorterThanTheirCountsAndIndicesPastTheirVectors)
{
    Block mesh = QuadMesh();
    auto refused = [&](const XMeshData& data, const char* what)
    {
        MeshGeometry geometry;
        EXPECT_EQ(d3dx::AppendXMesh(data, Identity, &geometry), D3DXERR_INVALIDDATA) << what;
        EXPECT_TRUE(geometry.Vertices.empty()) << what;
    };

    Block badIndex = mesh;
    badIndex.words[18] = 4; // the quad's last corner names a fifth vertex
    XMeshData data;
    data.Mesh = badIndex.View();
    refused(data, "face index past the vertices");

    Block hugeCount = mesh;
    hugeCount.words[0] = 0x40000000; // more vertices than the block holds
    data.Mesh = hugeCount.View();
    refused(data, "vertex count beyond the block");

    Block cut = mesh;
    cut.words.pop_back();
    data.Mesh = cut.View();
    refused(data, "last face cut short");

    data.Mesh = mesh.View();
    Block normals;
    normals.Dwords({1}).Floats({0, 1, 0}).Dwords({2, 3, 0, 0, 0, 3, 0, 0, 0});
    data.Normals = normals.View();
    refused(data, "normal face with fewer corners than its face");
    Block normalIndex;
    normalIndex.Dwords({1}).Floats({0, 1, 0}).Dwords({2, 4, 0, 0, 0, 1, 3, 0, 0, 0});
    data.Normals = normalIndex.View();
    refused(data, "normal index past the normals");
    data.Normals = XBlock{};

    Block uvs;
    uvs.Dwords({3}).Floats({0, 0, 0, 1, 1, 1});
    data.TexCoords = uvs.View();
    refused(data, "texture coordinates not one per vertex");
    data.TexCoords = XBlock{};

    Block list;
    list.Dwords({2, 2, 0, 2});
    data.MaterialList = list.View();
    refused(data, "material index past the list");
}

} // namespace
