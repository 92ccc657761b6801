// The ball's flight rules: its transform, the eight-probe collision pass over the bricks, the bat
// (front bounce, side bounce and push) and the walls, and the loss of a ball behind the bat.
#include "game/core/ball.h"

#include <cmath>

#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/timing.h"

// Live for the whole run; ResetGame puts the ball back on the bat.
Ball GameBall;
bool BallXFree = true;

namespace
{

// Every brick touched speeds the ball up by this factor, in both components alike.
const float BrickSpeedUp = 1.008f;
// Half the ball's extent as the brick probes see it.
const float ProbeReach = 0.5f;

// The eight probes, in the order they are tested: four edges, then four corners.
enum Probe
{
    EdgePlusX,
    EdgeMinusX,
    EdgeMinusZ,
    EdgePlusZ,
    CornerPlusXMinusZ,
    CornerMinusXMinusZ,
    CornerPlusXPlusZ,
    CornerMinusXPlusZ,
    ProbeCount
};

Probe Corner(bool plusX, bool minusZ)
{
    if (minusZ)
        return plusX ? CornerPlusXMinusZ : CornerMinusXMinusZ;
    return plusX ? CornerPlusXPlusZ : CornerMinusXPlusZ;
}

} // namespace

void PutBallOnBat()
{
    GameBall.launched = 0;
    GameBall.vx = GameBall.vz = GameBall.vy = 0.0f;
    GameBall.y = 0.0f;
    GameBat.RestBall();
}

void Ball::UpdateWorld()
{
    world = TranslationMatrix(x, y, z);
}

void CollideBricks()
{
    Ball& ball = GameBall;
    // All probes come from the position at the start of the pass.
    const float px[ProbeCount] = {ball.x + ProbeReach,
                                  ball.x - ProbeReach,
                                  ball.x,
                                  ball.x,
                                  ball.x + ProbeReach,
                                  ball.x - ProbeReach,
                                  ball.x + ProbeReach,
                                  ball.x - ProbeReach};
    const float pz[ProbeCount] = {ball.z,
                                  ball.z,
                                  ball.z - ProbeReach,
                                  ball.z + ProbeReach,
                                  ball.z - ProbeReach,
                                  ball.z - ProbeReach,
                                  ball.z + ProbeReach,
                                  ball.z + ProbeReach};

    // The flags gather over the whole field; each brick touched is hit once and speeds the ball.
    bool hit[ProbeCount] = {};
    for (Brick& brick : BrickField)
    {
        bool touched = false;
        for (int p = 0; p < ProbeCount; ++p)
            if (brick.Contains(px[p], pz[p]))
            {
                hit[p] = true;
                touched = true;
            }
        if (touched)
        {
            brick.Hit();
            ball.vx *= BrickSpeedUp;
            ball.vz *= BrickSpeedUp;
        }
    }

    // The reflection follows the direction of travel: a zero component counts as +z or -x.
    const bool minusZ = ball.vz < 0.0f;
    const bool plusX = ball.vx > 0.0f;
    const bool leadingZ = hit[minusZ ? EdgeMinusZ : EdgePlusZ];
    const bool leadingX = hit[plusX ? EdgePlusX : EdgeMinusX];
    if (leadingZ || leadingX)
    {
        // A leading edge decides alone; corners are then ignored.
        if (leadingZ)
            ball.vz = -ball.vz;
        if (leadingX)
            ball.vx = -ball.vx;
        return;
    }
    // Only corners: each leading corner turns the components it leads in, so the corner ahead
    // and the one ahead in z only together leave vz as it was.
    if (hit[Corner(plusX, minusZ)])
    {
        ball.vx = -ball.vx;
        ball.vz = -ball.vz;
    }
    if (hit[Corner(!plusX, minusZ)])
        ball.vz = -ball.vz;
    if (hit[Corner(plusX, !minusZ)])
        ball.vx = -ball.vx;
}

void CollideBat()
{
    Ball& ball = GameBall;
    const Bat& bat = GameBat;
    if (bat.leftX < ball.x && ball.x < bat.rightX && bat.nearZ < ball.z && ball.z < bat.farZ)
    {
        const float dL = std::fabs(ball.x - bat.leftX);
        const float dR = std::fabs(ball.x - bat.rightX);
        const float dZ = std::fabs(ball.z - bat.nearZ);
        const bool side = (dL < dR && dL < dZ) || (dR < dL && dR < dZ);
        if (side)
        {
            // A still bat turns the ball back; a moving one takes it along sideways.
            if (BatDirection == BatDirectionNone)
                ball.vx = -ball.vx;
            else
            {
                BatPushing = true;
                BallXFree = false;
            }
        }
        // Ties between the front and a side go to the front.
        if (dZ <= dL && dZ <= dR)
        {
            ball.z = bat.nearZ - 0.1f * SpeedFactor;
            ball.vz = -ball.vz;
        }
    }
    else if (BatPushing)
    {
        // Released: the ball goes on in x the way the bat last moved.
        BallXFree = true;
        BatPushing = false;
        if (BatDirection == BatDirectionPlusX && ball.vx < 0.0f)
            ball.vx = -ball.vx;
        if (BatDirection == BatDirectionMinusX && ball.vx > 0.0f)
            ball.vx = -ball.vx;
    }
}

void CollideWalls()
{
    Ball& ball = GameBall;
    // Only the velocity turns, on every step beyond a line; the position is not corrected.
    if (ball.x < 21.0f)
        ball.vx = -ball.vx;
    else if (ball.x > 618.0f)
        ball.vx = -ball.vx;
    if (ball.z < 21.0f)
        ball.vz = -ball.vz;
    if (ball.z > 479.0f)
    {
        // Past the bat line the ball drops out of the arena and is lost far below it.
        ball.vy -= 0.0003f * SpeedFactor;
        if (ball.y < -500.0f)
        {
            Lives -= 1;
            if (Lives < 0)
                ResetGame();
            PutBallOnBat();
        }
    }
}
