// Adapter and mode enumeration over the Direct3D object: fills the adapter table (adapter_table.h)
// once at the setup tool's start.
#pragma once

#include "setup/adapter_table.h"

// Lives for the whole run: created by RunSetup, released by WinMain; null when absent.
extern IDirect3D8* Direct3D;

// Fills AdapterTable with every adapter of Direct3D. Returns null, or the text of the first failing
// step ("No suitable Display Adapters found.", "Get Adapter ID Failed.", "Get Device Caps Enum
// Function Failed.", "No supported Modes"); the adapters after a failing one are not examined.
const char* EnumerateAdapters();

// Reads the HAL capabilities of `adapter` into its entry and sets its flags. Returns null or "Get
// Device Capabilities Failed.".
const char* ReadAdapterCaps(UINT adapter);

// Keeps the usable full-screen modes of `adapter` in its entry, updating DesktopModeIndex. Always
// succeeds.
void EnumerateModes(UINT adapter);

// The depth/stencil format for `mode` on `adapter`: the strongest that the adapter accepts with the
// mode's format (EnumerateModes applies the same rule to every mode). Returns D3DFMT_UNKNOWN (0)
// when none fits.
D3DFORMAT ChooseDepthFormat(UINT adapter, const D3DDISPLAYMODE& mode);
