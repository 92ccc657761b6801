// The bat: its record, the mouse-driven moves with their clamps and the push of a ball caught at
// its side. Drawing is in game/scene/bat_object.cpp.
#pragma once

#include <d3d8.h>

#include "game/scene/vertices.h"
#include "game/view/matrix.h"

// The way the bat last moved. The set's name prefixes each value: a bare None is a macro of the
// X11 headers.
enum BatDirectionValue
{
    BatDirectionNone = 0,
    BatDirectionPlusX = 1, // last move toward +x (negative mouse motion)
    BatDirectionMinusX = 2 // last move toward -x (zero or positive mouse motion)
};

// The bat's size along x (width) and z (depth), and where every game starts it: its left edge and
// its near side.
const float BatWidth = 40.0f;
const float BatDepth = 10.0f;
const float BatStartX = 300.0f;
const float BatStartZ = 420.0f;

struct Bat
{
    float leftX, rightX; // rightX = leftX + BatWidth
    float nearZ, farZ;   // nearZ faces the bricks; farZ = nearZ + BatDepth
    IDirect3DVertexBuffer8* vertexBuffer;
    IDirect3DTexture8* texture;
    Matrix4 world;

    // Places the bat and rebuilds its transform.
    void Place(float x, float z);
    // Place, plus the BAT texture and the vertex buffer from BatVertices.
    void Create(float x, float z);
    // Moves by SpeedFactor * d (d < 0 moves toward +x); called by HandleMouse for lX < 0.
    void MovePlusX(float d);
    // Moves by SpeedFactor * d toward -x; called by HandleMouse for lX >= 0.
    void MoveMinusX(float d);
    // Puts a resting ball on the bat: x at the bat's middle (leftX + BatWidth / 2), z = nearZ - 3.
    void RestBall();
    // Draws the box. Returns null, "Set Stream Source Failed." or "Draw Primitive Failed.".
    const char* Draw();
    // Releases the vertex buffer if present.
    void Release();
};

// Live for the whole run.
extern Bat GameBat;
extern int BatDirection; // a BatDirectionValue; reset at the start of every keyboard pass
extern bool BatPushing;  // the ball hit a side while the bat moved

// The bat's 30-vertex open box, built once at start-up and freed by ReleaseAll.
extern SceneVertex* BatVertices;
void BuildBatVertices();
