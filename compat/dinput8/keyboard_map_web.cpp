// The table from the page's key names (KeyboardEvent.code, the physical key) to DirectInput key
// codes (the PC keyboard's set 1 scan codes, extended keys with the high bit set). Every key of
// the PC keyboard that has a DIK code is listed. Built into the page's library (compat/web), whose
// keyboard handler reads it; kept here beside the desktop's table.
#include "keyboard_map.h"

#include <cstring>

#include "dinput.h"

namespace
{
struct KeyCode
{
    const char* Code; // KeyboardEvent.code
    BYTE Dik;
};

// Every key of the PC keyboard that has a DIK code, by the name the page gives the physical key.
const KeyCode kKeyCodes[] = {
    {"KeyA", DIK_A},
    {"KeyB", DIK_B},
    {"KeyC", DIK_C},
    {"KeyD", DIK_D},
    {"KeyE", DIK_E},
    {"KeyF", DIK_F},
    {"KeyG", DIK_G},
    {"KeyH", DIK_H},
    {"KeyI", DIK_I},
    {"KeyJ", DIK_J},
    {"KeyK", DIK_K},
    {"KeyL", DIK_L},
    {"KeyM", DIK_M},
    {"KeyN", DIK_N},
    {"KeyO", DIK_O},
    {"KeyP", DIK_P},
    {"KeyQ", DIK_Q},
    {"KeyR", DIK_R},
    {"KeyS", DIK_S},
    {"KeyT", DIK_T},
    {"KeyU", DIK_U},
    {"KeyV", DIK_V},
    {"KeyW", DIK_W},
    {"KeyX", DIK_X},
    {"KeyY", DIK_Y},
    {"KeyZ", DIK_Z},
    {"Digit0", DIK_0},
    {"Digit1", DIK_1},
    {"Digit2", DIK_2},
    {"Digit3", DIK_3},
    {"Digit4", DIK_4},
    {"Digit5", DIK_5},
    {"Digit6", DIK_6},
    {"Digit7", DIK_7},
    {"Digit8", DIK_8},
    {"Digit9", DIK_9},
    {"F1", DIK_F1},
    {"F2", DIK_F2},
    {"F3", DIK_F3},
    {"F4", DIK_F4},
    {"F5", DIK_F5},
    {"F6", DIK_F6},
    {"F7", DIK_F7},
    {"F8", DIK_F8},
    {"F9", DIK_F9},
    {"F10", DIK_F10},
    {"F11", DIK_F11},
    {"F12", DIK_F12},
    {"F13", DIK_F13},
    {"F14", DIK_F14},
    {"F15", DIK_F15},
    {"Numpad0", DIK_NUMPAD0},
    {"Numpad1", DIK_NUMPAD1},
    {"Numpad2", DIK_NUMPAD2},
    {"Numpad3", DIK_NUMPAD3},
    {"Numpad4", DIK_NUMPAD4},
    {"Numpad5", DIK_NUMPAD5},
    {"Numpad6", DIK_NUMPAD6},
    {"Numpad7", DIK_NUMPAD7},
    {"Numpad8", DIK_NUMPAD8},
    {"Numpad9", DIK_NUMPAD9},
    {"Escape", DIK_ESCAPE},
    {"Minus", DIK_MINUS},
    {"Equal", DIK_EQUALS},
    {"Backspace", DIK_BACK},
    {"Tab", DIK_TAB},
    {"BracketLeft", DIK_LBRACKET},
    {"BracketRight", DIK_RBRACKET},
    {"Enter", DIK_RETURN},
    {"ControlLeft", DIK_LCONTROL},
    {"Semicolon", DIK_SEMICOLON},
    {"Quote", DIK_APOSTROPHE},
    {"Backquote", DIK_GRAVE},
    {"ShiftLeft", DIK_LSHIFT},
    {"Backslash", DIK_BACKSLASH},
    {"Comma", DIK_COMMA},
    {"Period", DIK_PERIOD},
    {"Slash", DIK_SLASH},
    {"ShiftRight", DIK_RSHIFT},
    {"NumpadMultiply", DIK_MULTIPLY},
    {"AltLeft", DIK_LMENU},
    {"Space", DIK_SPACE},
    {"CapsLock", DIK_CAPITAL},
    {"NumLock", DIK_NUMLOCK},
    {"ScrollLock", DIK_SCROLL},
    {"NumpadSubtract", DIK_SUBTRACT},
    {"NumpadAdd", DIK_ADD},
    {"NumpadDecimal", DIK_DECIMAL},
    {"IntlBackslash", DIK_OEM_102},
    {"NumpadEqual", DIK_NUMPADEQUALS},
    {"NumpadEnter", DIK_NUMPADENTER},
    {"ControlRight", DIK_RCONTROL},
    {"NumpadDivide", DIK_DIVIDE},
    {"PrintScreen", DIK_SYSRQ},
    {"AltRight", DIK_RMENU},
    {"Pause", DIK_PAUSE},
    {"Home", DIK_HOME},
    {"ArrowUp", DIK_UP},
    {"PageUp", DIK_PRIOR},
    {"ArrowLeft", DIK_LEFT},
    {"ArrowRight", DIK_RIGHT},
    {"End", DIK_END},
    {"ArrowDown", DIK_DOWN},
    {"PageDown", DIK_NEXT},
    {"Insert", DIK_INSERT},
    {"Delete", DIK_DELETE},
    {"MetaLeft", DIK_LWIN},
    {"MetaRight", DIK_RWIN},
    {"ContextMenu", DIK_APPS},
    {"IntlYen", DIK_YEN},
    {"IntlRo", DIK_ABNT_C1},
    {"KanaMode", DIK_KANA},
    {"Convert", DIK_CONVERT},
    {"NonConvert", DIK_NOCONVERT},
    {"NumpadComma", DIK_NUMPADCOMMA},
    {"AudioVolumeMute", DIK_MUTE},
    {"AudioVolumeDown", DIK_VOLUMEDOWN},
    {"AudioVolumeUp", DIK_VOLUMEUP},
    {"MediaPlayPause", DIK_PLAYPAUSE},
    {"MediaStop", DIK_MEDIASTOP},
    {"MediaTrackNext", DIK_NEXTTRACK},
    {"MediaTrackPrevious", DIK_PREVTRACK},
};
} // namespace

BYTE DikFromKeyCode(const char* code)
{
    for (const KeyCode& key : kKeyCodes)
        if (std::strcmp(key.Code, code) == 0)
            return key.Dik;
    return 0;
}
