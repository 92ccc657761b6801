// The overlay's screen quads: the title card and the HUD's fifteen quads as fractions of the
// display size, their texture cells, and the vertex order that keeps them visible under CW culling.
#include <gtest/gtest.h>

#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/display_settings_file.h"
#include "game/view/hud.h"
#include "game/view/title_card.h"

namespace
{
struct Quad
{
    float left, top, right, bottom, leftU, rightU;
};

// Reads a quad back from its six vertices, checking the fixed vertex order (TL, BR, TR, TL, BL,
// BR), v 0 at the top and 1 at the bottom, z 0 and rhw 1.
Quad ReadQuad(const ScreenVertex* v)
{
    Quad q = {v[0].x, v[0].y, v[1].x, v[1].y, v[0].u, v[1].u};
    const float xs[6] = {q.left, q.right, q.right, q.left, q.left, q.right};
    const float ys[6] = {q.top, q.bottom, q.top, q.top, q.bottom, q.bottom};
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ(v[i].x, xs[i]) << "vertex " << i;
        EXPECT_EQ(v[i].y, ys[i]) << "vertex " << i;
        EXPECT_EQ(v[i].u, xs[i] == q.left ? q.leftU : q.rightU) << "vertex " << i;
        EXPECT_EQ(v[i].v, ys[i] == q.top ? 0.0f : 1.0f) << "vertex " << i;
        EXPECT_EQ(v[i].z, 0.0f);
        EXPECT_EQ(v[i].rhw, 1.0f);
    }
    return q;
}

// Twice the signed area of a triangle in screen coordinates (y down): negative means the
// triangle runs counter-clockwise as seen on the screen.
float ScreenWinding(const ScreenVertex* t)
{
    return (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[1].y - t[0].y) * (t[2].x - t[0].x);
}

class OverlayTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SetScreen(640, 480);
        Score = 0;
        CameraMode = 0;
        for (int& d : FrameRateDigits)
            d = 0;
    }
    void TearDown() override
    {
        GameHud.Release();
        GameTitleCard.Release();
    }
    static void SetScreen(UINT width, UINT height)
    {
        DisplaySettings.DisplayMode.Width = width;
        DisplaySettings.DisplayMode.Height = height;
    }
};

TEST_F(OverlayTest, TitleQuadTakesItsMarginFromTheHeightAndItsRowFromTheWidth)
{
    GameTitleCard.Build();
    Quad q = ReadQuad(GameTitleCard.vertices);
    EXPECT_FLOAT_EQ(q.left, 80.0f);
    EXPECT_FLOAT_EQ(q.right, 560.0f);
    EXPECT_FLOAT_EQ(q.top, 42.666668f);
    EXPECT_FLOAT_EQ(q.bottom, 128.0f);
    EXPECT_EQ(q.leftU, 0.0f);
    EXPECT_EQ(q.rightU, 1.0f);

    SetScreen(800, 600);
    GameTitleCard.Build(); // rebuilding reuses the array
    q = ReadQuad(GameTitleCard.vertices);
    EXPECT_FLOAT_EQ(q.left, 100.0f);
    EXPECT_FLOAT_EQ(q.right, 700.0f);
    EXPECT_FLOAT_EQ(q.top, 53.333336f);
    EXPECT_FLOAT_EQ(q.bottom, 160.0f);
}

