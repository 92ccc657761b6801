// Tests of the brick field: layout and textures by row, hits and scores per type, the closed
// rectangles, a full clear and the new game that follows.
#include "play_fixture.h"

#include "game/platform/texture_set.h"

namespace
{

class BrickTest : public PlayFixture
{
};

TEST_F(BrickTest, FieldIsSixRowsOfFifteenToughestFarthestFromTheBat)
{
    // Distinct stand-in handles show which block picture each brick took.
    static char pictures[6];
    for (int t = 0; t < 6; ++t)
        TextureSet.Block[t] = reinterpret_cast<IDirect3DTexture8*>(&pictures[t]);
    PlaceBricks();
    const int expectedHits[6] = {3, 2, 1, 1, 0, 0};
    const int expectedScore[6] = {100, 50, 30, 20, 10, 5};
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 15; ++c)
        {
            const Brick& b = BrickField[15 * r + c];
            SCOPED_TRACE(testing::Message() << "row " << r << " column " << c);
            EXPECT_EQ(b.alive, 1);
            EXPECT_EQ(b.leftX, 40.0f * c + 20.0f);
            EXPECT_EQ(b.rightX, b.leftX + 40.0f);
            EXPECT_EQ(b.nearZ, 40.0f * r + 80.0f);
            EXPECT_EQ(b.farZ, b.nearZ + 20.0f);
            EXPECT_EQ(b.BrickType, 5 - r);
            EXPECT_EQ(b.HitsLeft, expectedHits[r]);
            EXPECT_EQ(b.scoreValue, expectedScore[r]);
            EXPECT_EQ(b.texture, TextureSet.Block[5 - r]);
            EXPECT_EQ(b.world._41, b.leftX);
            EXPECT_EQ(b.world._42, 0.0f);
            EXPECT_EQ(b.world._43, b.nearZ);
            EXPECT_EQ(b.world._11, 1.0f);
            // Without a device there is no buffer; creating one must not be faked.
            EXPECT_EQ(b.vertexBuffer, nullptr);
        }
    for (int t = 0; t < 6; ++t)
        TextureSet.Block[t] = nullptr;
}

TEST_F(BrickTest, HitsScoreOnlyWhenTheBrickFalls)
{
    Brick& toughest = BrickField[0]; // type 5: four hits, 100 points
    for (int i = 0; i < 3; ++i)
    {
        toughest.Hit();
        EXPECT_EQ(toughest.alive, 1);
        EXPECT_EQ(Score, 0);
        EXPECT_EQ(BricksLeft, 90);
    }
    toughest.Hit();
    EXPECT_EQ(toughest.alive, 0);
    EXPECT_EQ(Score, 100);
    EXPECT_EQ(BricksLeft, 89);

    Brick& weakest = BrickField[89]; // type 0: one hit, 5 points
    weakest.Hit();
    EXPECT_EQ(weakest.alive, 0);
    EXPECT_EQ(Score, 105);
}

TEST_F(BrickTest, RectanglesAreClosedAndSharedEdgesBelongToBoth)
{
    const Brick& a = BrickField[0]; // x 20..60, z 80..100
    const Brick& b = BrickField[1]; // x 60..100
    EXPECT_TRUE(a.Contains(20.0f, 80.0f));
    EXPECT_TRUE(a.Contains(60.0f, 100.0f));
    EXPECT_TRUE(b.Contains(60.0f, 90.0f));
    EXPECT_FALSE(a.Contains(19.999998f, 90.0f));
    EXPECT_FALSE(a.Contains(40.0f, 100.00001f));
    EXPECT_FALSE(a.Contains(40.0f, 79.99999f));
    BrickField[1].alive = 0;
    EXPECT_FALSE(b.Contains(80.0f, 90.0f));
}

TEST_F(BrickTest, FullClearTakes195HitsAndScores3225ThenANewGameRestoresAll)
{
    int hits = 0;
    for (Brick& brick : BrickField)
        while (brick.alive)
        {
            brick.Hit();
            ++hits;
        }
    EXPECT_EQ(hits, 195);
    EXPECT_EQ(Score, 3225);
    EXPECT_EQ(BricksLeft, 0);

    // A game in progress: lost a ball, camera and counter switched, bat and ball elsewhere.
    GameState = Playing;
    TitleShown = false;
    Lives = 2;
    CameraMode = 3;
    ShowFrameRate = true;
    BatPushing = true;
    BallXFree = false;
    GameBat.Place(500.0f, 420.0f);
    Fly(200.0f, 150.0f, 0.06f, -0.06f);
    GameBall.y = -30.0f;
    GameBall.vy = -0.01f;
    ResetGame();

    EXPECT_EQ(GameState, Title);
    EXPECT_TRUE(TitleShown);
    EXPECT_EQ(Score, 0);
    EXPECT_EQ(Lives, 5);
    EXPECT_EQ(BricksLeft, 90);
    const int fullHits[6] = {3, 2, 1, 1, 0, 0};
    for (int i = 0; i < BrickCount; ++i)
    {
        EXPECT_EQ(BrickField[i].alive, 1);
        EXPECT_EQ(BrickField[i].HitsLeft, fullHits[i / 15]);
    }
    EXPECT_EQ(GameBall.launched, 0);
    EXPECT_EQ(GameBall.vx, 0.0f);
    EXPECT_EQ(GameBall.vy, 0.0f);
    EXPECT_EQ(GameBall.vz, 0.0f);
    EXPECT_EQ(GameBall.x, 320.0f);
    EXPECT_EQ(GameBall.y, 0.0f);
    EXPECT_EQ(GameBall.z, 417.0f);
    EXPECT_EQ(GameBall.world._41, 320.0f);
    EXPECT_EQ(GameBall.world._43, 417.0f);
    EXPECT_EQ(GameBat.leftX, 300.0f);
    EXPECT_EQ(GameBat.rightX, 340.0f);
    EXPECT_EQ(GameBat.nearZ, 420.0f);
    EXPECT_EQ(GameBat.farZ, 430.0f);
    EXPECT_EQ(GameBat.world._41, 300.0f);
    // Carried over into the new game.
    EXPECT_EQ(CameraMode, 3);
    EXPECT_TRUE(ShowFrameRate);
    EXPECT_TRUE(BatPushing);
    EXPECT_FALSE(BallXFree);
}

TEST_F(BrickTest, UnknownTypeFallsToOneHitAndScoresNothing)
{
    Brick odd = BrickField[0];
    odd.Create(100.0f, 100.0f, 9);
    EXPECT_EQ(odd.HitsLeft, 0);
    EXPECT_EQ(odd.scoreValue, 0);
    EXPECT_EQ(odd.texture, nullptr);
    odd.HitsLeft = 2;
    odd.alive = 0;
    odd.Restore(9);
    EXPECT_EQ(odd.alive, 1);
    EXPECT_EQ(odd.HitsLeft, 2);
}

} // namespace
