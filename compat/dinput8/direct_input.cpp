// The DirectInput object: DirectInput8Create with its version and interface checks, device
// creation for the system keyboard and mouse and the attached game controllers, their
// enumeration, the identifiers and the three predefined formats.
#include <array>
#include <cstdio>
#include <cstring>

#include "common/log/log.h"
#include "device_impl.h"
#include "standin_window.h"

// The stand-in's own identifiers; programs only compare them.
const GUID IID_IDirectInput8A = {
    0x5a1e0c31, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0x18, 0x6a}};
const GUID GUID_SysKeyboard = {
    0x5a1e0c32, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0x18, 0x6a}};
const GUID GUID_SysMouse = {
    0x5a1e0c33, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0x18, 0x6a}};

namespace
{
// The kinds of object a format names, as the platform's object tables spell them.
const GUID GUID_XAxis = {0x5a1e0c40, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 1}};
const GUID GUID_YAxis = {0x5a1e0c40, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 2}};
const GUID GUID_ZAxis = {0x5a1e0c40, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 3}};
const GUID GUID_Key = {0x5a1e0c40, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 4}};
const GUID GUID_RxAxis = {0x5a1e0c40, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 5}};
const GUID GUID_RyAxis = {0x5a1e0c40, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 6}};
const GUID GUID_RzAxis = {0x5a1e0c40, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 7}};
const GUID GUID_Slider = {0x5a1e0c40, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 8}};
const GUID GUID_POV = {0x5a1e0c40, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 9}};

// A game controller's identifiers: the product is one for all of them; an instance carries the
// window system's id of the plugging-in in its last four bytes.
const GUID PadProduct = {0x5a1e0c35, 0x8d27, 0x4f6b, {0x9e, 0x41, 0x2c, 0x77, 0x0b, 0xd3, 0, 0}};
const GUID PadInstance = {0x5a1e0c34, 0x8d27, 0x4f6b, {0x9e, 0x41, 0, 0, 0, 0, 0, 0}};

constexpr DWORD AxisObject = 0x00000003;
constexpr DWORD ButtonObject = 0x0000000C;
constexpr DWORD AnyInstance = 0x00FFFF00;
constexpr DWORD OptionalObject = 0x80000000;
constexpr DWORD PovObject = 0x00000010;

constexpr std::array<DIOBJECTDATAFORMAT, 256> MakeKeyObjects()
{
    std::array<DIOBJECTDATAFORMAT, 256> objects{};
    for (DWORD key = 0; key < 256; ++key)
        objects[key] = {&GUID_Key, key, OptionalObject | ButtonObject | (key << 8), 0};
    return objects;
}

// Whole run, fixed: the object tables of the two formats.
constexpr std::array<DIOBJECTDATAFORMAT, 256> KeyObjects = MakeKeyObjects();
constexpr DIOBJECTDATAFORMAT MouseObjects[7] = {
    {&GUID_XAxis, 0, AxisObject | AnyInstance, 0},
    {&GUID_YAxis, 4, AxisObject | AnyInstance, 0},
    {&GUID_ZAxis, 8, OptionalObject | AxisObject | AnyInstance, 0},
    {nullptr, 12, ButtonObject | AnyInstance, 0},
    {nullptr, 13, ButtonObject | AnyInstance, 0},
    {nullptr, 14, OptionalObject | ButtonObject | AnyInstance, 0},
    {nullptr, 15, OptionalObject | ButtonObject | AnyInstance, 0},
};

// The joystick format's 164 objects: six axes and two sliders, four POVs, 128 buttons, then
// the velocity, acceleration and force axes (each six axes and two sliders).
constexpr DWORD JoystickObjectCount = 8 + 4 + 128 + 3 * 8;

constexpr std::array<DIOBJECTDATAFORMAT, JoystickObjectCount> MakeJoystickObjects()
{
    std::array<DIOBJECTDATAFORMAT, JoystickObjectCount> objects{};
    const GUID* axes[8] = {&GUID_XAxis,  &GUID_YAxis,  &GUID_ZAxis,  &GUID_RxAxis,
                           &GUID_RyAxis, &GUID_RzAxis, &GUID_Slider, &GUID_Slider};
    DWORD n = 0;
    for (DWORD i = 0; i < 8; ++i)
        objects[n++] = {axes[i], i * 4, OptionalObject | AxisObject | AnyInstance, 0};
    for (DWORD i = 0; i < 4; ++i)
        objects[n++] = {&GUID_POV, 32 + i * 4, OptionalObject | PovObject | AnyInstance, 0};
    for (DWORD i = 0; i < 128; ++i)
        objects[n++] = {nullptr, 48 + i, OptionalObject | ButtonObject | AnyInstance, 0};
    for (DWORD group = 0; group < 3; ++group)
        for (DWORD i = 0; i < 8; ++i)
            objects[n++] = {axes[i], 176 + group * 32 + i * 4,
                            OptionalObject | AxisObject | AnyInstance, 0};
    return objects;
}
constexpr std::array<DIOBJECTDATAFORMAT, JoystickObjectCount> JoystickObjects =
    MakeJoystickObjects();

// The most controllers one enumeration lists.
constexpr int MaxPads = 16;

