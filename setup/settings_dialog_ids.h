// Control ids of the settings dialog template "MyDB", in the template's numbering. Plain macros
// only: the resource script (settings_dialog.rc) includes this file too.
#pragma once

#define IDC_SAVE          100
#define IDC_CANCEL        101
#define IDC_ADAPTER_LIST  102
#define IDC_MODE_LIST     103
#define IDC_HWVP          104
#define IDC_MIPMAP        105
#define IDC_WBUFFER       106
#define IDC_POINT         108
#define IDC_LINEAR        109
#define IDC_ANISOTROPIC   110
#define IDC_SNOW_NONE     111
#define IDC_SNOW_LIGHT    112
#define IDC_SNOW_MODERATE 113
#define IDC_SNOW_HEAVY    114
