// The settings dialog on screen, one view per backend, each showing a SettingsDialog and
// reporting the user's actions to it: on the desktop a Qt 6 Widgets window laid out like the
// "MyDB" template (settings_dialog_sdl.cpp, the only setup file that includes Qt), in the browser
// the template's controls as page elements (settings_dialog_web.cpp), on Windows the template
// itself run by DialogBoxParamA (settings_dialog_win32.cpp).
#pragma once

#include "setup/settings_dialog.h"

// The window's caption, which the user and the tests find it by.
extern const char* const SettingsDialogCaption;

// Sends WM_INITDIALOG to `dialog`, shows the window and runs its event loop until Save or Cancel
// ends it (a window manager closing the window counts as Cancel). The Qt view makes its own
// QApplication when none exists; the Windows view runs the template over SetupWindow. Returns the
// end code: DialogSaved (1) or DialogCancelled (0, also when the dialog could not be created).
int RunSettingsDialog(SettingsDialog* dialog);
