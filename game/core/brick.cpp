// The bricks: the 90-brick field and its layout, the hit and score rules, and ResetGame, which
// starts every new game on the title screen.
#include "game/core/brick.h"

#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/game_step.h"
#include "game/platform/texture_set.h"

// Live for the whole run; ResetGame restores them.
Brick BrickField[BrickCount];
int32_t Score = 0;
int32_t Lives = StartingLives;
int32_t BricksLeft = BrickCount;

namespace
{

const int Rows = 6;
const int Columns = 15;
const int TypeCount = 6;

// Per type: the hits a brick takes before the destroying one, and what destroying it scores.
// Tougher bricks lie farther from the bat and are worth more.
struct BrickTypeRow
{
    int32_t hitsLeft;
    int32_t scoreValue;
};
const BrickTypeRow BrickTypes[TypeCount] = {{0, 5}, {0, 10}, {1, 20}, {1, 30}, {2, 50}, {3, 100}};

bool KnownType(int32_t type)
{
    return type >= 0 && type < TypeCount;
}

} // namespace

void Brick::Create(float x, float z, int32_t type)
{
    leftX = x;
    rightX = x + 40.0f;
    nearZ = z;
    farZ = z + 20.0f;
    world = TranslationMatrix(x, 0.0f, z);
    alive = 1;
    BrickType = type;
    if (KnownType(type))
    {
        HitsLeft = BrickTypes[type].hitsLeft;
        scoreValue = BrickTypes[type].scoreValue;
        texture = TextureSet.Block[type];
    }
    else
    {
        // No layout passes such a type; a brick of it falls to one hit, scores nothing and has
        // no picture, rather than holding whatever an earlier brick left there.
        HitsLeft = 0;
        scoreValue = 0;
        texture = nullptr;
    }
    // Null without a device or template; the draw then reports the missing buffer.
    vertexBuffer = CreateStaticBuffer(BrickTemplate, 30 * sizeof(SceneVertex), SceneVertexFormat);
}

void Brick::Restore(int32_t type)
{
    alive = 1;
    if (KnownType(type))
        HitsLeft = BrickTypes[type].hitsLeft;
}

bool Brick::Contains(float px, float pz) const
{
    // Closed on every side: the shared edge of two neighbours belongs to both.
    return alive != 0 && leftX <= px && px <= rightX && nearZ <= pz && pz <= farZ;
}

void Brick::Hit()
{
    if (HitsLeft >= 1)
    {
        HitsLeft -= 1;
        return;
    }
    alive = 0;
    Score += scoreValue;
    BricksLeft -= 1;
}

void PlaceBricks()
{
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c)
            BrickField[Columns * r + c].Create(40.0f * c + 20.0f, 40.0f * r + 80.0f, 5 - r);
}

void ResetGame()
{
    // The camera, the frame-rate switch, the clock and SpeedFactor carry over into the new game.
    GameState = Title;
    TitleShown = true;
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c)
            BrickField[Columns * r + c].Restore(5 - r);
    Lives = StartingLives;
    Score = 0;
    BricksLeft = BrickCount;
    GameBat.Place(BatStartX, BatStartZ);
    PutBallOnBat();
    GameBall.UpdateWorld();
}
