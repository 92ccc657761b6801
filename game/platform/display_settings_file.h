// The game's copy of d3d.ini.
#pragma once

#include "common/settings/display_settings.h"

// Zero at program start, filled once by ReadDisplaySettings, then only read.
extern DisplaySettingsRecord DisplaySettings;

// Reads d3d.ini from the working directory. Called by InitGame. Returns null or
// "Please run 3D Zendrill Config first.".
const char* ReadDisplaySettings();
