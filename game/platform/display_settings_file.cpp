// The game's copy of d3d.ini, read once at start-up from the working directory.
#include "game/platform/display_settings_file.h"

// Zero at program start, filled once by ReadDisplaySettings, then only read (whole run); the
// start-up chain bounds SnowLayerCount to the layers it could allocate.
DisplaySettingsRecord DisplaySettings;

const char* ReadDisplaySettings()
{
    return ReadSettingsFile(SettingsFileName, &DisplaySettings);
}
