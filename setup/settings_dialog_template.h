// The frame of the settings dialog template "MyDB", for both of its forms: the resource script of
// the Windows build (settings_dialog.rc) and the Qt view (settings_dialog_sdl.cpp). Its controls
// are the rows of settings_dialog_controls.def. Plain macros only: the resource compiler reads
// this file too.
#pragma once

#include "setup/settings_dialog_ids.h"

#define SETTINGS_DIALOG_CAPTION "3D Zendrill Setup"

// Position (the Windows build's, relative to the owner window) and size, in dialog units.
#define SETTINGS_DIALOG_X      18
#define SETTINGS_DIALOG_Y      18
#define SETTINGS_DIALOG_WIDTH  305
#define SETTINGS_DIALOG_HEIGHT 322