TEST_F(OverlayTest, HudQuadsAt640x480)
{
    GameHud.Build();
    const ScreenVertex* v = GameHud.vertices;
    // Frame-rate digits: cells of 12.8 by 12 from the top-left corner.
    for (int k = 0; k < 4; ++k)
    {
        const Quad q = ReadQuad(v + 6 * k);
        EXPECT_FLOAT_EQ(q.left, 12.8f * k);
        EXPECT_FLOAT_EQ(q.right, 12.8f * (k + 1));
        EXPECT_EQ(q.top, 0.0f);
        EXPECT_FLOAT_EQ(q.bottom, 12.0f);
    }
    // Score: four cells centred at the top, 294.4 to 345.6.
    EXPECT_FLOAT_EQ(ReadQuad(v + 24).left, 294.4f);
    EXPECT_NEAR(ReadQuad(v + 42).right, 345.6f, 1e-4f);
    // Camera indicator in the top-right corner.
    Quad q = ReadQuad(v + 48);
    EXPECT_FLOAT_EQ(q.left, 608.0f);
    EXPECT_FLOAT_EQ(q.right, 640.0f);
    EXPECT_FLOAT_EQ(q.bottom, 12.0f);
    // Five life icons along the bottom edge.
    for (int k = 0; k < 5; ++k)
    {
        q = ReadQuad(v + 54 + 6 * k);
        EXPECT_FLOAT_EQ(q.left, 12.8f * k);
        EXPECT_FLOAT_EQ(q.top, 468.0f);
        EXPECT_FLOAT_EQ(q.bottom, 480.0f);
        EXPECT_EQ(q.leftU, 0.0f);
        EXPECT_EQ(q.rightU, 1.0f);
    }
    // PAUSED in the middle.
    q = ReadQuad(v + 84);
    EXPECT_FLOAT_EQ(q.left, 288.0f);
    EXPECT_FLOAT_EQ(q.right, 352.0f);
    EXPECT_FLOAT_EQ(q.top, 228.0f);
    EXPECT_FLOAT_EQ(q.bottom, 252.0f);
    // Every triangle runs counter-clockwise on the screen, so CW culling keeps them all.
    for (int t = 0; t < HudVertexCount / 3; ++t)
        EXPECT_LT(ScreenWinding(v + 3 * t), 0.0f) << "triangle " << t;
}

TEST_F(OverlayTest, HudFollowsTheScreenSize)
{
    SetScreen(800, 600);
    GameHud.Build();
    EXPECT_FLOAT_EQ(ReadQuad(GameHud.vertices + 24).left, 368.0f);
    EXPECT_FLOAT_EQ(ReadQuad(GameHud.vertices + 42).right, 432.0f);
    EXPECT_FLOAT_EQ(ReadQuad(GameHud.vertices + 84).top, 285.0f);
    EXPECT_FLOAT_EQ(ReadQuad(GameHud.vertices + 54).top, 585.0f);
}

TEST_F(OverlayTest, DigitAndCameraCellsFollowScoreRateAndMode)
{
    Score = 1234;
    CameraMode = 3;
    const int rate[4] = {0, 0, 6, 0};
    for (int k = 0; k < 4; ++k)
        FrameRateDigits[k] = rate[k];
    GameHud.Build();
    EXPECT_EQ(GameHud.ScoreDigits[0], 1);
    EXPECT_EQ(GameHud.ScoreDigits[3], 4);
    const float scoreU[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    for (int k = 0; k < 4; ++k)
    {
        const Quad q = ReadQuad(GameHud.vertices + 24 + 6 * k);
        EXPECT_NEAR(q.leftU, scoreU[k], 1e-6f) << "score cell " << k;
        EXPECT_NEAR(q.rightU, scoreU[k] + 0.1f, 1e-6f) << "score cell " << k;
    }
    EXPECT_NEAR(ReadQuad(GameHud.vertices + 12).leftU, 0.6f, 1e-6f);
    EXPECT_EQ(ReadQuad(GameHud.vertices + 0).leftU, 0.0f);
    const Quad camera = ReadQuad(GameHud.vertices + 48);
    EXPECT_FLOAT_EQ(camera.leftU, 0.75f);
    EXPECT_FLOAT_EQ(camera.rightU, 1.0f);

    // A new score rebuilds every cell; 3005 keeps its inner zeros.
    Score = 3005;
    GameHud.Build();
    EXPECT_EQ(GameHud.ScoreDigits[0], 3);
    EXPECT_EQ(GameHud.ScoreDigits[1], 0);
    EXPECT_EQ(GameHud.ScoreDigits[2], 0);
    EXPECT_EQ(GameHud.ScoreDigits[3], 5);
    EXPECT_EQ(ReadQuad(GameHud.vertices + 30).leftU, 0.0f);
}
} // namespace
