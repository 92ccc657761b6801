// The DirectInput 8 subset the game polls: the DirectInput object, keyboard, mouse and game
// controller devices, the predefined data formats, the properties a controller's axes take and
// the key codes, with the platform's names and values. The stand-in in compat/dinput8 implements
// them over SDL2 (and over the page's Gamepad API in a browser).
#pragma once

#include "windows.h"

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif

struct IDirectInput8A;
struct IDirectInputDevice8A;
typedef IDirectInput8A* LPDIRECTINPUT8A;
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8A;
typedef IDirectInput8A* LPDIRECTINPUT8;
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8;
typedef IDirectInput8A IDirectInput8;
typedef IDirectInputDevice8A IDirectInputDevice8;

extern const GUID IID_IDirectInput8A;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;
#define IID_IDirectInput8 IID_IDirectInput8A

struct DIOBJECTDATAFORMAT
{
    const GUID* pguid;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
};

struct DIDATAFORMAT
{
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    const DIOBJECTDATAFORMAT* rgodf;
};
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

#define DIDF_ABSAXIS 0x00000001
#define DIDF_RELAXIS 0x00000002

// The predefined formats: 256 key bytes, the 16-byte DIMOUSESTATE with relative axes, and the
// 272-byte DIJOYSTATE2 with absolute axes.
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const DIDATAFORMAT c_dfDIMouse;
extern const DIDATAFORMAT c_dfDIJoystick2;

struct DIMOUSESTATE
{
    LONG lX;
    LONG lY;
    LONG lZ;
    BYTE rgbButtons[4];
};

struct DIJOYSTATE2
{
    LONG lX;
    LONG lY;
    LONG lZ;
    LONG lRx;
    LONG lRy;
    LONG lRz;
    LONG rglSlider[2];
    DWORD rgdwPOV[4];
    BYTE rgbButtons[128];
    LONG lVX;
    LONG lVY;
    LONG lVZ;
    LONG lVRx;
    LONG lVRy;
    LONG lVRz;
    LONG rglVSlider[2];
    LONG lAX;
    LONG lAY;
    LONG lAZ;
    LONG lARx;
    LONG lARy;
    LONG lARz;
    LONG rglASlider[2];
    LONG lFX;
    LONG lFY;
    LONG lFZ;
    LONG lFRx;
    LONG lFRy;
    LONG lFRz;
    LONG rglFSlider[2];
};
typedef DIJOYSTATE2* LPDIJOYSTATE2;

// Device enumeration: the classes, the flags, the callback's answers and what it is given.
#define DI8DEVCLASS_ALL      0
#define DI8DEVCLASS_DEVICE   1
#define DI8DEVCLASS_POINTER  2
#define DI8DEVCLASS_KEYBOARD 3
#define DI8DEVCLASS_GAMECTRL 4

#define DIEDFL_ALLDEVICES   0x00000000
#define DIEDFL_ATTACHEDONLY 0x00000001

#define DIENUM_STOP     0
#define DIENUM_CONTINUE 1

#define DI8DEVTYPE_MOUSE    0x12
#define DI8DEVTYPE_KEYBOARD 0x13
#define DI8DEVTYPE_JOYSTICK 0x14
#define DI8DEVTYPE_GAMEPAD  0x15

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

struct DIDEVICEINSTANCEA
{
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    CHAR tszInstanceName[MAX_PATH];
    CHAR tszProductName[MAX_PATH];
    GUID guidFFDriver;
    WORD wUsagePage;
    WORD wUsage;
};
typedef DIDEVICEINSTANCEA* LPDIDEVICEINSTANCEA;
typedef const DIDEVICEINSTANCEA* LPCDIDEVICEINSTANCEA;
typedef DIDEVICEINSTANCEA DIDEVICEINSTANCE;
typedef LPCDIDEVICEINSTANCEA LPCDIDEVICEINSTANCE;

typedef BOOL(WINAPI* LPDIENUMDEVICESCALLBACKA)(LPCDIDEVICEINSTANCEA, LPVOID);
#define LPDIENUMDEVICESCALLBACK LPDIENUMDEVICESCALLBACKA

