// Tests of the asset tool: it writes all twenty-two files, the same bytes every run, and the
// pictures and meshes have the properties the game's drawing relies on. Files are read back with
// the utility stand-in's own loaders, as the game reads them.
#include "media/mesh_import.h"
#include "media/texture_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
const char* const Bitmaps[] = {
#define TEXTURE_FILE(name, member, kind, painter, failureText) #name,
#include "common/texture_files.def"
#undef TEXTURE_FILE
};

// Runs the tool once into a fresh folder and returns the folder.
std::string RunTool()
{
    const char* bin = std::getenv("ZENDRILL_BIN_DIR");
    EXPECT_NE(bin, nullptr);
    char folder[] = "/tmp/zendrill-assets-XXXXXX";
    EXPECT_NE(mkdtemp(folder), nullptr);
    std::string command =
        std::string("\"") + (bin ? bin : ".") + "/make_assets\" \"" + folder + "\" > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return folder;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file of a run, relative to its folder.
std::vector<std::string> AllFiles()
{
    std::vector<std::string> files;
    for (const char* name : Bitmaps)
        files.push_back(std::string("textures/") + name + ".bmp");
    files.push_back("models/ball.x");
    files.push_back("models/floor.X");
    for (const char* size : {"16", "22", "24", "32", "48", "64", "128", "256"})
        files.push_back(std::string("icons/hicolor/") + size + "x" + size + "/apps/zendrill.png");
    files.push_back("icons/web/zendrill-192.png");
    files.push_back("icons/web/zendrill-512.png");
    files.push_back("icons/zendrill.ico");
    return files;
}

class Assets : public testing::Test
{
  protected:
    static void SetUpTestSuite() { folder = new std::string(RunTool()); }
    static void TearDownTestSuite()
    {
        std::system(("rm -rf \"" + *folder + "\"").c_str());
        delete folder;
    }
    static d3dx::Image Picture(const char* name)
    {
        d3dx::Image image;
        EXPECT_EQ(
            d3dx::ReadBitmapFile((*folder + "/textures/" + name + ".bmp").c_str(), &image, nullptr),
            D3D_OK)
            << name;
        return image;
    }
    // The picture as the game's texture set loads it: keyed with opaque black, point filtered.
    static std::vector<d3dx::Image> Keyed(const char* name, UINT mipLevels)
    {
        d3dx::TextureRequest request{
            0, 0, mipLevels, D3DFMT_A8R8G8B8, D3DX_FILTER_POINT, D3DX_FILTER_POINT, 0xFF000000};
        std::vector<d3dx::Image> levels;
        D3DFORMAT format;
        EXPECT_EQ(d3dx::BuildTextureLevels(Picture(name), request, &levels, &format), D3D_OK);
        return levels;
    }
    static std::string* folder;
};
std::string* Assets::folder = nullptr;

bool PowerOfTwo(UINT v)
{
    return v && !(v & (v - 1));
}

TEST_F(Assets, TwoRunsWriteAllFilesWithTheSameBytes)
{
    std::string second = RunTool();
    for (const std::string& file : AllFiles())
    {
        std::string a = ReadAll(*folder + "/" + file), b = ReadAll(second + "/" + file);
        EXPECT_FALSE(a.empty()) << file;
        EXPECT_TRUE(a == b) << file << " differs between runs";
    }
    std::system(("rm -rf \"" + second + "\"").c_str());
}

TEST_F(Assets, EveryPictureDecodesWithPowerOfTwoSides)
{
    for (const char* name : Bitmaps)
    {
        d3dx::Image image = Picture(name);
        EXPECT_TRUE(PowerOfTwo(image.Width) && PowerOfTwo(image.Height))
            << name << " is " << image.Width << "x" << image.Height;
    }
}

TEST_F(Assets, TitleIsWideVisibleLetteringOnPureBlack)
{
    d3dx::Image title = Keyed("TITLE", 1)[0];
    ASSERT_EQ(title.Width, 512u);
    ASSERT_EQ(title.Height, 128u);
    UINT visible = 0, left = title.Width, right = 0;
    for (UINT y = 0; y < title.Height; ++y)
        for (UINT x = 0; x < title.Width; ++x)
            if (title.Texels[y * title.Width + x] >> 24)
            {
                ++visible;
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_EQ(title.Texels[0], 0u) << "the corner must be keyed out";
    EXPECT_GT(visible, title.Width * title.Height / 5);
    EXPECT_LT(visible, title.Width * title.Height * 3 / 4);
    EXPECT_GT(right - left, title.Width * 9 / 10) << "the lettering spans the picture";
}

TEST_F(Assets, SnowFlakeStaysVisibleOnItsTriangleAtEveryMipLevel)
{
    // The game loads SNOW with five point-filtered levels and draws each flake as the triangle
    // (0,0) (1,0) (1,1) in texture space: only texels with u >= v show.
    std::vector<d3dx::Image> levels = Keyed("SNOW", 5);
    ASSERT_EQ(levels.size(), 5u);
    EXPECT_EQ(levels[0].Texels[levels[0].Width * (levels[0].Height - 1)], 0u)
        << "the bottom-left corner is background";
    for (size_t i = 0; i < levels.size(); ++i)
    {
        const d3dx::Image& level = levels[i];
        UINT shown = 0;
        for (UINT y = 0; y < level.Height; ++y)
            for (UINT x = y; x < level.Width; ++x)
                if (level.Texels[y * level.Width + x] >> 24)
                    ++shown;
        EXPECT_GT(shown, 0u) << "level " << i << " lost the flake";
    }
}

TEST_F(Assets, DigitCellsAreInkedAndAllDifferent)
{
    d3dx::Image digits = Picture("DIGITS");
    ASSERT_EQ(digits.Width % 10, 6u) << "256 texels: cells of 25.6";
    std::vector<std::vector<DWORD>> cells(10);
    for (int d = 0; d < 10; ++d)
    {
        UINT x0 = UINT(std::ceil(d * digits.Width / 10.0)), x1 = UINT((d + 1) * digits.Width / 10);
        UINT ink = 0;
        for (UINT y = 0; y < digits.Height; ++y)
            for (UINT x = x0; x < x0 + 25 && x < x1 + 1 && x < digits.Width; ++x)
            {
                DWORD t = digits.Texels[y * digits.Width + x];
                cells[d].push_back(t);
                if (((t >> 16 & 0xFF) + (t >> 8 & 0xFF) + (t & 0xFF)) > 300)
                    ++ink;
            }
        EXPECT_GT(ink, 30u) << "digit " << d;
    }
    for (int a = 0; a < 10; ++a)
        for (int b = a + 1; b < 10; ++b)
        {
            size_t differing = 0;
            for (size_t i = 0; i < std::min(cells[a].size(), cells[b].size()); ++i)
                differing += cells[a][i] != cells[b][i];
            EXPECT_GT(differing, 20u) << "digits " << a << " and " << b << " look alike";
        }
}

TEST_F(Assets, SixBrickColoursAreClearlyApart)
{
    std::vector<double> mean[6];
    for (int i = 0; i < 6; ++i)
    {
        std::string name = "BLOCK" + std::to_string(i + 1);
        d3dx::Image brick = Picture(name.c_str());
        double sum[3] = {0, 0, 0};
        for (DWORD t : brick.Texels)
            for (int c = 0; c < 3; ++c)
                sum[c] += t >> (16 - 8 * c) & 0xFF;
        for (double s : sum)
            mean[i].push_back(s / double(brick.Texels.size()));
    }
    for (int a = 0; a < 6; ++a)
        for (int b = a + 1; b < 6; ++b)
        {
            double distance = 0;
            for (int c = 0; c < 3; ++c)
                distance += std::fabs(mean[a][c] - mean[b][c]);
            EXPECT_GT(distance, 60.0) << "BLOCK" << a + 1 << " and BLOCK" << b + 1;
        }
}

// Every triangle's clockwise side (the front under counter-clockwise culling) agrees with the
// normals stored at its corners.
void ExpectFrontFacesAgreeWithNormals(const d3dx::MeshGeometry& mesh, const char* name)
{
    size_t wrong = 0;
    for (size_t i = 0; i + 2 < mesh.Vertices.size(); i += 3)
    {
        const float* a = mesh.Vertices[i].Position;
        const float* b = mesh.Vertices[i + 1].Position;
        const float* c = mesh.Vertices[i + 2].Position;
        float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                      u[0] * v[1] - u[1] * v[0]};
        float dot = 0;
        for (int k = 0; k < 3; ++k)
            for (int corner = 0; corner < 3; ++corner)
                dot += n[k] * mesh.Vertices[i + corner].Normal[k];
        wrong += dot <= 0.0f;
    }
    EXPECT_EQ(wrong, 0u) << name;
}

TEST_F(Assets, BallIsASmoothSphereRestingOnTheField)
{
    d3dx::MeshGeometry ball;
    ASSERT_EQ(d3dx::ReadXMeshFile((*folder + "/models/ball.x").c_str(), &ball), D3D_OK);
    ASSERT_EQ(ball.Subsets.size(), 1u);
    float radius = ball.Vertices[0].Position[1] / 2.0f; // vertex 0 is the top pole
    EXPECT_GT(radius, 1.5f);
    EXPECT_LT(radius, 5.0f);
    float lowest = 1e9f;
    for (const d3dx::MeshVertex& v : ball.Vertices)
    {
        float d[3] = {v.Position[0], v.Position[1] - radius, v.Position[2]};
        float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        ASSERT_NEAR(length, radius, 1e-4f);
        // Smooth: the normal is the direction from the centre.
        for (int k = 0; k < 3; ++k)
            ASSERT_NEAR(v.Normal[k], d[k] / radius, 1e-4f);
        ASSERT_GE(v.Tex[0], 0.0f);
        ASSERT_LE(v.Tex[0], 1.0f);
        ASSERT_GE(v.Tex[1], 0.0f);
        ASSERT_LE(v.Tex[1], 1.0f);
        lowest = std::min(lowest, v.Position[1]);
    }
    EXPECT_NEAR(lowest, 0.0f, 1e-4f) << "the ball sits on the play field";
    ExpectFrontFacesAgreeWithNormals(ball, "ball.x");
}

TEST_F(Assets, FloorSceneryStaysBelowTheArena)
{
    d3dx::MeshGeometry floor;
    ASSERT_EQ(d3dx::ReadXMeshFile((*folder + "/models/floor.X").c_str(), &floor), D3D_OK);
    ASSERT_FALSE(floor.Vertices.empty());
    float top = -1e9f, bottom = 1e9f;
    for (const d3dx::MeshVertex& v : floor.Vertices)
    {
        top = std::max(top, v.Position[1]);
        bottom = std::min(bottom, v.Position[1]);
    }
    EXPECT_LE(top, -350.0f) << "nothing rises into the cameras' view of the arena";
    EXPECT_GE(bottom, -500.0f - 1e-3f) << "nothing sinks under the ground plane";
    ExpectFrontFacesAgreeWithNormals(floor, "floor.X");
}
} // namespace
