// The bricks: the record, the 90-brick field, hits and scoring, and ResetGame, which starts every
// new game. Drawing is in game/scene/brick_object.cpp.
#pragma once

#include <d3d8.h>

#include "game/scene/vertices.h"
#include "game/view/matrix.h"

struct Brick
{
    int32_t alive;
    float leftX, rightX; // rightX = leftX + 40
    float nearZ, farZ;   // farZ = nearZ + 20, the side toward the bat
    int32_t HitsLeft;    // further hits before the destroying one
    int32_t BrickType;   // 0..5
    int32_t scoreValue;
    IDirect3DVertexBuffer8* vertexBuffer;
    IDirect3DTexture8* texture;
    Matrix4 world;

    // Lays the brick at (x, z) with the hits, score and texture of `type` and its own vertex buffer
    // filled from BrickTemplate. Reports nothing.
    void Create(float x, float z, int32_t type);
    // Alive again with the full hits of `type`.
    void Restore(int32_t type);
    // True when alive and (px, pz) lies in the closed rectangle.
    bool Contains(float px, float pz) const;
    // One hit: lowers HitsLeft, or destroys the brick and scores it.
    void Hit();
    // Draws an alive brick. Returns null, "Set Stream Source Failed." or "Draw Primitive Failed.".
    const char* Draw();
    // Releases the vertex buffer if present.
    void Release();
};

const int BrickCount = 90;
// The spare balls of a new game.
const int32_t StartingLives = 5;

// Live for the whole run; ResetGame restores them.
extern Brick BrickField[BrickCount]; // index 15 * row + column
extern int32_t Score;
extern int32_t Lives; // spare balls
extern int32_t BricksLeft;

// The shared 30-vertex brick box, built once at start-up and freed by ReleaseAll.
extern SceneVertex* BrickTemplate;
void BuildBrickVertices();

// Lays out the whole field: 6 rows of 15, toughest row farthest from the bat.
void PlaceBricks();

// Starts a new game on the title screen. Called by R, a cleared field and the last lost ball.
void ResetGame();
