// The game's copy of d3d.ini, read once at start-up.
#include "game/platform/display_settings_file.h"

// Whole run: zero at program start, filled by ReadDisplaySettings (see the header).
DisplaySettingsRecord DisplaySettings;

const char* ReadDisplaySettings(const char* path)
{
    return ReadSettingsFile(path, &DisplaySettings);
}
