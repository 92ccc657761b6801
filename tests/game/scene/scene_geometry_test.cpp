// The scene's fixed geometry and the snow's motion, without a device: the arena's faces and
// groups, the floor quad, the bat and brick boxes, the snow generator, its flakes, the layers'
// heights and their fall; and the static buffers' refusal without a device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <tuple>

#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/timing.h"
#include "game/platform/display_settings_file.h"
#include "game/scene/arena.h"
#include "game/scene/floor.h"
#include "game/scene/snow.h"

namespace
{
bool Same(const SceneVertex& v, float x, float y, float z, float u, float w)
{
    return v.x == x && v.y == y && v.z == z && v.u == u && v.v == w;
}

// The outward normal of a triangle's plane (unnormalised), from its winding.
void TriangleNormal(const SceneVertex* t, float* n)
{
    const float ax = t[1].x - t[0].x, ay = t[1].y - t[0].y, az = t[1].z - t[0].z;
    const float bx = t[2].x - t[0].x, by = t[2].y - t[0].y, bz = t[2].z - t[0].z;
    n[0] = ay * bz - az * by;
    n[1] = az * bx - ax * bz;
    n[2] = ax * by - ay * bx;
}

// Whether (px, py) lies inside the triangle's projection onto the x-y plane (edges included).
bool CoversXY(const SceneVertex* t, float px, float py)
{
    auto side = [](const SceneVertex& a, const SceneVertex& b, float x, float y)
    { return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x); };
    const float d0 = side(t[0], t[1], px, py);
    const float d1 = side(t[1], t[2], px, py);
    const float d2 = side(t[2], t[0], px, py);
    const bool anyNegative = d0 < 0 || d1 < 0 || d2 < 0;
    const bool anyPositive = d0 > 0 || d1 > 0 || d2 > 0;
    return !(anyNegative && anyPositive);
}

TEST(ArenaGeometry, FrontIsOpenAboveThePlayField)
{
    BuildArenaVertices();
    ASSERT_NE(ArenaVertices, nullptr);
    // In the plane z = 480 the arena has the wall below the play field and the two rail end caps
    // over x 0..20 and 620..640; nothing covers the ball's way out between the rails.
    int inFrontPlane = 0;
    for (int t = 0; t < 26; ++t)
    {
        const SceneVertex* tri = ArenaVertices + 3 * t;
        if (tri[0].z != 480 || tri[1].z != 480 || tri[2].z != 480)
            continue;
        ++inFrontPlane;
        for (float x = 21; x < 620; x += 7)
            for (float y = 0.5f; y < 25; y += 2)
                EXPECT_FALSE(CoversXY(tri, x, y))
                    << "triangle " << t << " covers " << x << "," << y;
    }
    // Below the field the front is closed across its whole width.
    for (float x = 1; x < 640; x += 13)
    {
        bool covered = false;
        for (int t = 0; t < 26; ++t)
        {
            const SceneVertex* tri = ArenaVertices + 3 * t;
            if (tri[0].z == 480 && tri[1].z == 480 && tri[2].z == 480)
                covered = covered || CoversXY(tri, x, -250);
        }
        EXPECT_TRUE(covered) << x;
    }
    EXPECT_EQ(inFrontPlane, 6); // the wall below the field and the two end caps
    // The spare slots stay empty.
    EXPECT_TRUE(Same(ArenaVertices[78], 0, 0, 0, 0, 0));
    EXPECT_TRUE(Same(ArenaVertices[79], 0, 0, 0, 0, 0));
}

