// The DirectInput object: DirectInput8Create with its version and interface checks, device
// creation for the system keyboard and mouse, the identifiers and the two predefined formats.
#include <array>

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

constexpr DWORD AxisObject = 0x00000003;
constexpr DWORD ButtonObject = 0x0000000C;
constexpr DWORD AnyInstance = 0x00FFFF00;
constexpr DWORD OptionalObject = 0x80000000;

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

} // namespace

const DIDATAFORMAT c_dfDIKeyboard = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 256, KeyObjects.data()};
const DIDATAFORMAT c_dfDIMouse = {
    sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, sizeof(DIMOUSESTATE), 7,
    MouseObjects};

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
        StopDirectInputVideo();
    }
    return left;
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
    if (guid == GUID_SysKeyboard)
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
    WatchDevice(state);
    *device = new IDirectInputDevice8A{state};
    return DI_OK;
}
