// The settings dialog on screen: a Qt 6 Widgets window laid out like the "MyDB" template that
// shows a SettingsDialog and reports the user's actions to it. It stands where the platform's
// DialogBoxParamA would run the dialog template; no other setup file includes Qt.
#pragma once

#include "setup/settings_dialog.h"

// The window's caption, which the user and the tests find it by.
extern const char* const SettingsDialogCaption;

// Sends WM_INITDIALOG to `dialog`, shows the window and runs its event loop until Save or Cancel
// ends it (a window manager closing the window counts as Cancel). Called by RunSetup. Makes its
// own QApplication when none exists. Returns the end code: DialogSaved (1) or DialogCancelled (0).
int RunSettingsDialog(SettingsDialog* dialog);