TEST(ArenaGeometry, GroupsCoverTheirFacesWithOneFullPictureEach)
{
    BuildArenaVertices();
    const SceneVertex* v = ArenaVertices;
    // Play-field floor (group 4, vertices 72..77): the rectangle inside the rails at y = 0.
    EXPECT_TRUE(Same(v[72], 20, 0, 20, 0, 0));
    EXPECT_TRUE(Same(v[74], 620, 0, 480, 1, 1));
    EXPECT_TRUE(Same(v[77], 20, 0, 480, 0, 1));
    // Rail inner faces (group 3) stand at x = 20, x = 620 and z = 20, 20 units high.
    for (int i = 54; i < 60; ++i)
        EXPECT_EQ(v[i].x, 20.0f);
    for (int i = 60; i < 66; ++i)
        EXPECT_EQ(v[i].x, 620.0f);
    for (int i = 66; i < 72; ++i)
        EXPECT_EQ(v[i].z, 20.0f);
    // Outer walls (group 1) reach from the rail tops down to the floor plane.
    float lowest = 0, highest = 0;
    for (int i = 0; i < 24; ++i)
    {
        lowest = std::fmin(lowest, v[i].y);
        highest = std::fmax(highest, v[i].y);
    }
    EXPECT_EQ(lowest, -500.0f);
    EXPECT_EQ(highest, 20.0f);
    // Each face maps the whole texture: its u and v both span 0..1.
    for (int face = 0; face < 13; ++face)
    {
        std::set<float> us, vs;
        for (int i = 0; i < 6; ++i)
        {
            us.insert(v[6 * face + i].u);
            vs.insert(v[6 * face + i].v);
        }
        EXPECT_EQ(us, (std::set<float>{0, 1})) << "face " << face;
        EXPECT_EQ(vs, (std::set<float>{0, 1})) << "face " << face;
    }
}

TEST(FloorGeometry, QuadLiesLevelWithTheWallsFootAndRepeatsItsPicture)
{
    BuildFloorVertices();
    ASSERT_NE(FloorVertices, nullptr);
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(FloorVertices[i].y, -500.0f);
        EXPECT_EQ(FloorVertices[i].ny, 1.0f);
        EXPECT_EQ(std::fabs(FloorVertices[i].x), 10000.0f);
        // 30 repeats over 20000 units: u grows with x at one repeat per 666.67 units.
        EXPECT_FLOAT_EQ(FloorVertices[i].u, (FloorVertices[i].x + 10000.0f) * 30.0f / 20000.0f);
        EXPECT_FLOAT_EQ(FloorVertices[i].v, (FloorVertices[i].z + 10000.0f) * 30.0f / 20000.0f);
    }
    // Both triangles face up (seen from above they are not culled as back faces under CCW).
    float n[3];
    TriangleNormal(FloorVertices, n);
    const float first = n[1];
    TriangleNormal(FloorVertices + 3, n);
    EXPECT_GT(first * n[1], 0.0f);
}

// Bat and brick boxes: five faces, each face flat on its own side with the stored normal, and no
// bottom face.
void ExpectOpenBox(const SceneVertex* v, float x0, float x1, float height, float depth)
{
    for (int face = 0; face < 5; ++face)
    {
        const SceneVertex* f = v + 6 * face;
        for (int i = 0; i < 6; ++i)
        {
            EXPECT_GE(f[i].x, x0);
            EXPECT_LE(f[i].x, x1);
            EXPECT_GE(f[i].y, 0.0f);
            EXPECT_LE(f[i].y, height);
            EXPECT_GE(f[i].z, 0.0f);
            EXPECT_LE(f[i].z, depth);
            // The face is flat in the plane its normal points out of.
            if (f[0].nx != 0)
            {
                EXPECT_EQ(f[i].x, f[0].nx > 0 ? x1 : x0) << "face " << face;
            }
            if (f[0].ny != 0)
            {
                EXPECT_EQ(f[i].y, height) << "face " << face;
            }
            if (f[0].nz != 0)
            {
                EXPECT_EQ(f[i].z, f[0].nz > 0 ? depth : 0.0f) << "face " << face;
            }
            EXPECT_EQ(std::make_tuple(f[i].nx, f[i].ny, f[i].nz),
                      std::make_tuple(f[0].nx, f[0].ny, f[0].nz));
        }
        EXPECT_NE(f[0].ny, -1.0f) << "no bottom face";
    }
}

TEST(BoxGeometry, BatIsAFullFortyByTenByTenBox)
{
    BuildBatVertices();
    ASSERT_NE(BatVertices, nullptr);
    ExpectOpenBox(BatVertices, 0, 40, 10, 10);
    EXPECT_TRUE(Same(BatVertices[0], 0, 0, 0, 1, 1));
    EXPECT_TRUE(Same(BatVertices[28], 40, 10, 10, 1, 1));
}

TEST(BoxGeometry, BrickIsInsetHalfAUnitAtBothEnds)
{
    BuildBrickVertices();
    ASSERT_NE(BrickTemplate, nullptr);
    ExpectOpenBox(BrickTemplate, 0.5f, 39.5f, 10, 20);
    float lowX = 100, highX = -100;
    for (int i = 0; i < 30; ++i)
    {
        lowX = std::fmin(lowX, BrickTemplate[i].x);
        highX = std::fmax(highX, BrickTemplate[i].x);
    }
    // Neighbours placed 40 apart leave a 1-unit gap between their boxes.
    EXPECT_EQ(lowX, 0.5f);
    EXPECT_EQ(highX, 39.5f);
    EXPECT_TRUE(Same(BrickTemplate[12], 0.5f, 10, 20, 0, 0));
}

