// The settings dialog "MyDB" as plain state: which line of each list is selected, which buttons
// are enabled and checked, the adapter whose modes and options are shown, and how the dialog ended.
// Its dialog procedure holds every rule (defaults, adapter switching, saving); a view
// (settings_dialog_view.h) presents this state and reports the user's actions to it.
#pragma once

#include <cstddef>

#include <windows.h>

#include "setup/adapter_table.h"
#include "setup/settings_dialog_ids.h"

// One button's state. Save and Cancel use only Enabled.
struct DialogButton
{
    bool Enabled;
    bool Checked;
};

// The dialog's end codes, as RunSetup reads them.
enum
{
    DialogCancelled = 0,
    DialogSaved = 1
};

// One run of the dialog, from WM_INITDIALOG to its end. Zero-initialise it, then send
// WM_INITDIALOG through Proc. It reads the adapter table globals (adapter_table.h).
struct SettingsDialog
{
    // The controls: list selections (-1 for none) and the buttons, indexed by id - IDC_SAVE.
    int AdapterSelection;
    int ModeSelection;
    DialogButton Buttons[IDC_SNOW_HEAVY - IDC_SAVE + 1];
    // The adapter whose modes the mode list shows and whose flags govern the options.
    UINT CurrentAdapter;
    // Set when the dialog has been told to end, with its end code.
    bool Ended;
    int EndCode;
    // A message the view must show the user now (why a save failed), or null; the view clears it.
    const char* Message;
    // Where Save writes; WM_INITDIALOG sets d3d.ini in the working directory unless one is set.
    const char* SettingsPath;

    // The dialog procedure: TRUE for WM_INITDIALOG and the Save and Cancel commands, FALSE for
    // everything else. Every message other than those may switch the adapter (see .cpp).
    BOOL Proc(UINT message, WPARAM wParam, LPARAM lParam);

    // The user's actions, as the view reports them; each ends in a message to Proc, as the
    // platform's own controls would send it. A click on a disabled control does nothing.
    void Click(int id);                    // push button, check box or radio button
    void SelectLine(int listId, int line); // a line outside the list selects nothing new
    void PressKey(int virtualKey);         // VK_RETURN, VK_ESCAPE

    bool IsChecked(int id) const { return Buttons[id - IDC_SAVE].Checked; }
    bool IsEnabled(int id) const { return Buttons[id - IDC_SAVE].Enabled; }

    // The lines of the mode list for CurrentAdapter; ModeLine writes line `line`'s text.
    UINT ModeLineCount() const;
    void ModeLine(UINT line, char* text, size_t size) const;

    // Writes the seventeen values to SettingsPath. Returns null, or a text saying why nothing was
    // saved (no mode selected, or the writer's own text).
    const char* SaveSettings();

    // Internal steps of Proc.
    void InitDialog();
    void SwitchAdapter(UINT adapter);
    DialogButton& Button(int id) { return Buttons[id - IDC_SAVE]; }
    void CheckRadio(int id);
    void UpdateSaveButton();
};

// The dialog procedure in the platform's shape, for callers that hold only the record.
BOOL SettingsDialogProc(SettingsDialog* dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Writes the mode list's text for `mode` ("%d x %d - 16 bit" / "%d x %d - 32 bit"). Returns false,
// writing an empty text, for a format the list cannot name.
bool FormatModeLine(const D3DDISPLAYMODE& mode, char* text, size_t size);
