// Tests of the device-free mesh import: .x files read through Assimp come out in the file's own
// left-handed coordinates, winding and texture coordinates, split into subsets.
#include "media/mesh_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
using d3dx::MeshGeometry;

HRESULT Import(const std::string& text, MeshGeometry* mesh)
{
    return d3dx::ImportXMesh(text.data(), text.size(), mesh);
}

void ExpectVector(const float* v, float x, float y, float z, const char* what)
{
    EXPECT_NEAR(v[0], x, 1e-6f) << what;
    EXPECT_NEAR(v[1], y, 1e-6f) << what;
    EXPECT_NEAR(v[2], z, 1e-6f) << what;
}

// A file of tests/media/data, or an empty text when it cannot be read.
std::string DataFile(const char* name)
{
    const char* source = std::getenv("ZENDRILL_SOURCE_DIR");
    std::ifstream file(std::string(source ? source : ".") + "/tests/media/data/" + name,
                       std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

const char* const Triangle = R"(xof 0302txt 0032
Mesh Triangle {
 3;
 0.0;0.0;2.0;,
 0.0;1.0;3.0;,
 1.0;0.0;4.0;;
 1;
 3;0,1,2;;
 MeshNormals {
  3;
  0.0;0.0;-1.0;,
  0.0;0.6;-0.8;,
  0.6;0.0;-0.8;;
  1;
  3;0,1,2;;
 }
 MeshTextureCoords {
  3;
  0.0;0.0;,
  0.0;1.0;,
  1.0;0.25;;
 }
}
)";

TEST(MeshImport, VerticesComeOutExactlyAsTheFileStoresThem)
{
    MeshGeometry mesh;
    ASSERT_EQ(Import(Triangle, &mesh), D3D_OK);
    ASSERT_EQ(mesh.Vertices.size(), 3u);
    ASSERT_EQ(mesh.Subsets.size(), 1u);
    EXPECT_EQ(mesh.Subsets[0].AttribId, 0u);
    EXPECT_EQ(mesh.Subsets[0].FirstVertex, 0u);
    EXPECT_EQ(mesh.Subsets[0].TriangleCount, 1u);
    // Same order (winding), same z sign, same v.
    ExpectVector(mesh.Vertices[0].Position, 0, 0, 2, "position 0");
    ExpectVector(mesh.Vertices[1].Position, 0, 1, 3, "position 1");
    ExpectVector(mesh.Vertices[2].Position, 1, 0, 4, "position 2");
    ExpectVector(mesh.Vertices[1].Normal, 0, 0.6f, -0.8f, "normal 1");
    ExpectVector(mesh.Vertices[2].Normal, 0.6f, 0, -0.8f, "normal 2");
    EXPECT_NEAR(mesh.Vertices[1].Tex[1], 1.0f, 1e-6f);
    EXPECT_NEAR(mesh.Vertices[2].Tex[0], 1.0f, 1e-6f);
    EXPECT_NEAR(mesh.Vertices[2].Tex[1], 0.25f, 1e-6f);
}

TEST(MeshImport, MissingNormalsAreMadeFacingTheClockwiseSide)
{
    // Seen from -z the corners run clockwise, so the front (and the made normal) faces -z.
    const char* text = R"(xof 0302txt 0032
Mesh {
 3;
 0.0;0.0;0.0;,
 0.0;1.0;0.0;,
 1.0;0.0;0.0;;
 1;
 3;0,1,2;;
}
)";
    MeshGeometry mesh;
    ASSERT_EQ(Import(text, &mesh), D3D_OK);
    ASSERT_EQ(mesh.Vertices.size(), 3u);
    for (const d3dx::MeshVertex& v : mesh.Vertices)
        ExpectVector(v.Normal, 0, 0, -1, "made normal");
}

TEST(MeshImport, MadeNormalsAreSmoothWhereFacesMeet)
{
    // A roof: two faces meeting at the ridge x = 0, sloping down to either side.
    const char* text = R"(xof 0302txt 0032
Mesh Roof {
 6;
 -1.0;0.0;0.0;, 0.0;1.0;0.0;, 0.0;1.0;1.0;,
 0.0;1.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;1.0;;
 2;
 3;0,2,1;,
 3;3,5,4;;
}
)";
    MeshGeometry mesh;
    ASSERT_EQ(Import(text, &mesh), D3D_OK);
    ASSERT_EQ(mesh.Vertices.size(), 6u);
    const float half = std::sqrt(0.5f);
    // Output order is the file's corner order: 0 2 1, then 3 5 4.
    ExpectVector(mesh.Vertices[0].Normal, -half, half, 0, "left eave");
    ExpectVector(mesh.Vertices[5].Normal, half, half, 0, "right eave");
    // The ridge takes both faces: straight up.
    for (size_t ridge : {1, 2, 3, 4})
        ExpectVector(mesh.Vertices[ridge].Normal, 0, 1, 0, "ridge");
}

