// The settings dialog's rules: its defaults, what an adapter switch does to the mode list and the
// options, what the user's clicks change, and what Save writes to d3d.ini.
#include "setup/settings_dialog.h"

#include <cstdio>

#include "common/settings/display_settings.h"

// What an empty machine looks like to the dialog: no modes and no options. RunSetup never opens
// the dialog without adapters; this keeps the rules total anyway.
static const AdapterInfo NoAdapter = {};

static const AdapterInfo& AdapterAt(UINT adapter)
{
    return adapter < AdapterCount ? AdapterTable[adapter] : NoAdapter;
}

static bool IsCheckBox(int id)
{
    return id == IDC_HWVP || id == IDC_MIPMAP || id == IDC_WBUFFER;
}

static bool IsFilterRadio(int id)
{
    return id >= IDC_POINT && id <= IDC_ANISOTROPIC;
}

static bool IsSnowRadio(int id)
{
    return id >= IDC_SNOW_NONE && id <= IDC_SNOW_HEAVY;
}

static bool IsButton(int id)
{
    return id == IDC_SAVE || id == IDC_CANCEL || IsCheckBox(id) || IsFilterRadio(id) ||
           IsSnowRadio(id);
}

bool FormatModeLine(const D3DDISPLAYMODE& mode, char* text, size_t size)
{
    int bits;
    switch (mode.Format)
    {
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
        bits = 16;
        break;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        bits = 32;
        break;
    default:
        if (size > 0)
            text[0] = '\0';
        return false;
    }
    snprintf(text, size, "%d x %d - %d bit", static_cast<int>(mode.Width),
             static_cast<int>(mode.Height), bits);
    return true;
}

UINT SettingsDialog::ModeLineCount() const
{
    return AdapterAt(CurrentAdapter).ModeCount;
}

void SettingsDialog::ModeLine(UINT line, char* text, size_t size) const
{
    const AdapterInfo& adapter = AdapterAt(CurrentAdapter);
    if (line >= adapter.ModeCount)
    {
        if (size > 0)
            text[0] = '\0';
        return;
    }
    FormatModeLine(adapter.Modes[line], text, size);
}

void SettingsDialog::CheckRadio(int id)
{
    int first = IsFilterRadio(id) ? IDC_POINT : IDC_SNOW_NONE;
    int last = IsFilterRadio(id) ? IDC_ANISOTROPIC : IDC_SNOW_HEAVY;
    for (int other = first; other <= last; ++other)
        Button(other).Checked = other == id;
}

void SettingsDialog::UpdateSaveButton()
{
    // Without a selected mode there is nothing sound to write, so Save waits for one.
    Button(IDC_SAVE).Enabled =
        ModeSelection >= 0 && static_cast<UINT>(ModeSelection) < ModeLineCount();
}

// The mode list after it is filled: the desktop mode's line. The index is one value for all
// adapters, so on another adapter it may lie past the end of the list; the first line stands in
// then, so a filled list always has a selection.
static int DesktopLine(UINT modeCount)
{
    if (modeCount == 0)
        return -1;
    return DesktopModeIndex < modeCount ? static_cast<int>(DesktopModeIndex) : 0;
}

void SettingsDialog::InitDialog()
{
    for (DialogButton& button : Buttons)
        button = DialogButton{true, false};
    if (!SettingsPath)
        SettingsPath = SettingsFileName;
    Ended = false;
    EndCode = DialogCancelled;
    Message = nullptr;

    AdapterSelection = AdapterCount > 0 ? 0 : -1;
    CurrentAdapter = 0;
    const AdapterInfo& adapter = AdapterAt(0);
    ModeSelection = DesktopLine(adapter.ModeCount);

    if (adapter.HardwareVertexProcessing)
        Button(IDC_HWVP).Checked = true;
    else
        Button(IDC_HWVP).Enabled = false;
    if (!adapter.Anisotropic)
        Button(IDC_ANISOTROPIC).Enabled = false;
    if (adapter.Linear)
    {
        CheckRadio(IDC_LINEAR);
    }
    else
    {
        Button(IDC_LINEAR).Enabled = false;
        CheckRadio(IDC_POINT);
    }
    if (adapter.MipMapping)
        Button(IDC_MIPMAP).Checked = true;
    else
        Button(IDC_MIPMAP).Enabled = false;
    if (adapter.WBuffering)
        Button(IDC_WBUFFER).Checked = true;
    else
        Button(IDC_WBUFFER).Enabled = false;

    CheckRadio(IDC_SNOW_MODERATE);
    UpdateSaveButton();
}

// An option box after an adapter switch: a supported option comes back switched on; one the new
// adapter lacks is greyed out and switched off, so what the dialog shows is what Save writes and a
// box the adapter cannot honour never reaches d3d.ini as "on".
static void OfferOption(DialogButton* box, bool supported)
{
    box->Enabled = supported;
    box->Checked = supported;
}

