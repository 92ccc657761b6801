// Tests of the game step's commands and states: the key latches (held keys act once, conditions
// clear latches, P and Pause cancel), the level keys, the mouse start and launch, the motion that
// runs only while playing, and the new game after the last brick.
#include "play_fixture.h"

namespace
{

class GameStepTest : public PlayFixture
{
  protected:
    // Runs steps with the given keys held; every step must come back without a text.
    static void Steps(std::initializer_list<int> keys, int count = 1)
    {
        Hold(keys);
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(GameStep(), nullptr);
    }
    static DIMOUSESTATE Click(LONG lX, BYTE button)
    {
        DIMOUSESTATE mouse = {};
        mouse.lX = lX;
        mouse.rgbButtons[0] = button;
        return mouse;
    }
};

TEST_F(GameStepTest, HeldSpaceStartsPlayButLaunchesOnlyOnAFreshPress)
{
    Steps({DIK_SPACE});
    EXPECT_EQ(GameState, Playing);
    EXPECT_EQ(GameBall.launched, 0);
    Steps({DIK_SPACE}, 3);
    EXPECT_EQ(GameBall.launched, 0);
    Steps({});
    Steps({DIK_SPACE});
    EXPECT_EQ(GameBall.launched, 1);
    EXPECT_EQ(GameBall.vz, -0.05f);
    // Launched: a further press does nothing.
    Steps({});
    const float vx = GameBall.vx;
    Steps({DIK_SPACE});
    EXPECT_EQ(GameBall.vx, vx);
}

TEST_F(GameStepTest, LaunchedBallMovesEachPlayingStepAndStandsStillWhilePaused)
{
    Steps({DIK_SPACE});
    Steps({});
    Steps({DIK_SPACE});
    // The step that launches also moves: launch, then motion by velocity times SpeedFactor.
    EXPECT_EQ(GameBall.x, 320.0f + 0.05f);
    EXPECT_EQ(GameBall.z, 417.0f - 0.05f);
    Steps({}, 4);
    EXPECT_NEAR(GameBall.x, 320.25f, 1e-4f);
    EXPECT_NEAR(GameBall.z, 416.75f, 1e-4f);
    EXPECT_EQ(GameBall.world._41, GameBall.x);
    EXPECT_EQ(GameBall.world._43, GameBall.z);

    Steps({DIK_P});
    EXPECT_EQ(GameState, Paused);
    const float x = GameBall.x;
    Steps({}, 5);
    EXPECT_EQ(GameBall.x, x);
    EXPECT_EQ(StepCounter, 1u + 13u);
}

TEST_F(GameStepTest, ClickStartsPlayMovingTheBatAndASecondClickLaunches)
{
    HandleMouse(Click(-7, 0x80));
    EXPECT_EQ(GameState, Playing);
    EXPECT_NEAR(GameBat.leftX, 305.0f, 1e-5f);
    EXPECT_EQ(GameBall.launched, 0);
    HandleMouse(Click(0, 0x80)); // still held: no launch
    EXPECT_EQ(GameBall.launched, 0);
    HandleMouse(Click(0, 0));
    HandleMouse(Click(7, 1)); // any non-zero button byte is a press
    EXPECT_EQ(GameBall.launched, 1);
    EXPECT_NEAR(GameBat.leftX, 300.0f, 1e-4f);
    EXPECT_EQ(GameBall.x, 325.0f); // launched from where it rested; the bat went on alone
}

TEST_F(GameStepTest, PauseKeysToggleOutsideTheTitleAndCancelWhenPressedTogether)
{
    Steps({DIK_P});
    EXPECT_EQ(GameState, Title);
    Steps({DIK_SPACE});
    ASSERT_EQ(GameState, Playing);
    Steps({DIK_P}, 3);
    EXPECT_EQ(GameState, Paused);
    Steps({DIK_PAUSE});
    EXPECT_EQ(GameState, Playing);
    Steps({});
    Steps({DIK_P, DIK_PAUSE});
    EXPECT_EQ(GameState, Playing);
    // Space while paused does nothing, and does not launch.
    Steps({});
    Steps({DIK_P});
    Steps({DIK_SPACE});
    EXPECT_EQ(GameState, Paused);
    EXPECT_EQ(GameBall.launched, 0);
}

TEST_F(GameStepTest, CameraCyclesOnlyWhilePlayingOncePerPress)
{
    Steps({DIK_C});
    EXPECT_EQ(CameraMode, 0);
    Steps({DIK_SPACE});
    Steps({DIK_C}, 3);
    EXPECT_EQ(CameraMode, 1);
    for (int i = 0; i < 3; ++i)
    {
        Steps({});
        Steps({DIK_C});
    }
    EXPECT_EQ(CameraMode, 0);
    Steps({});
    Steps({DIK_P});
    Steps({DIK_C});
    EXPECT_EQ(CameraMode, 0);
}

TEST_F(GameStepTest, TitleToggleWorksOnlyOnTheTitleScreen)
{
    Steps({DIK_T}, 3);
    EXPECT_FALSE(TitleShown);
    Steps({});
    Steps({DIK_T});
    EXPECT_TRUE(TitleShown);
    // T held while play starts and a new game begins: the condition failed in between, so the
    // held key toggles again on the new title screen.
    Steps({DIK_T, DIK_SPACE});
    ASSERT_EQ(GameState, Playing);
    EXPECT_TRUE(TitleShown);
    Steps({DIK_T, DIK_R});
    ASSERT_EQ(GameState, Title);
    EXPECT_TRUE(TitleShown);
    Steps({DIK_T});
    EXPECT_FALSE(TitleShown);
}

TEST_F(GameStepTest, FrameCounterTogglesOncePerPressInAnyState)
{
    Steps({DIK_F}, 4);
    EXPECT_TRUE(ShowFrameRate);
    Steps({});
    Steps({DIK_SPACE, DIK_F});
    EXPECT_FALSE(ShowFrameRate);
}

TEST_F(GameStepTest, HeldRStartsANewGameOnEveryStep)
{
    Steps({DIK_SPACE});
    Steps({});
    Steps({DIK_SPACE});
    Steps({}, 3);
    BrickField[5].Hit();
    ASSERT_EQ(BrickField[5].HitsLeft, 2);
    Steps({DIK_R});
    EXPECT_EQ(GameState, Title);
    EXPECT_EQ(GameBall.launched, 0);
    EXPECT_EQ(BrickField[5].HitsLeft, 3);
    // Space and R together: play starts and is reset again in the same step.
    Steps({});
    Steps({DIK_SPACE, DIK_R}, 2);
    EXPECT_EQ(GameState, Title);
    Steps({});
    EXPECT_EQ(GameState, Title);
}

TEST_F(GameStepTest, DestroyingTheLastBrickEndsTheStepWithANewGame)
{
    for (int i = 0; i < BrickCount; ++i)
        if (i != 89)
            while (BrickField[i].alive)
                BrickField[i].Hit();
    ASSERT_EQ(BricksLeft, 1);
    ASSERT_EQ(Score, 3220);
    // The step moves the ball to z 300.4, where the probe 0.5 ahead enters the last brick.
    Fly(600.0f, 300.45f, 0.05f, -0.05f);
    ASSERT_EQ(GameStep(), nullptr);
    EXPECT_EQ(GameState, Title);
    EXPECT_EQ(BricksLeft, 90);
    EXPECT_EQ(Score, 0);
    EXPECT_EQ(Lives, 5);
    EXPECT_EQ(GameBall.launched, 0);
    EXPECT_EQ(StepCounter, 2u);
}

} // namespace
