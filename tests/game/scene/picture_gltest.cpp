// Pictures the render pass really draws, read back from the device's back buffer: the title card
// where it belongs over the sky, a playing frame with its six brick colours, bat, ball, score and
// lives, a destroyed brick gone, and the PAUSED picture. Set ZENDRILL_PICTURE_DIR to keep the
// pictures as PPM files.
#include "tests/game/scene/scene_harness.h"

namespace
{
using harness::Distance;
using harness::Picture;

const DWORD Sky = 0xFF9B9BFF;

class PictureTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_FALSE(harness::EnterRunFolder().empty());
        const char* text = harness::StartGame(harness::Options());
        ASSERT_EQ(text, nullptr) << text;
        // The first pass inherits the start-up's blending for the floor and the ball; every
        // later one draws them opaque. Compare later passes only.
        const CameraOrbitState orbit = CameraOrbit;
        ASSERT_EQ(RenderFrame(), nullptr);
        CameraOrbit = orbit;
    }
    void TearDown() override { harness::StopGame(); }

    // Draws one frame and reads it back; the camera of the frame stays in the view transform.
    Picture Frame(const char* name)
    {
        EXPECT_EQ(RenderFrame(), nullptr);
        Picture picture = harness::ReadPicture();
        if (const char* folder = std::getenv("ZENDRILL_PICTURE_DIR"))
            harness::SavePicture(picture, std::string(folder) + "/" + name + ".ppm");
        return picture;
    }

    // Number of pixels in [x0, x1) x [y0, y1) that differ between two pictures.
    static int Changed(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1)
    {
        int changed = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (Distance(a.At(x, y), b.At(x, y)) > 24)
                    ++changed;
        return changed;
    }

    // The mean colour around a point.
    static DWORD MeanAround(const Picture& p, POINT c, int radius)
    {
        long r = 0, g = 0, b = 0, n = 0;
        for (int y = c.y - radius; y <= c.y + radius; ++y)
            for (int x = c.x - radius; x <= c.x + radius; ++x)
            {
                const DWORD px = p.At(x, y);
                r += harness::Red(px);
                g += harness::Green(px);
                b += harness::Blue(px);
                ++n;
            }
        return 0xFF000000 | (DWORD(r / n) << 16) | (DWORD(g / n) << 8) | DWORD(b / n);
    }
};

TEST_F(PictureTest, TitleCardSitsInItsQuadOverTheSky)
{
    // The same orbit position twice, once with and once without the title picture.
    const CameraOrbitState orbit = CameraOrbit;
    const Picture withTitle = Frame("title");
    CameraOrbit = orbit;
    TitleShown = false;
    const Picture without = Frame("title-hidden");

    // The quad spans x 80..560, y 42.7..128 at 640 x 480: the picture changes there, and
    // nowhere else.
    EXPECT_GT(Changed(withTitle, without, 80, 43, 560, 128), 2000);
    EXPECT_EQ(Changed(withTitle, without, 0, 0, 640, 42), 0);
    EXPECT_EQ(Changed(withTitle, without, 0, 129, 640, 480), 0);
    EXPECT_EQ(Changed(withTitle, without, 0, 0, 79, 480), 0);
    EXPECT_EQ(Changed(withTitle, without, 561, 0, 640, 480), 0);
    // The title's black background is transparent: the quad still shows the scene somewhere.
    EXPECT_GT((80 * 520 - Changed(withTitle, without, 80, 43, 560, 128)), 1000);

    // Above the arena, where the view rises past the far floor's edge, there is only sky.
    EXPECT_EQ(withTitle.At(2, 2) & 0xFFFFFF, Sky & 0xFFFFFF);
    EXPECT_EQ(withTitle.At(637, 2) & 0xFFFFFF, Sky & 0xFFFFFF);
}

