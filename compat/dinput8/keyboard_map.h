// Which DirectInput key code (the byte index in the keyboard state) each SDL scancode stands
// for. Internal to compat_dinput8; its tests read it too.
#pragma once

#include "windows.h"

// Called by the keyboard read for every key that is down: the DIK code of an SDL scancode, or 0
// when the key has no DirectInput code (or the scancode is out of range).
BYTE DikFromSdlScancode(int scancode);
