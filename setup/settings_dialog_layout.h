// The settings dialog's controls as both views lay them out (the Qt window on the desktop, the
// page's elements in a browser): the template's table (settings_dialog_controls.def), each
// control with its kind, text, id, place and the size the views give it, in dialog units.
#pragma once

// Dialog units of the template to pixels. The template was drawn for a small 8-point font; twice
// its units leaves room for the larger fonts of today's desktops.
const int ViewScale = 2;

enum ViewControlKind
{
    KindPushButton,
    KindListBox,
    KindStaticText,
    KindGroupBox,
    KindRadioButton,
    KindCheckBox
};

// A control of the template as the views show it: at the template's place, in its own size.
struct ViewControl
{
    ViewControlKind Kind;
    const char* Text;
    int Id;
    int X, Y, Width, Height; // dialog units
};

inline const ViewControl ViewControls[] = {
#define SETTINGS_CONTROL(kind, text, id, style, x, y, width, height, viewWidth, viewHeight)        \
    {Kind##kind, text, id, x, y, viewWidth, viewHeight},
#include "setup/settings_dialog_controls.def"
#undef SETTINGS_CONTROL
};