TEST(StaticBuffers, NeedADeviceAndData)
{
    BuildBatVertices();
    EXPECT_EQ(CreateStaticBuffer(BatVertices, 960, SceneVertexFormat), nullptr);
    EXPECT_EQ(CreateStaticBuffer(nullptr, 960, SceneVertexFormat), nullptr);
}

class SnowTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        FillSineTable();
        FillCosineTable();
        SnowRandomState = 1;
        SpeedFactor = 1.0f;
    }
};

TEST_F(SnowTest, GeneratorStartsWithItsKnownSequence)
{
    const int expected[6] = {41, 18467, 6334, 26500, 19169, 15724};
    for (int value : expected)
        EXPECT_EQ(SnowRandom(), value);
    // Its values stay within 0..32767 over a long run.
    for (int i = 0; i < 100000; ++i)
    {
        const int value = SnowRandom();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST_F(SnowTest, FlakesAreSmallFlatTrianglesOverTheArena)
{
    BuildSnowVertices();
    ASSERT_NE(FlakeVertices, nullptr);
    const SceneVertex* f = FlakeVertices;
    EXPECT_FLOAT_EQ(f[0].x, 0.80080569f);
    EXPECT_FLOAT_EQ(f[0].z, 270.52097f);
    EXPECT_FLOAT_EQ(f[1].x, 2.8008056f);
    EXPECT_FLOAT_EQ(f[1].z, 270.52097f);
    EXPECT_FLOAT_EQ(f[2].x, 2.8008056f);
    EXPECT_FLOAT_EQ(f[2].z, 272.52097f);
    EXPECT_EQ(f[2].u, 1.0f);
    EXPECT_EQ(f[2].v, 1.0f);
    for (int i = 0; i < 1200; ++i)
    {
        EXPECT_EQ(f[i].y, 0.0f);
        EXPECT_EQ(f[i].ny, 1.0f);
        ASSERT_GE(f[i].x, 0.0f);
        ASSERT_LE(f[i].x, 642.0f);
        ASSERT_GE(f[i].z, 0.0f);
        ASSERT_LE(f[i].z, 482.0f);
    }
    // A second build draws the next 800 values: layer 1 gets its own flakes.
    const float firstX = f[0].x;
    BuildSnowVertices();
    EXPECT_NE(FlakeVertices[0].x, firstX);
    EXPECT_EQ(SnowRandomState,
              []
              {
                  DWORD s = 1;
                  for (int i = 0; i < 1600; ++i)
                      s = s * 214013u + 2531011u;
                  return s;
              }());
}

TEST_F(SnowTest, LayersStartEvenlySpacedAndFallBackToTheTop)
{
    DisplaySettings.SnowLayerCount = 8;
    SnowLayer layers[8] = {};
    for (UINT i = 0; i < 8; ++i)
        layers[i].Create(i);
    EXPECT_FLOAT_EQ(layers[0].height, 50.0f);
    EXPECT_FLOAT_EQ(layers[7].height, 400.0f);
    EXPECT_EQ(layers[0].world._42, 50.0f);
    EXPECT_EQ(layers[0].vertexBuffer, nullptr); // no device here

    DisplaySettings.SnowLayerCount = 25;
    SnowLayer layer = {};
    layer.Create(0);
    EXPECT_FLOAT_EQ(layer.height, 16.0f);

    // A layer at 0.3 sinks to -0.2 and is put back at 400 exactly, not 399.8.
    layer.height = 0.3f;
    layer.Fall();
    EXPECT_EQ(layer.height, 400.0f);
    EXPECT_EQ(layer.world._42, 400.0f);
    layer.Fall();
    EXPECT_EQ(layer.height, 399.5f);
    // Scaled by SpeedFactor: 85 / 42.5 frames a second still sinks 42.5 units a second.
    SpeedFactor = 2.0f;
    layer.Fall();
    EXPECT_EQ(layer.height, 398.5f);
    EXPECT_EQ(layer.world._41, 0.0f);
    EXPECT_EQ(layer.world._43, 0.0f);
}
} // namespace