TEST_F(PictureTest, PlayingFrameShowsBricksBatBallScoreAndLives)
{
    GameState = Playing;
    GameBall.x = 320.0f;
    GameBall.z = 360.0f; // out in the field, away from the bat and the PAUSED picture
    GameBall.UpdateWorld();
    Score = 1234;
    const Picture play = Frame("playing");

    // Six rows of bricks in six clearly different colours (the middle brick of each row, seen
    // on its top face).
    DWORD rows[6];
    for (int r = 0; r < 6; ++r)
    {
        const Brick& brick = BrickField[15 * r + 7];
        const POINT centre = harness::Project(brick.leftX + 20, 10, brick.nearZ + 10);
        ASSERT_GE(centre.x, 2);
        ASSERT_LT(centre.x, 638);
        rows[r] = MeanAround(play, centre, 1);
        EXPECT_GT(Distance(rows[r], Sky), 40) << "row " << r;
    }
    for (int a = 0; a < 6; ++a)
        for (int b = a + 1; b < 6; ++b)
            EXPECT_GT(Distance(rows[a], rows[b]), 40) << "rows " << a << " and " << b;

    // The bat and the ball: moving each away changes the picture where it was. Paused, the
    // camera stands still while they move.
    GameState = Paused;
    const Picture still = Frame("paused-in-field");
    const POINT bat = harness::Project(GameBat.leftX + 20, 10, GameBat.nearZ + 5);
    const POINT ball = harness::Project(GameBall.x, 1, GameBall.z);
    GameBat.Place(60, 420);
    GameBall.x = 560.0f;
    GameBall.UpdateWorld();
    const Picture moved = Frame("paused-moved");
    EXPECT_GT(Changed(still, moved, bat.x - 2, bat.y - 1, bat.x + 3, bat.y + 2), 10);
    EXPECT_GT(Changed(still, moved, ball.x - 1, ball.y - 1, ball.x + 2, ball.y + 2), 4);
    GameState = Playing;

    // Score digits at the top centre and five life icons along the bottom edge.
    GameBat.Place(300, 420);
    GameBall.x = 320.0f;
    GameBall.UpdateWorld();
    Score = 0;
    Lives = 0;
    const Picture bare = Frame("playing-bare");
    EXPECT_GT(Changed(play, bare, 294, 0, 346, 12), 40);
    for (int k = 0; k < 5; ++k)
        EXPECT_GT(Changed(play, bare, 13 * k, 468, 13 * k + 12, 480), 20) << "life " << k;
    // The camera indicator stays in its corner.
    EXPECT_EQ(Changed(play, bare, 608, 0, 640, 12), 0);
}

TEST_F(PictureTest, DestroyedBrickIsNoLongerDrawn)
{
    GameState = Playing;
    const Picture all = Frame("bricks-all");
    Brick& brick = BrickField[15 * 2 + 4];
    brick.alive = 0;
    const Picture gone = Frame("bricks-one-gone");
    const POINT centre = harness::Project(brick.leftX + 20, 10, brick.nearZ + 10);
    EXPECT_GT(Changed(all, gone, centre.x - 2, centre.y - 1, centre.x + 3, centre.y + 2), 10);
    // Its neighbours two bricks away stay as they were.
    const Brick& other = BrickField[15 * 2 + 8];
    const POINT far = harness::Project(other.leftX + 20, 10, other.nearZ + 10);
    EXPECT_EQ(Changed(all, gone, far.x - 2, far.y - 1, far.x + 3, far.y + 2), 0);
}

TEST_F(PictureTest, PausedShowsThePausedPictureAndHidesTheScore)
{
    GameState = Playing;
    Score = 888;
    const Picture playing = Frame("paused-before");
    GameState = Paused;
    const Picture paused = Frame("paused");
    // PAUSED in the middle: x 288..352, y 228..252.
    EXPECT_GT(Changed(playing, paused, 288, 228, 352, 252), 200);
    EXPECT_EQ(Changed(playing, paused, 0, 20, 640, 227), 0); // the scene itself stands still
    // Score, camera and lives are gone while paused.
    EXPECT_GT(Changed(playing, paused, 294, 0, 346, 12), 40);
    EXPECT_GT(Changed(playing, paused, 0, 468, 64, 480), 100);
}
} // namespace