TEST(MeshImport, PolygonsAreTriangulatedAndFrameTransformsApplied)
{
    const char* text = R"(xof 0302txt 0032
Frame Holder {
 FrameTransformMatrix {
  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,10.0,20.0,30.0,1.0;;
 }
 Mesh Quad {
  4;
  0.0;0.0;0.0;,
  0.0;0.0;1.0;,
  1.0;0.0;1.0;,
  1.0;0.0;0.0;;
  1;
  4;0,1,2,3;;
 }
}
)";
    MeshGeometry mesh;
    ASSERT_EQ(Import(text, &mesh), D3D_OK);
    ASSERT_EQ(mesh.Subsets.size(), 1u);
    EXPECT_EQ(mesh.Subsets[0].TriangleCount, 2u);
    ASSERT_EQ(mesh.Vertices.size(), 6u);
    for (const d3dx::MeshVertex& v : mesh.Vertices)
    {
        EXPECT_NEAR(v.Position[1], 20.0f, 1e-5f);
        EXPECT_TRUE(v.Position[2] > 29.9f && v.Position[2] < 31.1f) << v.Position[2];
        // Clockwise seen from above: the made normals point up.
        EXPECT_NEAR(v.Normal[1], 1.0f, 1e-5f);
    }
}

TEST(MeshImport, EachMaterialOfAMeshIsASubsetWithItsMaterial)
{
    const char* text = R"(xof 0302txt 0032
Mesh Pair {
 6;
 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;,
 2.0;0.0;0.0;, 2.0;1.0;0.0;, 3.0;0.0;0.0;;
 2;
 3;0,1,2;,
 3;3,4,5;;
 MeshMaterialList {
  2;
  2;
  1,
  0;;
  Material Red {
   1.0;0.0;0.0;1.0;;
   5.0;
   0.0;0.0;0.0;;
   0.0;0.0;0.0;;
  }
  Material Textured {
   0.0;0.0;1.0;1.0;;
   5.0;
   0.0;0.0;0.0;;
   0.0;0.0;0.0;;
   TextureFilename {
    "stone.bmp";
   }
  }
 }
}
)";
    MeshGeometry mesh;
    ASSERT_EQ(Import(text, &mesh), D3D_OK);
    ASSERT_EQ(mesh.Subsets.size(), 2u);
    ASSERT_EQ(mesh.Materials.size(), 2u);
    // Subset 0 holds the faces of material 0 (the second face, at x 2..3).
    EXPECT_EQ(mesh.Subsets[0].TriangleCount, 1u);
    EXPECT_NEAR(mesh.Vertices[mesh.Subsets[0].FirstVertex].Position[0], 2.0f, 1e-6f);
    EXPECT_NEAR(mesh.Materials[0].Material.Diffuse.r, 1.0f, 1e-6f);
    EXPECT_TRUE(mesh.Materials[0].TextureFile.empty());
    EXPECT_EQ(mesh.Subsets[1].AttribId, 1u);
    EXPECT_NEAR(mesh.Materials[1].Material.Diffuse.b, 1.0f, 1e-6f);
    EXPECT_EQ(mesh.Materials[1].TextureFile, "stone.bmp");
}

