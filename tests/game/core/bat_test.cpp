// Tests of the bat's moves: the mouse scale and direction, the clamps at the rails with a
// resting ball, the push that lets the ball run on where the bat stops, and the states in which
// the mouse does nothing.
#include "play_fixture.h"

namespace
{

class BatTest : public PlayFixture
{
  protected:
    static DIMOUSESTATE Motion(LONG lX, BYTE button = 0)
    {
        DIMOUSESTATE mouse = {};
        mouse.lX = lX;
        mouse.rgbButtons[0] = button;
        return mouse;
    }
};

TEST_F(BatTest, MouseMotionMovesTheBatAndTheRestingBall)
{
    GameState = Playing;
    HandleMouse(Motion(-14)); // negative motion goes toward +x, 0.7142857 units a count
    EXPECT_NEAR(GameBat.leftX, 310.0f, 1e-5f);
    EXPECT_EQ(GameBat.rightX - GameBat.leftX, 40.0f);
    EXPECT_EQ(GameBall.x, GameBat.leftX + 20.0f);
    EXPECT_EQ(GameBat.world._41, GameBat.leftX);
    EXPECT_EQ(BatDirection, BatDirectionPlusX);

    SpeedFactor = 2.0f;
    HandleMouse(Motion(7));
    EXPECT_NEAR(GameBat.leftX, 300.0f, 1e-4f);
    EXPECT_EQ(BatDirection, BatDirectionMinusX);

    // No motion moves nothing but still counts as a move toward -x.
    const float before = GameBat.leftX;
    BatDirection = BatDirectionNone;
    HandleMouse(Motion(0));
    EXPECT_EQ(GameBat.leftX, before);
    EXPECT_EQ(BatDirection, BatDirectionMinusX);

    // A launched ball does not follow the bat.
    Fly(200.0f, 300.0f, 0.05f, -0.05f);
    HandleMouse(Motion(-10));
    EXPECT_EQ(GameBall.x, 200.0f);
}

TEST_F(BatTest, BatStopsAtTheRailsAndCentresTheRestingBall)
{
    GameState = Playing;
    GameBat.Place(579.0f, 420.0f);
    GameBat.RestBall();
    GameBat.MovePlusX(-5.0f); // overshoots to 584, clamped
    EXPECT_EQ(GameBat.leftX, 580.0f);
    EXPECT_EQ(GameBat.rightX, 620.0f);
    EXPECT_EQ(GameBall.x, 600.0f);
    EXPECT_EQ(GameBat.world._41, 580.0f);
    GameBat.MovePlusX(-5.0f); // at the limit: no further
    EXPECT_EQ(GameBat.leftX, 580.0f);
    EXPECT_EQ(GameBall.x, 600.0f);

    GameBat.Place(20.0f, 420.0f);
    GameBat.RestBall();
    GameBat.MoveMinusX(5.0f);
    EXPECT_EQ(GameBat.leftX, 20.0f);
    EXPECT_EQ(GameBall.x, 40.0f);
    GameBat.Place(22.0f, 420.0f);
    GameBat.MoveMinusX(500.0f);
    EXPECT_EQ(GameBat.leftX, 20.0f);
    EXPECT_EQ(GameBat.rightX, 60.0f);
    EXPECT_EQ(GameBall.x, 40.0f);
}

TEST_F(BatTest, PushedBallRunsOnWhereTheBatStops)
{
    Fly(619.0f, 425.0f, 0.05f, 0.05f);
    BatPushing = true;
    BallXFree = false;
    GameBat.Place(578.0f, 420.0f);
    GameBat.MovePlusX(-4.0f); // past 577 the bat stays, the ball takes the whole move
    EXPECT_EQ(GameBat.leftX, 578.0f);
    EXPECT_EQ(GameBall.x, 623.0f);

    GameBat.Place(576.0f, 420.0f);
    GameBall.x = 600.0f;
    GameBat.MovePlusX(-6.0f); // below 577 both move, and the bat is clamped but not the ball
    EXPECT_EQ(GameBat.leftX, 580.0f);
    EXPECT_EQ(GameBall.x, 606.0f);

    GameBat.Place(24.0f, 420.0f);
    GameBall.x = 30.0f;
    GameBat.MoveMinusX(2.0f);
    EXPECT_EQ(GameBat.leftX, 22.0f);
    EXPECT_EQ(GameBall.x, 28.0f);
    GameBat.MoveMinusX(2.0f);
    EXPECT_EQ(GameBat.leftX, 22.0f);
    EXPECT_EQ(GameBall.x, 26.0f);
}

TEST_F(BatTest, MouseMovesNothingOnTheTitleScreenOrWhilePaused)
{
    ASSERT_EQ(GameState, Title);
    HandleMouse(Motion(-30));
    EXPECT_EQ(GameBat.leftX, 300.0f);
    GameState = Paused;
    HandleMouse(Motion(-30));
    HandleMouse(Motion(-30, 0x80)); // a click while paused neither moves nor launches
    EXPECT_EQ(GameBat.leftX, 300.0f);
    EXPECT_EQ(GameBall.launched, 0);
    EXPECT_EQ(GameState, Paused);
}

} // namespace
