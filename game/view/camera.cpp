// The four camera rigs: while playing the active rig follows bat and ball by its own rule, on the
// title screen it orbits the arena, while paused it stands still; the projection and the view are
// built from it on every drawn frame.
#include "game/view/camera.h"

#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"

// Live for the whole run; a new game keeps the rigs and the orbit where they are.
CameraRig CameraRigs[4];
CameraOrbitState CameraOrbit;
// Rebuilt on every drawn frame, read by the render pass.
Matrix4 ViewTransform;
Matrix4 ProjectionTransform;

namespace
{
// Degrees to radians, and the vertical field as 0.8 of the horizontal one, whatever the screen.
const float RadiansPerDegree = 0.017453292f;
const float VerticalRadiansPerDegree = 0.013962635f;
const float NearDistance = 30.0f;
const float FarDistance = 15000.0f;

// Reduces a whole angle into the table's range; a negative value is raised by whole turns.
int32_t ReduceAngle(int32_t angle)
{
    angle %= TableSize;
    if (angle < 0)
        angle += TableSize;
    return angle;
}

// The follow rule of one rig while playing.
struct FollowRule
{
    int32_t baseAngleX;
    float tilt;     // angle units per world unit the ball comes toward the bat
    float baseZ;    // offsetZ with the ball at the bat
    float backAway; // offsetZ change per world unit (0 keeps the rig's distance)
    float offsetY;
    float gain; // how far the eye follows bat and ball sideways
};
const FollowRule FollowRules[4] = {
    {12250, -0.75f, -500.0f, 0.07f, -400.0f, 0.4f},
    {11000, -0.75f, -650.0f, 0.07f, -250.0f, 0.6f},
    {13000, -0.75f, -400.0f, 0.07f, -500.0f, 0.4f},
    {10750, -1.25f, -500.0f, 0.0f, -100.0f, 0.8f},
};
} // namespace

void CameraRig::Init(float offsetX_, float offsetY_, float offsetZ_, TableAngle angleX_,
                     TableAngle angleY_, TableAngle angleZ_, float fieldOfView_)
{
    offsetX = offsetX_;
    offsetY = offsetY_;
    offsetZ = offsetZ_;
    angleX = angleX_;
    angleY = angleY_;
    angleZ = angleZ_;
    fieldOfView = fieldOfView_;
}

void InitCameraRigs()
{
    CameraRigs[0].Init(-320.0f, -400.0f, -500.0f, 11500, 0, 9000, 60.0f);
    CameraRigs[1].Init(-320.0f, -450.0f, -500.0f, 11500, 0, 9000, 60.0f);
    CameraRigs[2].Init(-320.0f, -500.0f, -500.0f, 11500, 0, 9000, 60.0f);
    CameraRigs[3].Init(-320.0f, -500.0f, -500.0f, 11500, 0, 9000, 60.0f);
}

void WrapRigAngles()
{
    CameraRig& rig = CameraRigs[CameraMode];
    if (rig.angleX < 0)
        rig.angleX += TableSize;
    if (rig.angleY < 0)
        rig.angleY += TableSize;
    if (rig.angleZ < 0)
        rig.angleZ += TableSize;
    if (rig.angleX > TableSize - 1)
        rig.angleX -= TableSize;
    if (rig.angleY > TableSize - 1)
        rig.angleY -= TableSize;
    if (rig.angleZ > TableSize - 1)
        rig.angleZ -= TableSize;
}

void PrepareCamera()
{
    const CameraRig& rig = CameraRigs[CameraMode];
    ViewTransform = LookAtMatrix({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f});
    const float fovX = rig.fieldOfView * RadiansPerDegree;
    const float fovY = rig.fieldOfView * VerticalRadiansPerDegree;
    ProjectionTransform = ProjectionMatrix(NearDistance, FarDistance, fovX, fovY);
    AdjustCameraRig();
}

void AdjustCameraRig()
{
    CameraRig& rig = CameraRigs[CameraMode];
    if (GameState == Playing)
    {
        const FollowRule& rule = FollowRules[CameraMode];
        rig.angleY = 0;
        const float dz = GameBall.z - 419.0f;
        // The product is formed in single precision and truncated toward zero.
        const float tilt = dz * rule.tilt;
        rig.angleX = rule.baseAngleX - static_cast<int32_t>(tilt);
        if (rule.backAway != 0.0f)
            rig.offsetZ = rule.baseZ - dz * rule.backAway;
        else
            rig.offsetZ = rule.baseZ;
        rig.offsetY = rule.offsetY;
        const float middle = (GameBat.rightX + GameBat.leftX + GameBall.x) * 0.33333334f;
        rig.offsetX = -320.0f - (middle - 320.0f) * rule.gain;
    }
    else if (GameState == Title)
    {
        // The same increments from the same start keep phaseA and phaseB equal, so the eye
        // circles the arena's centre line while turning to face it.
        CameraOrbit.phaseA += 7.5f * SpeedFactor;
        CameraOrbit.phaseB += 7.5f * SpeedFactor;
        CameraOrbit.phaseC += SpeedFactor;
        CameraOrbit.alpha = ReduceAngle(static_cast<int32_t>(CameraOrbit.phaseA));
        CameraOrbit.beta = ReduceAngle(static_cast<int32_t>(CameraOrbit.phaseB));
        CameraOrbit.gamma = ReduceAngle(static_cast<int32_t>(CameraOrbit.phaseC));
        const float sineGamma = SineTable[CameraOrbit.gamma];
        rig.offsetY = 320.0f * sineGamma - 350.0f;
        const float radius = 450.0f - 300.0f * sineGamma;
        rig.offsetX = -320.0f - radius * SineTable[CameraOrbit.alpha];
        rig.offsetZ = -210.0f - radius * CosineTable[CameraOrbit.beta];
        rig.angleY = (TableSize - 1) - CameraOrbit.alpha;
        rig.angleX = static_cast<int32_t>(10300.0f - 1350.0f * sineGamma);
    }
    // Paused: the rig stands still.
}

void ComposeView()
{
    const CameraRig& rig = CameraRigs[CameraMode];
    // The follow rules keep the angles in range for every ball position the game produces; the
    // reduction only guards the table lookups against a position it never should.
    ViewTransform =
        MultiplyMatrices(TranslationMatrix(rig.offsetX, rig.offsetY, rig.offsetZ), ViewTransform);
    ViewTransform = MultiplyMatrices(RotationMatrixZ(ReduceAngle(rig.angleZ)), ViewTransform);
    ViewTransform = MultiplyMatrices(RotationMatrixY(ReduceAngle(rig.angleY)), ViewTransform);
    ViewTransform = MultiplyMatrices(RotationMatrixX(ReduceAngle(rig.angleX)), ViewTransform);
}