// Device properties: a header naming the object (DIPH_DEVICE: every axis), then the value.
struct DIPROPHEADER
{
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};
typedef DIPROPHEADER* LPDIPROPHEADER;
typedef const DIPROPHEADER* LPCDIPROPHEADER;

struct DIPROPDWORD
{
    DIPROPHEADER diph;
    DWORD dwData;
};

struct DIPROPRANGE
{
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
};

#define DIPH_DEVICE   0
#define DIPH_BYOFFSET 1
#define DIPH_BYID     2

// The SDK names a property by a small number standing where a GUID's address would be; a
// reference bound to such an address is undefined behaviour (the sanitizer build stops on it).
// Here each number names a real GUID of a table, which SetProperty tells apart by address.
extern const GUID StandinPropertyNames[8];
#define MAKEDIPROP(prop)  (StandinPropertyNames[prop])
#define DIPROP_RANGE      MAKEDIPROP(4)
#define DIPROP_DEADZONE   MAKEDIPROP(5)
#define DIPROP_SATURATION MAKEDIPROP(6)

#define DISCL_EXCLUSIVE    0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND   0x00000004
#define DISCL_BACKGROUND   0x00000008
#define DISCL_NOWINKEY     0x00000010

#define DI_OK                        S_OK
#define DI_NOEFFECT                  S_FALSE
#define DI_POLLEDDEVICE              ((HRESULT)0x00000002L)
#define DIERR_INPUTLOST              ((HRESULT)0x8007001EL)
#define DIERR_NOTACQUIRED            ((HRESULT)0x8007000CL)
#define DIERR_INVALIDPARAM           E_INVALIDARG
#define DIERR_NOINTERFACE            E_NOINTERFACE
#define DIERR_OTHERAPPHASPRIO        ((HRESULT)0x80070005L)
#define DIERR_DEVICENOTREG           ((HRESULT)0x80040154L)
#define DIERR_OLDDIRECTINPUTVERSION  ((HRESULT)0x8007047EL)
#define DIERR_BETADIRECTINPUTVERSION ((HRESULT)0x80070481L)
#define DIERR_ACQUIRED               ((HRESULT)0x800700AAL)
#define DIERR_NOTINITIALIZED         ((HRESULT)0x80070015L)
#define DIERR_GENERIC                E_FAIL
#define DIERR_UNSUPPORTED            E_NOTIMPL
#define DIERR_UNPLUGGED              ((HRESULT)0x80040209L)
#define DIERR_OBJECTNOTFOUND         ((HRESULT)0x80070002L)

// Called by the game's input start-up: creates the DirectInput object; version must be 0x0800
// (else DIERR_OLD/BETADIRECTINPUTVERSION) and the interface IID_IDirectInput8A (else
// DIERR_NOINTERFACE); DIERR_GENERIC when SDL has no video.
HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out,
                                  LPUNKNOWN outer);

// Called by the game's input start-up and shutdown, and by its look for a plugged-in
// controller. CreateDevice knows GUID_SysKeyboard, GUID_SysMouse and the instance GUID of an
// attached game controller (DIERR_DEVICENOTREG otherwise; SDL cannot tell a missing mouse); each
// device holds a reference to the object that made it. EnumDevices lists the attached game
// controllers (DI8DEVCLASS_GAMECTRL or DI8DEVCLASS_ALL) as DI8DEVTYPE_GAMEPAD devices until the
// callback answers DIENUM_STOP; a controller's instance GUID is new each time it is plugged in.
struct IDirectInput8A
{
    ULONG AddRef();
    ULONG Release();
    HRESULT CreateDevice(REFGUID guid, IDirectInputDevice8A** device, LPUNKNOWN outer);
    HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref, DWORD flags);

    struct Impl;
    Impl* impl;
};