GUID PadInstanceGuid(uint32_t id)
{
    GUID guid = PadInstance;
    guid.Data4[4] = static_cast<BYTE>(id >> 24);
    guid.Data4[5] = static_cast<BYTE>(id >> 16);
    guid.Data4[6] = static_cast<BYTE>(id >> 8);
    guid.Data4[7] = static_cast<BYTE>(id);
    return guid;
}

// The window system's id in a controller's instance GUID, or 0 when it is none.
uint32_t PadIdFromGuid(const GUID& guid)
{
    GUID prefix = guid;
    std::memset(prefix.Data4 + 4, 0, 4);
    if (!(prefix == PadInstance))
        return 0;
    return (uint32_t(guid.Data4[4]) << 24) | (uint32_t(guid.Data4[5]) << 16) |
           (uint32_t(guid.Data4[6]) << 8) | guid.Data4[7];
}

} // namespace

const DIDATAFORMAT c_dfDIKeyboard = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 256, KeyObjects.data()};
const DIDATAFORMAT c_dfDIMouse = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE), 7,
    MouseObjects};
const DIDATAFORMAT c_dfDIJoystick2 = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT),
                                      DIDF_ABSAXIS,         sizeof(DIJOYSTATE2),
                                      JoystickObjectCount,  JoystickObjects.data()};

struct IDirectInput8A::Impl
{
    ULONG References;
};

HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out,
                                  LPUNKNOWN outer)
{
    (void)instance;
    if (!out)
        return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (version < 0x0800)
        return DIERR_OLDDIRECTINPUTVERSION;
    if (version > 0x0800)
        return DIERR_BETADIRECTINPUTVERSION;
    if (iid != IID_IDirectInput8A)
        return DIERR_NOINTERFACE;
    if (outer)
    {
        Log("DirectInput8Create", "aggregation is not supported");
        return DIERR_INVALIDPARAM;
    }
    if (!StartDirectInputVideo())
        return DIERR_GENERIC;
    *out = new IDirectInput8A{new IDirectInput8A::Impl{1}};
    return DI_OK;
}

ULONG IDirectInput8A::AddRef()
{
    return ++impl->References;
}

ULONG IDirectInput8A::Release()
{
    const ULONG left = --impl->References;
    if (left == 0)
    {
        delete impl;
        delete this;
        StopSystemPads();
        StopDirectInputVideo();
    }
    return left;
}

HRESULT IDirectInput8A::EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID ref,
                                    DWORD flags)
{
    if (!callback || (flags & ~DWORD(DIEDFL_ATTACHEDONLY)))
        return DIERR_INVALIDPARAM;
    // Only the game controllers are listed: the system keyboard and mouse are known by their own
    // GUIDs, and a program that walks every class meets the controllers the same way.
    if (devType != DI8DEVCLASS_GAMECTRL && devType != DI8DEVCLASS_ALL)
        return DI_OK;
    PumpInputEvents();
    uint32_t ids[MaxPads];
    const char* names[MaxPads];
    const int count = ListSystemPads(ids, names, MaxPads);
    for (int i = 0; i < count; ++i)
    {
        DIDEVICEINSTANCEA instance{};
        instance.dwSize = sizeof instance;
        instance.guidInstance = PadInstanceGuid(ids[i]);
        instance.guidProduct = PadProduct;
        instance.dwDevType = DI8DEVTYPE_GAMEPAD;
        std::snprintf(instance.tszInstanceName, sizeof instance.tszInstanceName, "%s",
                      names[i] ? names[i] : "Game controller");
        std::snprintf(instance.tszProductName, sizeof instance.tszProductName, "%s",
                      instance.tszInstanceName);
        // The generic desktop page, game pad usage, as the platform's HID pads report.
        instance.wUsagePage = 0x01;
        instance.wUsage = 0x05;
        if (callback(&instance, ref) == DIENUM_STOP)
            break;
    }
    return DI_OK;
}

HRESULT IDirectInput8A::CreateDevice(REFGUID guid, IDirectInputDevice8A** device, LPUNKNOWN outer)
{
    if (!device)
        return DIERR_INVALIDPARAM;
    *device = nullptr;
    if (outer)
    {
        Log("CreateDevice", "aggregation is not supported");
        return DIERR_INVALIDPARAM;
    }
    DeviceKind kind;
    const uint32_t padId = PadIdFromGuid(guid);
    if (padId != 0)
    {
        // A controller pulled out since it was listed is not registered any more.
        if (!OpenSystemPad(padId))
            return DIERR_DEVICENOTREG;
        kind = DeviceKind::Gamepad;
    }
    else if (guid == GUID_SysKeyboard)
        kind = DeviceKind::Keyboard;
    else if (guid == GUID_SysMouse)
        // The window system cannot tell whether a mouse is plugged in (it always has a
        // pointer), so the system mouse is always there.
        kind = DeviceKind::Mouse;
    else
        return DIERR_DEVICENOTREG;

    AddRef();
    auto* state = new IDirectInputDevice8A::Impl{};
    state->Kind = kind;
    state->References = 1;
    state->Owner = this;
    state->Level = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    state->PadId = padId;
    // A controller's axes until told otherwise, as the platform sets them: 0..65535, no dead zone.
    state->Scale = {0, 65535, 0, 10000};
    WatchDevice(state);
    *device = new IDirectInputDevice8A{state};
    return DI_OK;
}
