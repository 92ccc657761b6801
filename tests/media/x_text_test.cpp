// Tests of the text .x reader the browser decodes meshes with: on the same files it must give
// what the Linux decoder (Assimp, through ImportXMesh) gives, the game's own meshes included, and
// it must refuse what it cannot read safely.
#include "media/mesh_import.h"
#include "media/x_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
using d3dx::MeshGeometry;

void ExpectSameGeometry(const std::string& text, const char* what)
{
    MeshGeometry reference, read;
    ASSERT_EQ(d3dx::ImportXMesh(text.data(), text.size(), &reference), D3D_OK) << what;
    ASSERT_EQ(d3dx::ReadXText(text.data(), text.size(), &read), D3D_OK) << what;
    ASSERT_EQ(read.Vertices.size(), reference.Vertices.size()) << what;
    for (size_t i = 0; i < read.Vertices.size(); ++i)
    {
        const d3dx::MeshVertex& a = read.Vertices[i];
        const d3dx::MeshVertex& b = reference.Vertices[i];
        for (int k = 0; k < 3; ++k)
        {
            ASSERT_NEAR(a.Position[k], b.Position[k], 1e-4f) << what << " vertex " << i;
            ASSERT_NEAR(a.Normal[k], b.Normal[k], 1e-4f) << what << " vertex " << i;
        }
        ASSERT_NEAR(a.Tex[0], b.Tex[0], 1e-5f) << what << " vertex " << i;
        ASSERT_NEAR(a.Tex[1], b.Tex[1], 1e-5f) << what << " vertex " << i;
    }
    ASSERT_EQ(read.Subsets.size(), reference.Subsets.size()) << what;
    for (size_t i = 0; i < read.Subsets.size(); ++i)
    {
        EXPECT_EQ(read.Subsets[i].AttribId, reference.Subsets[i].AttribId) << what;
        EXPECT_EQ(read.Subsets[i].FirstVertex, reference.Subsets[i].FirstVertex) << what;
        EXPECT_EQ(read.Subsets[i].TriangleCount, reference.Subsets[i].TriangleCount) << what;
        // Material colours are the Windows path's (white without a list, references followed),
        // where Assimp has its own defaults; the game never reads them.
        EXPECT_EQ(read.Materials[i].TextureFile, reference.Materials[i].TextureFile) << what;
    }
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Normals, texture coordinates, a frame's transform, a polygon, and a material list whose
// materials are a child, a reference to a named top-level material, and one with a texture.
const char* const Scene = R"(xof 0302txt 0032
// comments are skipped
Material Shared {
 0.0;1.0;0.0;1.0;;
 2.0;
 0.0;0.0;0.0;;
 0.0;0.0;0.0;;
}
Frame Holder {
 FrameTransformMatrix {
  1.0,0.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,-1.0,0.0,0.0,10.0,20.0,30.0,1.0;;
 }
 Mesh Quads {
  8;
  0.0;0.0;0.0;, 0.0;0.0;1.0;, 1.0;0.0;1.0;, 1.0;0.0;0.0;,
  2.0;0.0;0.0;, 2.0;0.0;1.0;, 3.0;0.0;1.0;, 3.0;0.0;0.0;;
  3;
  4;0,1,2,3;,
  3;4,5,6;,
  3;4,6,7;;
  MeshNormals {
   2;
   0.0;1.0;0.0;, 0.0;-1.0;0.0;;
   3;
   4;0,0,0,0;,
   3;1,1,1;,
   3;1,1,1;;
  }
  MeshTextureCoords {
   8;
   0.0;0.0;, 0.0;1.0;, 1.0;1.0;, 1.0;0.0;,
   0.0;0.0;, 0.0;1.0;, 1.0;1.0;, 1.0;0.0;;
  }
  MeshMaterialList {
   3;
   3;
   0,
   1,
   2;;
   Material Red {
    1.0;0.0;0.0;1.0;;
    5.0;
    0.0;0.0;0.0;;
    0.0;0.0;0.0;;
   }
   { Shared }
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
}
)";

TEST(XText, ReadsWhatTheLinuxDecoderReads)
{
    ExpectSameGeometry(Scene, "scene");
    MeshGeometry scene;
    ASSERT_EQ(d3dx::ReadXText(Scene, std::char_traits<char>::length(Scene), &scene), D3D_OK);
    ASSERT_EQ(scene.Materials.size(), 3u);
    EXPECT_EQ(scene.Materials[1].Material.Diffuse.g, 1.0f) << "the referenced material";
    // The game's own meshes, as the asset tool writes them.
    const char* run = std::getenv("ZENDRILL_RUN_DIR");
    ASSERT_NE(run, nullptr);
    for (const char* name : {"/models/ball.x", "/models/floor.X"})
    {
        const std::string text = ReadFile(std::string(run) + name);
        ASSERT_FALSE(text.empty()) << name;
        ExpectSameGeometry(text, name);
    }
    // Files in the exporters' style (template declarations, comments, frames, references,
    // vertex colours, an animation).
    const char* source = std::getenv("ZENDRILL_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    for (const char* name :
         {"/tests/media/data/exporter_scene.x", "/tests/media/data/exporter_meshes.x"})
    {
        const std::string text = ReadFile(std::string(source) + name);
        ASSERT_FALSE(text.empty()) << name;
        ExpectSameGeometry(text, name);
    }
}

TEST(XText, RefusesWhatItCannotReadSafely)
{
    const std::string scene = Scene;
    auto refused = [](const std::string& text)
    {
        MeshGeometry mesh;
        return d3dx::ReadXText(text.data(), text.size(), &mesh) == D3DXERR_INVALIDDATA;
    };
    EXPECT_TRUE(refused(""));
    EXPECT_TRUE(refused(scene.substr(0, scene.size() / 2))) << "cut short";
    EXPECT_TRUE(refused("xof 0302bin 0032" + scene.substr(16))) << "binary";
    std::string unknown = scene;
    unknown.replace(unknown.find("{ Shared }"), 10, "{ Nobody }");
    EXPECT_TRUE(refused(unknown)) << "reference to nothing";
    std::string notNumber = scene;
    notNumber.replace(notNumber.find("4;0,1,2,3;"), 10, "4;0,1,2,x;");
    EXPECT_TRUE(refused(notNumber)) << "a name among the numbers";
    std::string negative = scene;
    negative.replace(negative.find("4;0,1,2,3;"), 10, "4;0,1,2,-3");
    EXPECT_TRUE(refused(negative)) << "a negative index";
    // Frames nested past the limit are refused, not followed until the stack runs out.
    std::string deep = "xof 0302txt 0032\n";
    for (int i = 0; i < 100000; ++i)
        deep += "Frame {\n";
    EXPECT_TRUE(refused(deep));
    // A frame that holds a reference to itself.
    EXPECT_TRUE(refused("xof 0302txt 0032\nFrame Loop {\n { Loop }\n}\n"));
}
} // namespace