// Called by the game's input start-up, game step, reset and shutdown.
// SetDataFormat: the predefined format of the device's kind only (DIERR_INVALIDPARAM), not while
//   acquired (DIERR_ACQUIRED).
// SetCooperativeLevel: exactly one of EXCLUSIVE/NONEXCLUSIVE and of FOREGROUND/BACKGROUND and a
//   window (DIERR_INVALIDPARAM); exclusive background is DIERR_UNSUPPORTED.
// Acquire: DIERR_INVALIDPARAM without a format; DIERR_OTHERAPPHASPRIO for a foreground device
//   whose window lacks focus, or an exclusive one already held; DI_NOEFFECT when acquired. The
//   exclusive foreground mouse puts SDL in relative mode (no cursor, unbounded motion).
// GetDeviceState: DIERR_INVALIDPARAM for a size other than the format's; DIERR_INPUTLOST from
//   the moment a foreground device's window loses focus until it is acquired again;
//   DIERR_NOTACQUIRED otherwise when not acquired. Keyboard: 0x80 at each DIK code held. Mouse:
//   motion since the previous read, wheel in units of 120, buttons left/right/middle/side.
//   Game controller: DIJOYSTATE2 in the layout of an XInput pad (lX/lY left stick, lZ the
//   triggers, left toward lMax, lRx/lRy right stick, rgdwPOV[0] the d-pad, buttons A, B, X, Y,
//   LB, RB, Back, Start, left stick, right stick); DIERR_UNPLUGGED once it was pulled out.
//   A failed read leaves the buffer untouched.
// SetProperty: a game controller's DIPROP_RANGE (DIPROPRANGE), DIPROP_DEADZONE and
//   DIPROP_SATURATION (DIPROPDWORD, 0..10000) for every axis (DIPH_DEVICE); DIERR_INVALIDPARAM
//   for a wrong size or an empty range, DIERR_UNSUPPORTED for any other property or device.
// Poll: a game controller's state is fresh at every read, so DI_NOEFFECT while acquired;
//   DIERR_NOTACQUIRED, DIERR_INPUTLOST or DIERR_UNPLUGGED as GetDeviceState would answer.
struct IDirectInputDevice8A
{
    ULONG AddRef();
    ULONG Release();
    HRESULT SetDataFormat(LPCDIDATAFORMAT format);
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags);
    HRESULT Acquire();
    HRESULT Unacquire();
    HRESULT GetDeviceState(DWORD size, LPVOID data);
    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header);
    HRESULT Poll();

    struct Impl;
    Impl* impl;
};

