// The bat: placement, the two mouse-driven moves with their clamps at the rails, and the resting
// ball it carries. A ball pushed at the bat's side moves with the mouse even where the bat stops.
#include "game/core/bat.h"

#include "game/core/ball.h"
#include "game/core/timing.h"

// Live for the whole run; ResetGame puts the bat back at (BatStartX, BatStartZ).
Bat GameBat;
// BatDirection lives for one step (reset by every keyboard pass); BatPushing for one push.
int BatDirection = BatDirectionNone;
bool BatPushing = false;

namespace
{

// The bat's left edge stays within these, so the bat stays between the rails at 20 and 620.
const float LeftLimit = 20.0f;
const float RightLimit = 620.0f - BatWidth;
// While pushing, the bat stops this far short of a limit and only the ball goes on.
const float PushMargin = 3.0f;

} // namespace

void Bat::Place(float x, float z)
{
    leftX = x;
    rightX = x + BatWidth;
    nearZ = z;
    farZ = z + BatDepth;
    world = TranslationMatrix(x, 0.0f, z);
}

void Bat::MovePlusX(float d)
{
    // d is negative here; subtracting it moves toward +x. The limit tests use the position
    // before the move, so one move may overshoot and be clamped below.
    float s = SpeedFactor * d;
    if (!BatPushing)
    {
        if (leftX < RightLimit)
        {
            leftX -= s;
            rightX -= s;
            if (!GameBall.launched)
                GameBall.x -= s;
        }
    }
    else
    {
        if (leftX < RightLimit - PushMargin)
        {
            leftX -= s;
            rightX -= s;
        }
        GameBall.x -= s;
    }
    if (leftX > RightLimit)
    {
        leftX = RightLimit;
        rightX = RightLimit + BatWidth;
        if (!GameBall.launched)
            GameBall.x = RightLimit + BatWidth / 2.0f;
    }
    BatDirection = BatDirectionPlusX;
    world = TranslationMatrix(leftX, 0.0f, nearZ);
}

void Bat::MoveMinusX(float d)
{
    float s = SpeedFactor * d;
    if (!BatPushing)
    {
        if (leftX > LeftLimit)
        {
            leftX -= s;
            rightX -= s;
            if (!GameBall.launched)
                GameBall.x -= s;
        }
    }
    else
    {
        if (leftX > LeftLimit + PushMargin)
        {
            leftX -= s;
            rightX -= s;
        }
        GameBall.x -= s;
    }
    if (leftX < LeftLimit)
    {
        leftX = LeftLimit;
        rightX = LeftLimit + BatWidth;
        if (!GameBall.launched)
            GameBall.x = LeftLimit + BatWidth / 2.0f;
    }
    BatDirection = BatDirectionMinusX;
    world = TranslationMatrix(leftX, 0.0f, nearZ);
}

void Bat::RestBall()
{
    GameBall.x = leftX + BatWidth / 2.0f;
    GameBall.z = nearZ - 3.0f;
}
