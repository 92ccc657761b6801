// The adapter table and the rules that fill it: which modes are kept, which depth format each gets,
// which options an adapter's capabilities allow.
#include "setup/adapter_table.h"

#include <cstdlib>

// Lives for the whole run: filled once by the enumeration, read by the dialog.
D3DDISPLAYMODE DesktopMode;
UINT AdapterCount;
AdapterInfo* AdapterTable;
UINT DesktopModeIndex;

const char* AllocateAdapterTable(UINT count)
{
    FreeAdapterTable();
    // calloc gives the cleared entries the flags rely on: every option starts switched off.
    AdapterTable = static_cast<AdapterInfo*>(calloc(count, sizeof(AdapterInfo)));
    if (!AdapterTable)
        return "Not enough memory for the adapter table.";
    AdapterCount = count;
    return nullptr;
}

void FreeAdapterTable()
{
    free(AdapterTable);
    AdapterTable = nullptr;
    AdapterCount = 0;
}

void SetAdapterFlags(AdapterInfo* entry)
{
    const D3DCAPS8& caps = entry->Caps;
    if (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC)
        entry->Anisotropic = true;
    if (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFLINEAR)
        entry->Linear = true;
    if (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP)
        entry->MipMapping = true;
    if (caps.RasterCaps & D3DPRASTERCAPS_WBUFFER)
        entry->WBuffering = true;
    if (caps.MaxActiveLights > 0)
        entry->Lighting = true;
    // An adapter that reports no hardware light is taken to have no hardware transform and
    // lighting either, so the option is offered exactly when lighting is.
    entry->HardwareVertexProcessing = entry->Lighting;
    entry->MaxTextureWidth = caps.MaxTextureWidth;
    entry->MaxTextureHeight = caps.MaxTextureHeight;
    if (caps.SrcBlendCaps & D3DPBLENDCAPS_SRCCOLOR)
        entry->SrcBlendSrcColor = true;
    if (caps.DestBlendCaps & D3DPBLENDCAPS_DESTCOLOR)
        entry->DestBlendDestColor = true;
    if (caps.DestBlendCaps & D3DPBLENDCAPS_SRCCOLOR)
        entry->DestBlendSrcColor = true;
}

const D3DFORMAT DepthFormatCandidates[7] = {D3DFMT_D15S1, D3DFMT_D16_LOCKABLE, D3DFMT_D16,
                                            D3DFMT_D24S8, D3DFMT_D24X4S4,      D3DFMT_D24X8,
                                            D3DFMT_D32};

D3DFORMAT PickDepthFormat(D3DFORMAT modeFormat, DepthFormatCheck check, void* context)
{
    D3DFORMAT depth = D3DFMT_UNKNOWN;
    for (D3DFORMAT candidate : DepthFormatCandidates)
        if (check(context, modeFormat, candidate))
            depth = candidate;
    return depth;
}

bool IsListedModeFormat(D3DFORMAT format)
{
    return format >= D3DFMT_A8R8G8B8 && format <= D3DFMT_A4R4G4B4;
}

static bool SameMode(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b)
{
    return a.Width == b.Width && a.Height == b.Height && a.RefreshRate == b.RefreshRate &&
           a.Format == b.Format;
}

void CollectModes(AdapterInfo* entry, const ModeSource& source, const D3DDISPLAYMODE& desktop,
                  UINT* desktopIndex)
{
    UINT kept = 0;
    D3DDISPLAYMODE mode;
    // The adapter ends its list with D3DERR_INVALIDCALL; any other failure delivers no mode
    // either, so it ends the list too rather than feeding an unfilled record to the rules.
    for (UINT index = 0; source.EnumMode(source.Context, index, &mode) == D3D_OK; ++index)
    {
        if (mode.Width < 640 || mode.Height < 480)
            continue;
        // A format the mode list cannot name is skipped here, so every kept mode has a line and
        // a line's position in the list is always its mode's index.
        if (!IsListedModeFormat(mode.Format))
            continue;
        if (!source.FormatWorks(source.Context, mode.Format))
            continue;
        D3DFORMAT depth = PickDepthFormat(mode.Format, source.DepthWorks, source.Context);
        if (depth == D3DFMT_UNKNOWN)
            continue;

        bool matched = false;
        for (UINT j = 0; j < kept; ++j)
        {
            D3DDISPLAYMODE& keptMode = entry->Modes[j];
            if (keptMode.Width != mode.Width || keptMode.Height != mode.Height ||
                keptMode.Format != mode.Format)
                continue;
            matched = true;
            if (mode.RefreshRate > keptMode.RefreshRate)
            {
                keptMode = mode;
                entry->DepthModes[j].Format = depth;
                if (SameMode(mode, desktop))
                    *desktopIndex = j;
            }
        }
        // A full table drops new modes; upgrades of kept ones went through above.
        if (matched || kept == ModeTableSize)
            continue;
        entry->Modes[kept] = mode;
        entry->DepthModes[kept].Format = depth;
        if (SameMode(mode, desktop))
            *desktopIndex = kept;
        ++kept;
    }
    entry->ModeCount = kept;
}
