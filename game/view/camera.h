// The four camera rigs: the active rig follows bat and ball while playing, orbits the arena on
// the title screen and stands still while paused; view and projection are built from it.
#pragma once

#include "game/view/matrix.h"

struct CameraRig
{
    float offsetX, offsetY, offsetZ; // the eye is (-offsetX, -offsetY, -offsetZ)
    TableAngle angleX, angleY, angleZ;
    float fieldOfView; // horizontal, degrees

    // Stores the seven values.
    void Init(float offsetX, float offsetY, float offsetZ, TableAngle angleX, TableAngle angleY,
              TableAngle angleZ, float fieldOfView);
};

struct CameraOrbitState
{
    float phaseA, phaseB, phaseC; // accumulators, never reduced
    int32_t alpha, beta, gamma;   // their whole angles in 0..17999
};

// Live for the whole run; a new game keeps them.
extern CameraRig CameraRigs[4];
extern CameraOrbitState CameraOrbit;
// Rebuilt on every drawn frame, read by the render pass.
extern Matrix4 ViewTransform;
extern Matrix4 ProjectionTransform;

// Puts the four rigs at their start, rig 0 to rig 3: eyes above x 320, z 500, at heights 400,
// 450, 500 and 500, all with the same angles and a 60-degree field. Run once by start-up.
void InitCameraRigs();
// Brings the active rig's angles back into 0..17999.
void WrapRigAngles();
// Builds the projection and adjusts the active rig. First camera call of a drawn frame.
void PrepareCamera();
// Follows the ball (Playing), orbits (Title) or does nothing (Paused).
void AdjustCameraRig();
// Builds ViewTransform from the active rig. Second camera call of a drawn frame.
void ComposeView();
