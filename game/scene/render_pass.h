// The render pass: one picture of the game, drawn in a fixed order with each object's states.
#pragma once

// Draws and presents one frame. Called by GameStep on every 30th step. Returns null or the first
// error text; a lost device only sets DeviceResetPending.
const char* RenderFrame();