TEST(MeshImport, DamagedFilesAreRefusedWithAnErrorCode)
{
    MeshGeometry mesh;
    std::string triangle = Triangle;
    EXPECT_EQ(Import("", &mesh), D3DXERR_INVALIDDATA);
    EXPECT_EQ(Import("this is not a mesh file at all", &mesh), D3DXERR_INVALIDDATA);
    EXPECT_EQ(Import(triangle.substr(0, triangle.size() / 2), &mesh), D3DXERR_INVALIDDATA);
    std::string wrongVersion = triangle;
    wrongVersion.replace(0, 4, "xoF!");
    EXPECT_EQ(Import(wrongVersion, &mesh), D3DXERR_INVALIDDATA);

    std::string outOfRange = triangle;
    outOfRange.replace(outOfRange.find("3;0,1,2;;"), 9, "3;0,1,9;;");
    EXPECT_NE(Import(outOfRange, &mesh), D3D_OK);

    const char* noFaces = "xof 0302txt 0032\nMesh Empty {\n 0;;\n 0;;\n}\n";
    EXPECT_NE(Import(noFaces, &mesh), D3D_OK);
    EXPECT_TRUE(mesh.Vertices.empty());

    EXPECT_EQ(d3dx::ReadXMeshFile("no/such/folder/missing.x", &mesh), D3DXERR_INVALIDDATA);

    // A damaged count asking for billions of elements is refused without trying to allocate
    // them (under the sanitizer build an attempt would stop the test).
    std::string hugeVertices = triangle;
    hugeVertices.replace(hugeVertices.find(" 3;\n"), 4, " 3000000000;\n");
    EXPECT_EQ(Import(hugeVertices, &mesh), D3DXERR_INVALIDDATA);
    std::string hugeNormals = triangle;
    hugeNormals.replace(hugeNormals.find("MeshNormals {\n  3;"), 18, "MeshNormals {\n  900000000;");
    EXPECT_EQ(Import(hugeNormals, &mesh), D3DXERR_INVALIDDATA);

    // A normal face pointing past the normals: Assimp would read outside its array (found by
    // the mesh fuzz target). Refused before Assimp sees it, like a huge or fractional index.
    for (const char* face : {"3;0,1,22222222212;;", "3;0,1,3;;", "3;0,1.5,2;;"})
    {
        std::string badNormalFace = triangle;
        badNormalFace.replace(badNormalFace.rfind("3;0,1,2;;"), 9, face);
        EXPECT_EQ(Import(badNormalFace, &mesh), D3DXERR_INVALIDDATA) << face;
    }

    // Braces that do not pair: a template declaration that runs on into the data, an object
    // cut short, a stray closing brace. Assimp's reader crashed on such files (found by the
    // mesh fuzz target); they are refused before it sees them.
    std::string openTemplate = triangle;
    openTemplate.insert(openTemplate.find('\n') + 1,
                        "template Vector {\n <3D82AB5E-62DA-11cf-AB39-0020AF71E433>\n FLOAT x;\n");
    EXPECT_EQ(Import(openTemplate, &mesh), D3DXERR_INVALIDDATA);
    EXPECT_EQ(Import(triangle.substr(0, triangle.rfind('}')), &mesh), D3DXERR_INVALIDDATA);
    EXPECT_EQ(Import(triangle + "}\n", &mesh), D3DXERR_INVALIDDATA);

    // A material list whose one material's keyword runs on into stray bytes: Assimp skipped it
    // as an unknown object and then crashed on a list without materials (the mesh fuzz target).
    std::string strayMaterial = triangle;
    strayMaterial.insert(strayMaterial.rfind('}'),
                         " MeshMaterialList {\n 1;\n 1;\n 0;;\n Material\xe3\xe3 {\n"
                         "  1.0;1.0;1.0;1.0;;\n 1.0;\n 0.0;0.0;0.0;;\n 0.0;0.0;0.0;;\n }\n }\n");
    EXPECT_EQ(Import(strayMaterial, &mesh), D3DXERR_INVALIDDATA);
    std::string goodMaterial = strayMaterial;
    goodMaterial.replace(goodMaterial.find("Material\xe3\xe3"), 10, "Material");
    EXPECT_EQ(Import(goodMaterial, &mesh), D3D_OK);
    // A stray comma before it, which Assimp took for an unknown object, material and all.
    std::string strayComma = goodMaterial;
    strayComma.insert(strayComma.find(" Material {") + 1, ",");
    EXPECT_EQ(Import(strayComma, &mesh), D3DXERR_INVALIDDATA);
}

