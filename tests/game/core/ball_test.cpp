// Tests of the ball's collision rules: leading edges before corners, corners that cancel, two
// bricks in one pass, the bat's front and side with their tie rule and the push, the walls and
// the loss of a ball.
#include "play_fixture.h"

namespace
{

class BallTest : public PlayFixture
{
};

// Row 5 (type 0, one hit) spans z 280..300; column 2 spans x 100..140.
const int Row5Column1 = 76;
const int Row5Column2 = 77;

TEST_F(BallTest, LeadingEdgeReflectsOneComponentAfterTheSpeedUp)
{
    // Moving away from the bat, the probe ahead in z enters the brick through its far side.
    Fly(110.0f, 300.3f, 0.05f, -0.05f);
    CollideBricks();
    EXPECT_EQ(BrickField[Row5Column2].alive, 0);
    EXPECT_EQ(Score, 5);
    EXPECT_EQ(GameBall.vx, 0.05f * 1.008f);
    EXPECT_EQ(GameBall.vz, 0.05f * 1.008f);

    // Only the leading x edge is inside (with two corners): vx alone turns.
    ResetGame();
    OnlyBricks({Row5Column2});
    Fly(99.6f, 290.0f, 0.05f, -0.05f);
    CollideBricks();
    EXPECT_EQ(GameBall.vx, -0.05f * 1.008f);
    EXPECT_LT(GameBall.vz, 0.0f);
}

TEST_F(BallTest, CornersOnlyCountWhenNoLeadingEdgeHit)
{
    // Only the corner ahead in both directions is inside: both components turn.
    OnlyBricks({Row5Column2});
    Fly(99.6f, 300.4f, 0.05f, -0.05f);
    CollideBricks();
    EXPECT_EQ(GameBall.vx, -0.05f * 1.008f);
    EXPECT_EQ(GameBall.vz, 0.05f * 1.008f);

    // That corner and the one ahead in z only (behind in x): vz turns twice and keeps its sign.
    // Two narrow bricks with a gap under the ball make this possible.
    ResetGame();
    OnlyBricks({Row5Column1, Row5Column2});
    BrickField[Row5Column1].rightX = 99.8f;
    BrickField[Row5Column2].leftX = 100.2f;
    Fly(100.0f, 300.4f, 0.05f, -0.05f);
    CollideBricks();
    EXPECT_LT(GameBall.vx, 0.0f);
    EXPECT_LT(GameBall.vz, 0.0f);
    EXPECT_EQ(GameBall.vz, -0.05f * 1.008f * 1.008f);

    // Moving toward the bat out of a brick's near side, only trailing edges and the corner
    // ahead in x (behind in z) are inside: vx turns, vz does not.
    ResetGame();
    OnlyBricks({Row5Column2});
    Fly(110.0f, 300.3f, 0.05f, 0.05f);
    CollideBricks();
    EXPECT_EQ(GameBall.vx, -0.05f * 1.008f);
    EXPECT_EQ(GameBall.vz, 0.05f * 1.008f);
}

TEST_F(BallTest, TwoBricksInOnePassAreBothHitAndSpeedUpTwice)
{
    // On the shared edge of two neighbours: both are inside, both fall, two speed-ups.
    Fly(100.0f, 300.3f, -0.05f, -0.05f);
    CollideBricks();
    EXPECT_EQ(BrickField[Row5Column1].alive, 0);
    EXPECT_EQ(BrickField[Row5Column2].alive, 0);
    EXPECT_EQ(Score, 10);
    EXPECT_EQ(BricksLeft, 88);
    const float once = 0.05f * 1.008f;
    EXPECT_EQ(GameBall.vx, -(once * 1.008f));
    EXPECT_EQ(GameBall.vz, once * 1.008f);

    // Nothing in reach: nothing changes.
    Fly(320.0f, 360.0f, 0.05f, -0.05f);
    CollideBricks();
    EXPECT_EQ(GameBall.vx, 0.05f);
    EXPECT_EQ(GameBall.vz, -0.05f);
    EXPECT_EQ(BricksLeft, 88);
}

TEST_F(BallTest, BatFrontBouncesBackFromItsFaceAndWinsTies)
{
    SpeedFactor = 2.0f;
    Fly(320.0f, 420.5f, 0.05f, 0.05f);
    CollideBat();
    EXPECT_EQ(GameBall.z, 420.0f - 0.1f * 2.0f);
    EXPECT_EQ(GameBall.vz, -0.05f);
    EXPECT_EQ(GameBall.vx, 0.05f);

    // Whatever the sign of vz was.
    Fly(320.0f, 421.0f, 0.05f, -0.05f);
    CollideBat();
    EXPECT_EQ(GameBall.vz, 0.05f);

    // As far from the face as from the left end: the front wins, the side does nothing.
    Fly(300.5f, 420.5f, 0.05f, 0.05f);
    BatDirection = BatDirectionPlusX;
    CollideBat();
    EXPECT_EQ(GameBall.vz, -0.05f);
    EXPECT_EQ(GameBall.vx, 0.05f);
    EXPECT_FALSE(BatPushing);

    // On the bat's outline the ball is not inside (strict bounds).
    Fly(300.0f, 425.0f, 0.05f, 0.05f);
    CollideBat();
    EXPECT_EQ(GameBall.vx, 0.05f);
    EXPECT_EQ(GameBall.vz, 0.05f);
}

TEST_F(BallTest, BatSideTurnsTheBallOrPushesItAlong)
{
    // A still bat turns the ball back in x.
    Fly(300.3f, 425.0f, 0.05f, 0.05f);
    BatDirection = BatDirectionNone;
    CollideBat();
    EXPECT_EQ(GameBall.vx, -0.05f);
    EXPECT_EQ(GameBall.vz, 0.05f);
    EXPECT_FALSE(BatPushing);

    // A moving bat takes it along: the ball's own x motion stops until it is released.
    Fly(339.8f, 425.0f, -0.05f, 0.05f);
    BatDirection = BatDirectionPlusX;
    CollideBat();
    EXPECT_TRUE(BatPushing);
    EXPECT_FALSE(BallXFree);
    EXPECT_EQ(GameBall.vx, -0.05f);

    // Outside again: released, travelling in x the way the bat last went.
    GameBall.x = 345.0f;
    CollideBat();
    EXPECT_FALSE(BatPushing);
    EXPECT_TRUE(BallXFree);
    EXPECT_EQ(GameBall.vx, 0.05f);

    BatPushing = true;
    BallXFree = false;
    BatDirection = BatDirectionMinusX;
    CollideBat();
    EXPECT_EQ(GameBall.vx, -0.05f);
    BatPushing = true;
    BatDirection =
        BatDirectionNone; // a push released while the bat stood still keeps the ball's way
    CollideBat();
    EXPECT_EQ(GameBall.vx, -0.05f);
    EXPECT_TRUE(BallXFree);
}

TEST_F(BallTest, WallsTurnTheBallOnEveryStepBeyondThem)
{
    Fly(20.9f, 200.0f, -0.05f, -0.05f);
    CollideWalls();
    EXPECT_EQ(GameBall.vx, 0.05f);
    CollideWalls(); // still beyond the line: turned again, position never corrected
    EXPECT_EQ(GameBall.vx, -0.05f);
    EXPECT_EQ(GameBall.x, 20.9f);

    Fly(618.1f, 20.5f, 0.05f, -0.05f);
    CollideWalls();
    EXPECT_EQ(GameBall.vx, -0.05f);
    EXPECT_EQ(GameBall.vz, 0.05f);

    Fly(21.0f, 21.0f, 0.05f, -0.05f);
    CollideWalls();
    EXPECT_EQ(GameBall.vx, 0.05f);
    EXPECT_EQ(GameBall.vz, -0.05f);
}

TEST_F(BallTest, BallBehindTheBatFallsAndIsLost)
{
    GameBat.Place(100.0f, 420.0f);
    Fly(500.0f, 479.5f, 0.05f, 0.05f);
    CollideWalls();
    EXPECT_EQ(GameBall.vy, -0.0003f);
    EXPECT_EQ(Lives, 5);

    GameBall.y = -500.5f;
    CollideWalls();
    EXPECT_EQ(Lives, 4);
    EXPECT_EQ(GameBall.launched, 0);
    EXPECT_EQ(GameBall.vx, 0.0f);
    EXPECT_EQ(GameBall.vy, 0.0f);
    EXPECT_EQ(GameBall.vz, 0.0f);
    EXPECT_EQ(GameBall.y, 0.0f);
    EXPECT_EQ(GameBall.x, 120.0f); // resting on the bat
    EXPECT_EQ(GameBall.z, 417.0f);
    EXPECT_EQ(GameState, Playing);

    // With no spare ball left the game starts again on the title screen.
    Lives = 0;
    Score = 700;
    Fly(500.0f, 600.0f, 0.05f, 0.05f);
    GameBall.y = -501.0f;
    CollideWalls();
    EXPECT_EQ(GameState, Title);
    EXPECT_EQ(Lives, 5);
    EXPECT_EQ(Score, 0);
    EXPECT_EQ(GameBall.x, 320.0f);
    EXPECT_EQ(GameBall.launched, 0);
}

} // namespace
