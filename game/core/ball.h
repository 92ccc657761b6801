// The ball: its record, its flight and its collisions with the bricks, the bat and the walls.
// Drawing (mesh, texture) is in game/scene/ball_object.cpp.
#pragma once

#include <d3dx8.h>

#include "game/view/matrix.h"

struct Ball
{
    float x, y, z;    // centre
    float vx, vy, vz; // per-step velocity before SpeedFactor
    int32_t launched; // 0 while resting on the bat
    ID3DXMesh* mesh;
    IDirect3DTexture8* texture;
    Matrix4 world;

    // Puts the ball at rest on the bat (PutBallOnBat; the bat is created first), takes the BALL
    // texture and loads models/ball.x. Returns null or "Load Ball.x Failed.".
    const char* Create();
    // world = translation(x, y, z). Called after every move and reset.
    void UpdateWorld();
    // Draws the mesh at the ball's position. Always returns null.
    const char* Draw();
    // Releases the mesh if present.
    void Release();
};

// Live for the whole run; ResetGame puts the ball back on the bat.
extern Ball GameBall;
extern bool BallXFree; // false while the bat pushes the ball sideways

// Puts the ball at rest on the bat: not launched, no velocity, on the floor, and placed by
// Bat::RestBall. The bat must already be placed; the world transform is left to the caller.
void PutBallOnBat();

// The three collision passes, run in this order after the move in each Playing step.
void CollideBricks();
void CollideBat();
void CollideWalls();
