// Camera rigs: the view composed from a rig, the follow rules while playing (with their truncation
// toward zero), the title orbit's first frame, the standstill while paused and the angle wrap.
#include <gtest/gtest.h>

#include <cmath>

#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/view/camera.h"

namespace
{
class CameraTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        FillSineTable();
        FillCosineTable();
        InitCameraRigs();
        CameraOrbit = CameraOrbitState{};
        CameraMode = 0;
        GameState = Playing;
        SpeedFactor = 1.0f;
        // Bat and ball centred on x = 320.
        GameBat.leftX = 300.0f;
        GameBat.rightX = 340.0f;
        GameBall.x = 320.0f;
        GameBall.z = 419.0f;
    }

    // Where the composed view puts a world point.
    static Vector3 ToView(Vector3 p)
    {
        const Matrix4& m = ViewTransform;
        return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41,
                p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
                p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
    }
};

TEST_F(CameraTest, RigZeroAtStartLooksFiftyDegreesDownFromAboveTheBat)
{
    ViewTransform = IdentityMatrix();
    ComposeView();
    const float expected[4][4] = {{-1, 0, 0, 0},
                                  {0, 0.6427877f, -0.7660444f, 0},
                                  {0, -0.7660444f, -0.6427877f, 0},
                                  {320, 125.9071f, 627.8116f, 1}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(ViewTransform.m[i][j], expected[i][j], 2e-4f) << i << "," << j;
    // The eye (320, 400, 500) maps to the view origin.
    const Vector3 eye = ToView({320, 400, 500});
    EXPECT_NEAR(eye.x, 0.0f, 1e-3f);
    EXPECT_NEAR(eye.y, 0.0f, 1e-3f);
    EXPECT_NEAR(eye.z, 0.0f, 1e-3f);
}

TEST_F(CameraTest, PlayingRigsPutTheirEyesAtTheirHeightsAndLookDownTheArena)
{
    // Ball at 419 with bat and ball centred: the eyes named for the four rigs, every one looking
    // along -z (the arena's centre lies ahead of it, in front of the view plane).
    const Vector3 eyes[4] = {{320, 400, 500}, {320, 250, 650}, {320, 500, 400}, {320, 100, 500}};
    for (int mode = 0; mode < 4; ++mode)
    {
        CameraMode = mode;
        PrepareCamera();
        ComposeView();
        const Vector3 eye = ToView(eyes[mode]);
        EXPECT_NEAR(eye.x, 0.0f, 0.05f) << "mode " << mode;
        EXPECT_NEAR(eye.y, 0.0f, 0.05f) << "mode " << mode;
        EXPECT_NEAR(eye.z, 0.0f, 0.05f) << "mode " << mode;
        EXPECT_GT(ToView({320, 0, 240}).z, 0.0f) << "mode " << mode;
        EXPECT_EQ(CameraRigs[mode].angleY, 0);
    }
}

TEST_F(CameraTest, FollowRulesWithTheBallNearTheBricks)
{
    GameBall.z = 100.0f; // dz = -319
    CameraMode = 0;
    PrepareCamera();
    EXPECT_EQ(CameraRigs[0].angleX, 12011); // 12250 - trunc(239.25)
    EXPECT_NEAR(CameraRigs[0].offsetZ, -477.67f, 1e-3f);
    EXPECT_FLOAT_EQ(CameraRigs[0].offsetY, -400.0f);

    CameraMode = 3;
    PrepareCamera();
    EXPECT_EQ(CameraRigs[3].angleX, 10352); // 10750 - trunc(398.75)
    EXPECT_FLOAT_EQ(CameraRigs[3].offsetZ, -500.0f);
    EXPECT_FLOAT_EQ(CameraRigs[3].offsetY, -100.0f);
    // The other rigs were left as they were.
    EXPECT_EQ(CameraRigs[1].angleX, 11500);
}

TEST_F(CameraTest, TiltIsTruncatedTowardZero)
{
    GameBall.z = 420.0f; // dz = 1: trunc(-0.75) is 0, not -1
    PrepareCamera();
    EXPECT_EQ(CameraRigs[0].angleX, 12250);
    GameBall.z = 421.0f; // dz = 2: trunc(-1.5) is -1, not -2
    PrepareCamera();
    EXPECT_EQ(CameraRigs[0].angleX, 12251);
}

TEST_F(CameraTest, SidewaysFollowUsesEachRigsGain)
{
    // Bat at the right rail and the ball beside it: m = (620 + 580 + 600) / 3 = 600.
    GameBat.leftX = 580.0f;
    GameBat.rightX = 620.0f;
    GameBall.x = 600.0f;
    const float gains[4] = {0.4f, 0.6f, 0.4f, 0.8f};
    for (int mode = 0; mode < 4; ++mode)
    {
        CameraMode = mode;
        PrepareCamera();
        EXPECT_NEAR(CameraRigs[mode].offsetX, -320.0f - 280.0f * gains[mode], 1e-2f);
    }
}

TEST_F(CameraTest, FirstTitleFrameStartsTheOrbit)
{
    GameState = Title;
    PrepareCamera();
    EXPECT_FLOAT_EQ(CameraOrbit.phaseA, 7.5f);
    EXPECT_FLOAT_EQ(CameraOrbit.phaseB, 7.5f);
    EXPECT_FLOAT_EQ(CameraOrbit.phaseC, 1.0f);
    EXPECT_EQ(CameraOrbit.alpha, 7);
    EXPECT_EQ(CameraOrbit.beta, 7);
    EXPECT_EQ(CameraOrbit.gamma, 1);
    const CameraRig& rig = CameraRigs[0];
    EXPECT_NEAR(rig.offsetX, -321.0993f, 1e-3f);
    EXPECT_NEAR(rig.offsetY, -349.8883f, 1e-3f);
    EXPECT_NEAR(rig.offsetZ, -659.8939f, 1e-3f);
    EXPECT_EQ(rig.angleX, 10299);
    EXPECT_EQ(rig.angleY, 17992);
    EXPECT_EQ(rig.angleZ, 9000);
    EXPECT_FLOAT_EQ(rig.fieldOfView, 60.0f);
}

TEST_F(CameraTest, OrbitCirclesTheArenaCentreAndWrapsItsAngles)
{
    GameState = Title;
    SpeedFactor = 10.0f;
    // Far past one turn of alpha (18000 / 75 frames) and well into gamma's swing.
    for (int frame = 0; frame < 500; ++frame)
    {
        PrepareCamera();
        ComposeView();
        ASSERT_GE(CameraOrbit.alpha, 0);
        ASSERT_LT(CameraOrbit.alpha, 18000);
        const CameraRig& rig = CameraRigs[0];
        ASSERT_GE(rig.angleY, 0);
        ASSERT_LT(rig.angleY, 18000);
        // The eye lies on a circle of radius t around the vertical line x = 320, z = 210.
        const float t = 450.0f - 300.0f * SineTable[CameraOrbit.gamma];
        const float ex = -rig.offsetX - 320.0f;
        const float ez = -rig.offsetZ - 210.0f;
        ASSERT_NEAR(std::sqrt(ex * ex + ez * ez), t, 0.05f) << "frame " << frame;
        // And it faces that line: the line's point at the eye's height lies straight ahead.
        const Vector3 centre = ToView({320.0f, -rig.offsetY, 210.0f});
        ASSERT_NEAR(centre.x, 0.0f, 0.5f) << "frame " << frame;
        ASSERT_GT(centre.z, 0.0f) << "frame " << frame;
    }
    EXPECT_GT(CameraOrbit.phaseA, 18000.0f); // the accumulator itself is never reduced
}

TEST_F(CameraTest, PausedRigStandsStillButTheViewIsStillComposed)
{
    GameBall.z = 200.0f;
    PrepareCamera(); // playing: the rig follows
    const CameraRig before = CameraRigs[0];
    GameState = Paused;
    GameBall.z = 50.0f;
    GameBall.x = 100.0f;
    for (int i = 0; i < 3; ++i)
    {
        PrepareCamera();
        ComposeView();
    }
    EXPECT_EQ(CameraRigs[0].angleX, before.angleX);
    EXPECT_EQ(CameraRigs[0].offsetX, before.offsetX);
    EXPECT_EQ(CameraRigs[0].offsetZ, before.offsetZ);
    // The view is rebuilt from the rig each frame, not accumulated.
    const Matrix4 once = ViewTransform;
    PrepareCamera();
    ComposeView();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(ViewTransform.m[i][j], once.m[i][j]);
    // The projection spans 60 degrees across and 48 up and down.
    EXPECT_NEAR(ProjectionTransform._11, 1.7320508f, 1e-5f);
    EXPECT_NEAR(ProjectionTransform._22, 2.2460368f, 1e-5f);
}

TEST_F(CameraTest, WrapBringsAnglesBackByOneTurn)
{
    CameraMode = 2;
    CameraRigs[2].angleX = -5;
    CameraRigs[2].angleY = 18000;
    CameraRigs[2].angleZ = 17999;
    WrapRigAngles();
    EXPECT_EQ(CameraRigs[2].angleX, 17995);
    EXPECT_EQ(CameraRigs[2].angleY, 0);
    EXPECT_EQ(CameraRigs[2].angleZ, 17999);
    CameraRigs[2].angleX = 0;
    WrapRigAngles();
    EXPECT_EQ(CameraRigs[2].angleX, 0);
    // Only the active rig is touched.
    CameraRigs[1].angleX = -5;
    WrapRigAngles();
    EXPECT_EQ(CameraRigs[1].angleX, -5);
}
} // namespace
