// The Direct3D device: its creation with three attempts, its fixed render state, light 0, the
// material and the texture filters.
#pragma once

#include <d3d8.h>

// Live from start-up to shutdown.
extern IDirect3D8* Direct3D;
extern IDirect3DDevice8* Device;
extern D3DLIGHT8 SceneLight;               // light 0; the render pass moves it to the ball
extern D3DTEXTUREFILTERTYPE TextureFilter; // from FilterMethod; restored after the snow

// Fills the present parameters from DisplaySettings with the given refresh rate (0 at creation, the
// mode's rate at reset).
void FillPresentParameters(D3DPRESENT_PARAMETERS* parameters, UINT refreshRate);
// Creates the Direct3D object and the device. Returns null, "Failed to obtain pointer to D3D
// Interface.", "Insufficient Video Card Memory." or "Create D3D Device Failed.".
const char* CreateDisplayDevice();
// The fixed render states, in order. Never fails.
void ApplyRenderStates();
// Sets and enables light 0. Used only when Lighting is on.
void SetupLight();
// Sets the one material. Returns null or "Set Material Failed.".
const char* ApplyMaterial();
// Sets the stage 0 filters from FilterMethod and MipMapping. Never fails.
void ApplyTextureFilters();
// The whole fixed state a new or reset device needs: render states, light 0 when Lighting is on,
// the material and, once the material is set, the texture filters. Returns null or "Set Material
// Failed." (the filters are then left at the device's defaults).
const char* ApplyFixedState();
// Releases the device, then the Direct3D object.
void ReleaseDisplayDevice();
