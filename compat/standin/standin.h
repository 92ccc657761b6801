// Extras of the Linux stand-in that the real platform does not have. Programs never need them;
// tests use them to drive the clock and the input devices and to watch what the device was told.
#pragma once

#include "d3d8.h"

// ---- Clock (compat/win32) ----
// Replaces the source of timeGetTime(); null restores the real SDL millisecond clock.
typedef DWORD (*StandinClockSource)(void);
void StandinSetClockSource(StandinClockSource source);

// ---- Input (compat/dinput8) ----
// While a source is set, GetDeviceState on an acquired keyboard or mouse returns what the source
// fills in (256 key bytes, or a DIMOUSESTATE) and its result, instead of reading SDL's state.
typedef HRESULT (*StandinKeyboardSource)(BYTE keys[256]);
typedef HRESULT (*StandinMouseSource)(void* mouseState16);
void StandinSetKeyboardSource(StandinKeyboardSource source);
void StandinSetMouseSource(StandinMouseSource source);

// ---- Game controller (compat/dinput8, desktop only) ----
// Attaches SDL's virtual game controller (6 axes in SDL_CONTROLLER_AXIS_* order, 15 buttons in
// SDL_CONTROLLER_BUTTON_* order), which DirectInput then lists as an attached game controller;
// FALSE with the reason logged when SDL refuses. Detaching pulls it out. Axis values run
// -32768..32767 (triggers 0..32767); what is set is seen from the next event pump on.
BOOL StandinAttachGamepad(void);
void StandinDetachGamepad(void);
void StandinSetGamepadAxis(int axis, int value);
void StandinSetGamepadButton(int button, BOOL down);

// ---- Device trace (compat/d3d8) ----
// A record of every call a device receives that changes state, draws or presents, in order.
// Arguments are the call's integers in order, except: SetTransform keeps (state, _41, _42, _43),
// SetLight (index, Position x, y, z) and SetMaterial (Diffuse r, g, b, a), floats as their bits;
// Clear keeps (count, flags, colour, stencil); SetStreamSource (stream, stride) with the buffer.
struct D3D8TraceEntry
{
    const char* Call;   // the method name, e.g. "SetRenderState", "DrawPrimitive", "DrawSubset"
    DWORD Arg[4];       // its integer arguments in order (state, value; type, start, count; ...)
    const void* Object; // the texture, buffer or mesh passed, if any
    HRESULT Result;     // what the call returned
};
// Starts (and clears) or stops recording on a device.
void D3D8TraceStart(IDirect3DDevice8* device);
void D3D8TraceStop(IDirect3DDevice8* device);
UINT D3D8TraceCount(IDirect3DDevice8* device);
const D3D8TraceEntry* D3D8TraceGet(IDirect3DDevice8* device, UINT index);
// Lets other stand-in libraries (the mesh drawer) add their own entries while recording.
void D3D8TraceNote(IDirect3DDevice8* device, const char* call, DWORD a0, DWORD a1, DWORD a2,
                   const void* object, HRESULT result);

// ---- Draw costs (compat/d3d8) ----
// While a device measures, each draw is finished on its own and timed, and its pixels counted:
// Covered, the pixels its primitives cover in the viewport, all of which run the pixel shader
// where depth is tested after shading (the W-buffer writes depth from the shader); Drawn, those
// that passed the alpha and depth tests. Draws take several times as long: for benchmarks.
struct D3D8DrawCost
{
    const void* Texture; // stage 0's texture (no reference is held), or null
    unsigned long long Covered;
    unsigned long long Drawn;
    double Seconds;    // from the draw's start to its last pixel, the GL finished before it
    double CpuSeconds; // the processor time the program's threads (the GL's too) spent on it
    char Work[96]; // what each pixel does, e.g. "scene, texture trilinear, alpha test, W-buffer"
};
// Starts (and clears) measuring; FALSE, with the reason logged, where the GL cannot count
// samples (WebGL). Stopping keeps the records until the next start.
BOOL D3D8DrawCostStart(IDirect3DDevice8* device);
void D3D8DrawCostStop(IDirect3DDevice8* device);
UINT D3D8DrawCostCount(IDirect3DDevice8* device);
const D3D8DrawCost* D3D8DrawCostGet(IDirect3DDevice8* device, UINT index);

// Reads back the device's back buffer (the picture before it is scaled to the window) as
// 32-bit 0xAARRGGBB pixels, row 0 at the top. Returns D3D_OK and fills width*height values.
HRESULT D3D8ReadBackBuffer(IDirect3DDevice8* device, DWORD* pixels, UINT width, UINT height);

// Simulates the window losing focus (focused = FALSE) or coming back (TRUE), for device-loss
// tests where no real focus change can be made: FALSE makes the device see the window as away
// until TRUE, which also asks the window system for real focus; both post the matching SDL
// window event. A real focus change goes the same way.
void StandinSetWindowFocus(HWND hwnd, BOOL focused);

// Turns Present's wait for the display refresh off (FALSE) or back on (TRUE, the default), for
// benchmarks that measure how fast frames can be drawn. Applies to every device.
void StandinSetPresentPacing(BOOL enabled);