void SettingsDialog::SwitchAdapter(UINT adapter)
{
    CurrentAdapter = adapter;
    const AdapterInfo& info = AdapterAt(adapter);
    ModeSelection = DesktopLine(info.ModeCount);

    OfferOption(&Button(IDC_HWVP), info.HardwareVertexProcessing);
    Button(IDC_ANISOTROPIC).Enabled = info.Anisotropic;
    if (info.Linear)
    {
        Button(IDC_LINEAR).Enabled = true;
        CheckRadio(IDC_LINEAR);
    }
    else
    {
        Button(IDC_LINEAR).Enabled = false;
        CheckRadio(IDC_POINT);
    }
    OfferOption(&Button(IDC_MIPMAP), info.MipMapping);
    OfferOption(&Button(IDC_WBUFFER), info.WBuffering);
    UpdateSaveButton();
}

BOOL SettingsDialog::Proc(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
    {
        InitDialog();
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_SAVE)
    {
        // A save that failed must not look like one that worked: the dialog stays open with the
        // reason, and the user can try again or cancel. The writer leaves any earlier file whole.
        if (const char* text = SaveSettings())
        {
            Message = text;
            return TRUE;
        }
        Ended = true;
        EndCode = DialogSaved;
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_CANCEL)
    {
        Ended = true;
        EndCode = DialogCancelled;
        return TRUE;
    }

    // Every other message, Enter and Escape among them, only follows the adapter list: a new
    // selection there switches the adapter. Nothing else ends the dialog.
    if (AdapterSelection < 0 || static_cast<UINT>(AdapterSelection) == CurrentAdapter)
        return FALSE;
    SwitchAdapter(static_cast<UINT>(AdapterSelection));
    return FALSE;
}

BOOL SettingsDialogProc(SettingsDialog* dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return dialog->Proc(message, wParam, lParam);
}

void SettingsDialog::Click(int id)
{
    if (!IsButton(id) || !Button(id).Enabled || Ended)
        return;
    if (IsCheckBox(id))
        Button(id).Checked = !Button(id).Checked;
    else if (IsFilterRadio(id) || IsSnowRadio(id))
        CheckRadio(id);
    Proc(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void SettingsDialog::SelectLine(int listId, int line)
{
    if (Ended)
        return;
    if (listId == IDC_ADAPTER_LIST)
    {
        if (line < 0 || static_cast<UINT>(line) >= AdapterCount)
            return;
        AdapterSelection = line;
    }
    else if (listId == IDC_MODE_LIST)
    {
        if (line < 0 || static_cast<UINT>(line) >= ModeLineCount())
            return;
        ModeSelection = line;
        UpdateSaveButton();
    }
    else
    {
        return;
    }
    Proc(WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), 0);
}

void SettingsDialog::PressKey(int virtualKey)
{
    if (Ended)
        return;
    // A dialog turns Enter and Escape into the standard OK and Cancel commands; this dialog has
    // neither button, so both reach Proc as commands it does not act on.
    if (virtualKey == VK_RETURN)
        Proc(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    else if (virtualKey == VK_ESCAPE)
        Proc(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

static int SnowLayersChecked(const SettingsDialog& dialog)
{
    if (dialog.IsChecked(IDC_SNOW_LIGHT))
        return SnowLayersLight;
    if (dialog.IsChecked(IDC_SNOW_MODERATE))
        return SnowLayersModerate;
    if (dialog.IsChecked(IDC_SNOW_HEAVY))
        return SnowLayersHeavy;
    return SnowLayersNone;
}

static int FilterChecked(const SettingsDialog& dialog)
{
    if (dialog.IsChecked(IDC_ANISOTROPIC))
        return FilterAnisotropic;
    if (dialog.IsChecked(IDC_LINEAR))
        return FilterLinear;
    return FilterPoint;
}

const char* SettingsDialog::SaveSettings()
{
    const AdapterInfo& adapter = AdapterAt(CurrentAdapter);
    if (ModeSelection < 0 || static_cast<UINT>(ModeSelection) >= adapter.ModeCount)
        return "No screen resolution is selected.";
    const D3DDISPLAYMODE& mode = adapter.Modes[ModeSelection];

    SettingsFileValues values;
    // The adapter whose mode and capabilities are written; every selection change in the adapter
    // list has already made it the current one.
    values.Adapter = static_cast<long>(CurrentAdapter);
    values.Width = mode.Width;
    values.Height = mode.Height;
    values.RefreshRate = mode.RefreshRate;
    values.Format = mode.Format;
    values.DepthStencilFormat = adapter.DepthModes[ModeSelection].Format;
    values.FilterMethod = FilterChecked(*this);
    values.HardwareVertexProcessing = IsChecked(IDC_HWVP) ? 1 : 0;
    values.MipMapping = IsChecked(IDC_MIPMAP) ? 1 : 0;
    values.WBuffering = IsChecked(IDC_WBUFFER) ? 1 : 0;
    values.SnowLayerCount = SnowLayersChecked(*this);
    values.Lighting = adapter.Lighting ? 1 : 0;
    values.SrcBlendSrcColor = adapter.SrcBlendSrcColor ? 1 : 0;
    values.DestBlendDestColor = adapter.DestBlendDestColor ? 1 : 0;
    values.DestBlendSrcColor = adapter.DestBlendSrcColor ? 1 : 0;
    values.MaxTextureWidth = adapter.MaxTextureWidth;
    values.MaxTextureHeight = adapter.MaxTextureHeight;
    return WriteSettingsFile(SettingsPath, values);
}