// Key codes: the scan-code based DIK_ values.
#define DIK_ESCAPE       0x01
#define DIK_1            0x02
#define DIK_2            0x03
#define DIK_3            0x04
#define DIK_4            0x05
#define DIK_5            0x06
#define DIK_6            0x07
#define DIK_7            0x08
#define DIK_8            0x09
#define DIK_9            0x0A
#define DIK_0            0x0B
#define DIK_MINUS        0x0C
#define DIK_EQUALS       0x0D
#define DIK_BACK         0x0E
#define DIK_TAB          0x0F
#define DIK_Q            0x10
#define DIK_W            0x11
#define DIK_E            0x12
#define DIK_R            0x13
#define DIK_T            0x14
#define DIK_Y            0x15
#define DIK_U            0x16
#define DIK_I            0x17
#define DIK_O            0x18
#define DIK_P            0x19
#define DIK_LBRACKET     0x1A
#define DIK_RBRACKET     0x1B
#define DIK_RETURN       0x1C
#define DIK_LCONTROL     0x1D
#define DIK_A            0x1E
#define DIK_S            0x1F
#define DIK_D            0x20
#define DIK_F            0x21
#define DIK_G            0x22
#define DIK_H            0x23
#define DIK_J            0x24
#define DIK_K            0x25
#define DIK_L            0x26
#define DIK_SEMICOLON    0x27
#define DIK_APOSTROPHE   0x28
#define DIK_GRAVE        0x29
#define DIK_LSHIFT       0x2A
#define DIK_BACKSLASH    0x2B
#define DIK_Z            0x2C
#define DIK_X            0x2D
#define DIK_C            0x2E
#define DIK_V            0x2F
#define DIK_B            0x30
#define DIK_N            0x31
#define DIK_M            0x32
#define DIK_COMMA        0x33
#define DIK_PERIOD       0x34
#define DIK_SLASH        0x35
#define DIK_RSHIFT       0x36
#define DIK_MULTIPLY     0x37
#define DIK_LMENU        0x38
#define DIK_SPACE        0x39
#define DIK_CAPITAL      0x3A
#define DIK_F1           0x3B
#define DIK_F2           0x3C
#define DIK_F3           0x3D
#define DIK_F4           0x3E
#define DIK_F5           0x3F
#define DIK_F6           0x40
#define DIK_F7           0x41
#define DIK_F8           0x42
#define DIK_F9           0x43
#define DIK_F10          0x44
#define DIK_NUMLOCK      0x45
#define DIK_SCROLL       0x46
#define DIK_NUMPAD7      0x47
#define DIK_NUMPAD8      0x48
#define DIK_NUMPAD9      0x49
#define DIK_SUBTRACT     0x4A
#define DIK_NUMPAD4      0x4B
#define DIK_NUMPAD5      0x4C
#define DIK_NUMPAD6      0x4D
#define DIK_ADD          0x4E
#define DIK_NUMPAD1      0x4F
#define DIK_NUMPAD2      0x50
#define DIK_NUMPAD3      0x51
#define DIK_NUMPAD0      0x52
#define DIK_DECIMAL      0x53
#define DIK_OEM_102      0x56
#define DIK_F11          0x57
#define DIK_F12          0x58
#define DIK_F13          0x64
#define DIK_F14          0x65
#define DIK_F15          0x66
#define DIK_KANA         0x70
#define DIK_ABNT_C1      0x73
#define DIK_CONVERT      0x79
#define DIK_NOCONVERT    0x7B
#define DIK_YEN          0x7D
#define DIK_ABNT_C2      0x7E
#define DIK_NUMPADEQUALS 0x8D
#define DIK_PREVTRACK    0x90
#define DIK_AT           0x91
#define DIK_COLON        0x92
#define DIK_UNDERLINE    0x93
#define DIK_KANJI        0x94
#define DIK_STOP         0x95
#define DIK_AX           0x96
#define DIK_UNLABELED    0x97
#define DIK_NEXTTRACK    0x99
#define DIK_NUMPADENTER  0x9C
#define DIK_RCONTROL     0x9D
#define DIK_MUTE         0xA0
#define DIK_CALCULATOR   0xA1
#define DIK_PLAYPAUSE    0xA2
#define DIK_MEDIASTOP    0xA4
#define DIK_VOLUMEDOWN   0xAE
#define DIK_VOLUMEUP     0xB0
#define DIK_WEBHOME      0xB2
#define DIK_NUMPADCOMMA  0xB3
#define DIK_DIVIDE       0xB5
#define DIK_SYSRQ        0xB7
#define DIK_RMENU        0xB8
#define DIK_PAUSE        0xC5
#define DIK_HOME         0xC7
#define DIK_UP           0xC8
#define DIK_PRIOR        0xC9
#define DIK_LEFT         0xCB
#define DIK_RIGHT        0xCD
#define DIK_END          0xCF
#define DIK_DOWN         0xD0
#define DIK_NEXT         0xD1
#define DIK_INSERT       0xD2
#define DIK_DELETE       0xD3
#define DIK_LWIN         0xDB
#define DIK_RWIN         0xDC
#define DIK_APPS         0xDD
#define DIK_POWER        0xDE
#define DIK_SLEEP        0xDF
#define DIK_WAKE         0xE3
#define DIK_WEBSEARCH    0xE5
#define DIK_WEBFAVORITES 0xE6
#define DIK_WEBREFRESH   0xE7
#define DIK_WEBSTOP      0xE8
#define DIK_WEBFORWARD   0xE9
#define DIK_WEBBACK      0xEA
#define DIK_MYCOMPUTER   0xEB
#define DIK_MAIL         0xEC
#define DIK_MEDIASELECT  0xED
