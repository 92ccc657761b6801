// Which DirectInput key code (the byte index in the keyboard state) each key of a backend stands
// for: SDL scancodes on the desktop (keyboard_map_sdl.cpp), the page's KeyboardEvent.code names in
// a browser (keyboard_map_web.cpp). Internal to the stand-in; its tests read it too. Each backend
// builds only its own table.
#pragma once

#include "windows.h"

// The desktop's keyboard read calls it for every key that is down: the DIK code of an SDL
// scancode, or 0 when the key has no DirectInput code (or the scancode is out of range).
BYTE DikFromSdlScancode(int scancode);

// The page's keyboard handler calls it for every key event: the DIK code of a KeyboardEvent.code
// name, or 0 when the key has no DirectInput code.
BYTE DikFromKeyCode(const char* code);
