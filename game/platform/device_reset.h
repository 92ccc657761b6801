// Device loss and reset: waits until the device can be reset, resets it, restores the fixed
// state, pauses a running game and re-acquires the keyboard.
#pragma once

// Called by the main loop instead of GameStep while DeviceResetPending is set. Returns null
// (still lost, or reset complete) or "Device Reset Failed.", "Set Material Failed." or
// "Re-aquire Keyboard Failed.".
const char* ResetDevice();
