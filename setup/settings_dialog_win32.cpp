// The settings dialog on Windows: the "MyDB" template (settings_dialog.rc) run by
// DialogBoxParamA. Its dialog procedure owns no rule: it reads the controls into the
// SettingsDialog record as the record's SaveSettings reads them (LB_GETCURSEL,
// IsDlgButtonChecked), hands the real message to the record's procedure, and sets the controls
// from the record's state afterwards.
#include "setup/settings_dialog_view.h"

#include <cstdio>

#include "setup/settings_dialog_template.h"
#include "setup/setup_app.h"

const char* const SettingsDialogCaption = SETTINGS_DIALOG_CAPTION;

namespace
{

// The buttons that carry a check mark: the three options and the two radio groups.
const int CheckableIds[] = {IDC_HWVP,          IDC_MIPMAP,      IDC_WBUFFER,   IDC_POINT,
                            IDC_LINEAR,        IDC_ANISOTROPIC, IDC_SNOW_NONE, IDC_SNOW_LIGHT,
                            IDC_SNOW_MODERATE, IDC_SNOW_HEAVY};
// Every button, Save and Cancel with them: the ones whose enabled state the record governs.
const int ButtonIds[] = {IDC_SAVE,      IDC_CANCEL,     IDC_HWVP,          IDC_MIPMAP,
                         IDC_WBUFFER,   IDC_POINT,      IDC_LINEAR,        IDC_ANISOTROPIC,
                         IDC_SNOW_NONE, IDC_SNOW_LIGHT, IDC_SNOW_MODERATE, IDC_SNOW_HEAVY};

// One run of the dialog; lives from DialogBoxParamA's call to its return.
struct Win32DialogView
{
    SettingsDialog* Logic;
    UINT ShownAdapter;   // whose modes the mode list holds
    bool ModeListFilled; // false until the first fill
    bool Busy;           // inside the procedure: messages the controls send meanwhile are not
                         // taken as the user's
};

Win32DialogView View;

int ListSelection(HWND dialog, int listId)
{
    LRESULT line = SendDlgItemMessageA(dialog, listId, LB_GETCURSEL, 0, 0);
    return line == LB_ERR ? -1 : static_cast<int>(line);
}

// The user's side of the state: list selections and check marks, as the controls hold them.
void ReadControls(HWND dialog, SettingsDialog* logic)
{
    logic->AdapterSelection = ListSelection(dialog, IDC_ADAPTER_LIST);
    logic->ModeSelection = ListSelection(dialog, IDC_MODE_LIST);
    for (int id : CheckableIds)
        logic->Button(id).Checked = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    logic->UpdateSaveButton();
}

void FillModeList(HWND dialog, const SettingsDialog* logic)
{
    SendDlgItemMessageA(dialog, IDC_MODE_LIST, LB_RESETCONTENT, 0, 0);
    char text[64];
    for (UINT line = 0; line < logic->ModeLineCount(); ++line)
    {
        logic->ModeLine(line, text, sizeof text);
        SendDlgItemMessageA(dialog, IDC_MODE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    View.ShownAdapter = logic->CurrentAdapter;
    View.ModeListFilled = true;
}

void SelectLine(HWND dialog, int listId, int line)
{
    if (ListSelection(dialog, listId) != line)
        SendDlgItemMessageA(dialog, listId, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

// Sets every control that differs from the record; the controls that already agree are left
// alone, so the many messages a dialog receives cost no repainting.
void ShowState(HWND dialog, const SettingsDialog* logic)
{
    if (!View.ModeListFilled || View.ShownAdapter != logic->CurrentAdapter)
        FillModeList(dialog, logic);
    SelectLine(dialog, IDC_ADAPTER_LIST, logic->AdapterSelection);
    SelectLine(dialog, IDC_MODE_LIST, logic->ModeSelection);
    for (int id : ButtonIds)
    {
        HWND control = GetDlgItem(dialog, id);
        if ((IsWindowEnabled(control) != FALSE) != logic->IsEnabled(id))
            EnableWindow(control, logic->IsEnabled(id) ? TRUE : FALSE);
    }
    for (int id : CheckableIds)
    {
        bool checked = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
        if (checked != logic->IsChecked(id))
            CheckDlgButton(dialog, id, logic->IsChecked(id) ? BST_CHECKED : BST_UNCHECKED);
    }
}

// A save that failed: the user learns why, and the dialog stays open for another try.
void ShowMessage(HWND dialog, const char* text)
{
    fprintf(stderr, "%s: %s\n", SettingsDialogCaption, text);
    char message[512];
    snprintf(message, sizeof message,
             "The settings could not be saved to d3d.ini:\n%s\n\n"
             "Press Save to try again or Cancel to leave.",
             text);
    MessageBoxA(dialog, message, SettingsDialogCaption, MB_OK | MB_ICONERROR);
}

INT_PTR CALLBACK SettingsDialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    SettingsDialog* logic = View.Logic;
    if (message == WM_INITDIALOG)
    {
        View.Busy = true;
        for (UINT adapter = 0; adapter < AdapterCount; ++adapter)
            SendDlgItemMessageA(dialog, IDC_ADAPTER_LIST, LB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(AdapterTable[adapter].Description));
        BOOL result = logic->Proc(WM_INITDIALOG, wParam, lParam);
        ShowState(dialog, logic);
        View.Busy = false;
        // TRUE: the dialog manager gives the focus to the first tab stop, Save.
        return result;
    }
    // Messages before WM_INITDIALOG (WM_SETFONT), the ones the controls send while the state is
    // being set, and those after the end belong to the dialog manager alone.
    if (!View.ModeListFilled || View.Busy || logic->Ended)
        return FALSE;

    View.Busy = true;
    ReadControls(dialog, logic);
    BOOL result = logic->Proc(message, wParam, lParam);
    ShowState(dialog, logic);
    if (const char* text = logic->Message)
    {
        logic->Message = nullptr;
        ShowMessage(dialog, text);
    }
    if (logic->Ended)
        EndDialog(dialog, logic->EndCode);
    View.Busy = false;
    return result;
}

} // namespace

int RunSettingsDialog(SettingsDialog* dialog)
{
    View = Win32DialogView{dialog, 0, false, false};
    INT_PTR code = DialogBoxParamA(SetupInstance, "MyDB", SetupWindow, SettingsDialogWindowProc,
                                   reinterpret_cast<LPARAM>(dialog));
    View = Win32DialogView{};
    if (code == -1)
    {
        fprintf(stderr, "%s: the dialog could not be created\n", SettingsDialogCaption);
        return DialogCancelled;
    }
    // Only Save counts as saved, whatever else ended the dialog.
    return dialog->Ended && dialog->EndCode == DialogSaved ? DialogSaved : DialogCancelled;
}
