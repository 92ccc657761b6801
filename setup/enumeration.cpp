// Adapter and mode enumeration: asks the Direct3D object about each adapter and hands the answers
// to the rules of adapter_table.cpp.
#include "setup/enumeration.h"

#include <cstring>

// Lives for the whole run: created by RunSetup, released by WinMain.
IDirect3D8* Direct3D;

const char* EnumerateAdapters()
{
    UINT count = Direct3D->GetAdapterCount();
    if (count == 0)
        return "No suitable Display Adapters found.";
    if (const char* text = AllocateAdapterTable(count))
        return text;

    for (UINT adapter = 0; adapter < count; ++adapter)
    {
        D3DADAPTER_IDENTIFIER8 identifier;
        if (Direct3D->GetAdapterIdentifier(adapter, D3DENUM_NO_WHQL_LEVEL, &identifier) != D3D_OK)
            return "Get Adapter ID Failed.";
        AdapterInfo& entry = AdapterTable[adapter];
        memcpy(entry.Description, identifier.Description, sizeof entry.Description);
        // The list shows it as a C string; an adapter that filled all 512 bytes still ends.
        entry.Description[sizeof entry.Description - 1] = '\0';

        if (ReadAdapterCaps(adapter))
            return "Get Device Caps Enum Function Failed.";
        if (Direct3D->GetAdapterModeCount(adapter) == 0)
            return "No supported Modes";
        EnumerateModes(adapter);
    }
    return nullptr;
}

const char* ReadAdapterCaps(UINT adapter)
{
    AdapterInfo& entry = AdapterTable[adapter];
    if (Direct3D->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &entry.Caps) != D3D_OK)
        return "Get Device Capabilities Failed.";
    SetAdapterFlags(&entry);
    return nullptr;
}

// The adapter being enumerated, as the rules' callbacks see it.
struct AdapterQuery
{
    UINT Adapter;
};

static HRESULT EnumModeOfAdapter(void* context, UINT index, D3DDISPLAYMODE* mode)
{
    return Direct3D->EnumAdapterModes(static_cast<AdapterQuery*>(context)->Adapter, index, mode);
}

static bool FormatWorksOnAdapter(void* context, D3DFORMAT format)
{
    UINT adapter = static_cast<AdapterQuery*>(context)->Adapter;
    return Direct3D->CheckDeviceType(adapter, D3DDEVTYPE_HAL, format, format, FALSE) == D3D_OK;
}

static bool DepthWorksOnAdapter(void* context, D3DFORMAT modeFormat, D3DFORMAT depthFormat)
{
    UINT adapter = static_cast<AdapterQuery*>(context)->Adapter;
    return Direct3D->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, modeFormat, D3DUSAGE_DEPTHSTENCIL,
                                       D3DRTYPE_SURFACE, depthFormat) == D3D_OK &&
           Direct3D->CheckDepthStencilMatch(adapter, D3DDEVTYPE_HAL, modeFormat, modeFormat,
                                            depthFormat) == D3D_OK;
}

void EnumerateModes(UINT adapter)
{
    AdapterQuery query = {adapter};
    ModeSource source = {&query, EnumModeOfAdapter, FormatWorksOnAdapter, DepthWorksOnAdapter};
    CollectModes(&AdapterTable[adapter], source, DesktopMode, &DesktopModeIndex);
}

D3DFORMAT ChooseDepthFormat(UINT adapter, const D3DDISPLAYMODE& mode)
{
    AdapterQuery query = {adapter};
    return PickDepthFormat(mode.Format, DepthWorksOnAdapter, &query);
}
