// The game's copy of d3d.ini.
#pragma once

#include "common/settings/display_settings.h"

// Zero at program start and filled once by ReadDisplaySettings; the start-up chain then bounds
// SnowLayerCount to the snow layers it could allocate. Only read after start-up (whole run).
extern DisplaySettingsRecord DisplaySettings;

// Reads the d3d.ini at `path` (the game's is SettingsFileName, in the working directory). Returns
// null or "Please run 3D Zendrill Config first.".
const char* ReadDisplaySettings(const char* path);