// Files as modelling tools' exporters write them: the templates declared before the data,
// comments, a header, frames, several meshes, materials shared by reference, vertex colours,
// an animation and other objects the loader skips.
TEST(MeshImport, ExportersFilesLoadWithTheirDeclarations)
{
    const std::string scene = DataFile("exporter_scene.x");
    ASSERT_FALSE(scene.empty()) << "tests/media/data/exporter_scene.x";
    MeshGeometry mesh;
    ASSERT_EQ(Import(scene, &mesh), D3D_OK);
    // The pyramid's sides (material 0) and base (the shared Metal), then the panel.
    ASSERT_EQ(mesh.Subsets.size(), 3u);
    ASSERT_EQ(mesh.Materials.size(), 3u);
    ASSERT_EQ(mesh.Vertices.size(), 24u);
    EXPECT_EQ(mesh.Subsets[0].TriangleCount, 4u);
    EXPECT_EQ(mesh.Subsets[1].FirstVertex, 12u);
    EXPECT_EQ(mesh.Subsets[1].TriangleCount, 2u);
    EXPECT_EQ(mesh.Subsets[2].FirstVertex, 18u);
    EXPECT_EQ(mesh.Subsets[2].TriangleCount, 2u);
    EXPECT_EQ(mesh.Materials[0].TextureFile, "stone.bmp");
    EXPECT_EQ(mesh.Materials[1].TextureFile, "metal.bmp") << "the referenced material";
    EXPECT_EQ(mesh.Materials[2].TextureFile, "metal.bmp");
    // Both frames' transforms: the pyramid's scale and shift, then the root's turn and lift.
    ExpectVector(mesh.Vertices[0].Position, 3, 1, 2, "pyramid corner");
    ExpectVector(mesh.Vertices[2].Position, 5, 4, 0, "pyramid apex");
    ExpectVector(mesh.Vertices[0].Normal, 0, 2 / std::sqrt(13.0f), 3 / std::sqrt(13.0f),
                 "side normal, normalised and turned");
    ExpectVector(mesh.Vertices[12].Position, 3, 1, -2, "base corner");
    ExpectVector(mesh.Vertices[12].Normal, 0, -1, 0, "base normal");
    ExpectVector(mesh.Vertices[18].Position, 0, 1, 4, "panel corner");
    ExpectVector(mesh.Vertices[18].Normal, -1, 0, 0, "panel's made normal");
    EXPECT_NEAR(mesh.Vertices[18].Tex[1], 1.0f, 1e-6f);

    const std::string meshes = DataFile("exporter_meshes.x");
    ASSERT_FALSE(meshes.empty()) << "tests/media/data/exporter_meshes.x";
    ASSERT_EQ(Import(meshes, &mesh), D3D_OK);
    // The wedge (one material for all faces), then the strip's two paints.
    ASSERT_EQ(mesh.Subsets.size(), 3u);
    EXPECT_EQ(mesh.Subsets[0].TriangleCount, 6u);
    EXPECT_EQ(mesh.Subsets[1].TriangleCount, 4u);
    EXPECT_EQ(mesh.Subsets[2].TriangleCount, 2u);
    EXPECT_EQ(mesh.Materials[0].TextureFile, "wedge.bmp");
    EXPECT_TRUE(mesh.Materials[1].TextureFile.empty());
    EXPECT_EQ(mesh.Materials[2].TextureFile, "blue.bmp");
    ExpectVector(mesh.Vertices[6].Normal, -1, 0, 0, "wedge side");
    ExpectVector(mesh.Vertices[18].Position, -3, 0, -1, "strip corner");

    // The counts are still guarded in such files: a count beyond the file's size, a face index
    // past the vertices, and damaged material lists (Assimp crashed on a lone sign after the
    // indices and on a list without materials, found by the mesh fuzz target from these files).
    std::string hugeCount = scene;
    hugeCount.replace(hugeCount.find("5; // vertices"), 1, "5000000000");
    EXPECT_EQ(Import(hugeCount, &mesh), D3DXERR_INVALIDDATA);
    std::string pastVertices = scene;
    pastVertices.replace(pastVertices.find("3;0,1,4;,"), 9, "3;0,1,5;,");
    EXPECT_EQ(Import(pastVertices, &mesh), D3DXERR_INVALIDDATA);
    for (const char* index : {"0;-", "1;;"})
    {
        std::string badMaterial = meshes;
        badMaterial.replace(badMaterial.find("  0;;\n  Material {"), 5, std::string("  ") + index);
        EXPECT_EQ(Import(badMaterial, &mesh), D3DXERR_INVALIDDATA) << index;
    }
    const char* listWithoutMaterials =
        "xof 0303txt 0032\nMesh {3;0;0;0;,0;1;0;,1;0;0;;1;3;0,1,2;;\n"
        "MeshMaterialList {1;1;0;;}\n}\n";
    EXPECT_EQ(Import(listWithoutMaterials, &mesh), D3DXERR_INVALIDDATA);
}

TEST(MeshImport, AdjacencyLinksTrianglesThatShareAnEdge)
{
    const char* text = R"(xof 0302txt 0032
Mesh Square {
 4;
 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;0.0;0.0;;
 2;
 3;0,1,2;,
 3;0,2,3;;
}
)";
    MeshGeometry mesh;
    ASSERT_EQ(Import(text, &mesh), D3D_OK);
    std::vector<DWORD> adjacency = d3dx::ComputeAdjacency(mesh);
    const DWORD none = 0xFFFFFFFF;
    // Triangle 0's third edge (2 -> 0) is triangle 1's first edge (0 -> 2).
    EXPECT_EQ(adjacency, (std::vector<DWORD>{none, none, 1, 0, none, none}));
}
} // namespace
