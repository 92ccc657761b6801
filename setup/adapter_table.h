// The setup tool's picture of the machine: one AdapterInfo per Direct3D adapter (its name, the
// full-screen modes the game can use with a depth format for each, and the capability flags behind
// the dialog's options), and the rules that decide what goes into it. The rules take the
// adapter's answers as plain values and callbacks, so any adapter can be fed to them.
#pragma once

#include <d3d8.h>

// Room for kept modes per adapter. When an adapter offers more distinct modes (width, height,
// format), the first ModeTableSize are kept and later new ones are dropped; a later report of a
// kept mode at a higher refresh rate still upgrades it.
enum
{
    ModeTableSize = 100
};

struct AdapterInfo
{
    char Description[512];                    // zero-terminated; shown in the adapter list
    UINT ModeCount;                           // number of kept modes
    D3DDISPLAYMODE Modes[ModeTableSize];      // kept modes, in the order first kept
    D3DDISPLAYMODE DepthModes[ModeTableSize]; // only Format: the depth format of Modes[i]
    D3DCAPS8 Caps;                            // HAL device capabilities
    bool HardwareVertexProcessing;            // offer "Hardware Vertex Processing"
    bool Anisotropic;                         // offer "Anisotropic Filtering"
    bool Linear;                              // offer "Linear Filtering"
    bool MipMapping;                          // offer "Mip-Mapping"
    bool WBuffering;                          // offer "W-Buffering"
    bool Lighting;                            // written to d3d.ini line 12
    bool SrcBlendSrcColor;                    // line 13
    bool DestBlendDestColor;                  // line 14
    bool DestBlendSrcColor;                   // line 15
    DWORD MaxTextureWidth;                    // line 16
    DWORD MaxTextureHeight;                   // line 17
};

// Lives for the whole run: filled once by the enumeration, read by the dialog.
extern D3DDISPLAYMODE DesktopMode; // the default adapter's current mode
extern UINT AdapterCount;
extern AdapterInfo* AdapterTable; // AdapterCount cleared entries, indexed by adapter ordinal
extern UINT DesktopModeIndex; // kept-mode index equal to DesktopMode (last adapter wins), else 0

// Allocates AdapterTable with `count` cleared entries (any earlier table is freed). Returns null,
// or a text when the memory is not there.
const char* AllocateAdapterTable(UINT count);
// Frees AdapterTable and sets the count to 0. Safe when nothing is allocated.
void FreeAdapterTable();

// Sets the entry's flags and texture limits from entry->Caps. Cannot fail. Flags start false and
// are only ever set here.
void SetAdapterFlags(AdapterInfo* entry);

// Answers "does this depth/stencil format work with this display format", the way the adapter's
// CheckDeviceFormat and CheckDepthStencilMatch answer it together.
typedef bool (*DepthFormatCheck)(void* context, D3DFORMAT modeFormat, D3DFORMAT depthFormat);

// The depth formats tried for every mode, weakest first; the last one that passes wins.
extern const D3DFORMAT DepthFormatCandidates[7];

// Picks the depth format for a mode of `modeFormat`: the last candidate that `check` accepts.
// Returns D3DFMT_UNKNOWN (0) when none passes.
D3DFORMAT PickDepthFormat(D3DFORMAT modeFormat, DepthFormatCheck check, void* context);

// True for the six display formats the mode list can show (16- and 32-bit RGB).
bool IsListedModeFormat(D3DFORMAT format);

// What one adapter answers during mode enumeration.
struct ModeSource
{
    void* Context;
    // Fills the mode of `index` and returns D3D_OK; D3DERR_INVALIDCALL after the last one
    // (EnumAdapterModes). Any failure ends the list.
    HRESULT (*EnumMode)(void* context, UINT index, D3DDISPLAYMODE* mode);
    // Whether the format works full screen as display and back buffer (CheckDeviceType).
    bool (*FormatWorks)(void* context, D3DFORMAT format);
    // As for PickDepthFormat.
    DepthFormatCheck DepthWorks;
};

// Fills entry->Modes, DepthModes and ModeCount from the modes `source` delivers: one entry per
// width, height and format of at least 640 x 480 whose format is listed and works with some depth
// format, holding the highest refresh rate seen, in order of first appearance. When a kept mode
// equals `desktop` (all four members) its index goes to *desktopIndex. Cannot fail.
void CollectModes(AdapterInfo* entry, const ModeSource& source, const D3DDISPLAYMODE& desktop,
                  UINT* desktopIndex);
