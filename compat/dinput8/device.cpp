// A DirectInput device's life: data format, cooperative level, acquisition and its loss when a
// foreground device's window loses focus, a game controller's axis properties and its pulling
// out, the state read, and release. The keyboard, mouse and game controller files do the
// reading itself.
#include <algorithm>
#include <vector>

#include "common/log/log.h"
#include "device_impl.h"
#include "gamepad_map.h"

namespace
{
using Device = IDirectInputDevice8A::Impl;

// Whole run: every device not yet released, which the window system's watch looks after while
// there is at least one.
std::vector<Device*> Devices;

bool ForWindow(const Device& device, uint32_t windowId)
{
    return device.Acquired && (device.Level & DISCL_FOREGROUND) && device.WindowId == windowId;
}

bool WindowHasFocus(const Device& device)
{
    return InputWindowHasFocus(device.WindowId);
}

// In front: focused, or just shown with its first focus still on its way.
bool WindowInFront(const Device& device)
{
    return WindowHasFocus(device) || InputWindowAwaitingFirstFocus(device.WindowId);
}

void LetGo(Device& device)
{
    if (device.Kind == DeviceKind::Mouse)
        StopMouse(device);
    device.Acquired = false;
}

// DirectInput reads the devices themselves, not the window's messages, so take in whatever the
// window system has delivered; then a foreground device whose window lost focus since the last
// look is unacquired and its input is lost until it is acquired again.
void CheckFocus(Device& device)
{
    PumpInputEvents();
    if (!device.Acquired || !(device.Level & DISCL_FOREGROUND))
        return;
    if (device.FocusLostSeen || !WindowInFront(device))
    {
        LetGo(device);
        device.InputLost = true;
    }
}

bool ExclusiveTaken(const Device& device)
{
    for (const Device* other : Devices)
        if (other != &device && other->Kind == device.Kind && other->Acquired &&
            (other->Level & DISCL_EXCLUSIVE))
            return true;
    return false;
}

bool SameLayout(const DIDATAFORMAT& format, const DIDATAFORMAT& expected)
{
    const DWORD axes = DIDF_ABSAXIS | DIDF_RELAXIS;
    return format.dwSize == expected.dwSize && format.dwObjSize == expected.dwObjSize &&
           format.dwDataSize == expected.dwDataSize && format.dwNumObjs == expected.dwNumObjs &&
           (format.dwFlags & axes) == (expected.dwFlags & axes);
}
} // namespace

// Called as events arrive, so a focus loss is noticed even when the focus has come back before
// the device is next read, and no wheel step is missed.
void NoteFocusLost(uint32_t windowId)
{
    for (Device* device : Devices)
        if (ForWindow(*device, windowId))
            device->FocusLostSeen = true;
}

void NoteWheel(LONG delta)
{
    for (Device* device : Devices)
        if (device->Kind == DeviceKind::Mouse && device->Acquired)
            device->Wheel += delta;
}

void WatchDevice(Device* device)
{
    if (Devices.empty())
        StartInputWatch();
    Devices.push_back(device);
}

ULONG IDirectInputDevice8A::AddRef()
{
    return ++impl->References;
}

ULONG IDirectInputDevice8A::Release()
{
    const ULONG left = --impl->References;
    if (left == 0)
    {
        if (impl->Acquired)
            LetGo(*impl);
        if (impl->Kind == DeviceKind::Gamepad)
            CloseSystemPad(impl->PadId);
        Devices.erase(std::remove(Devices.begin(), Devices.end(), impl), Devices.end());
        if (Devices.empty())
            StopInputWatch();
        IDirectInput8A* owner = impl->Owner;
        delete impl;
        delete this;
        owner->Release();
    }
    return left;
}

HRESULT IDirectInputDevice8A::SetDataFormat(LPCDIDATAFORMAT format)
{
    if (!format)
        return DIERR_INVALIDPARAM;
    if (impl->Acquired)
        return DIERR_ACQUIRED;
    // Only the predefined layout of the device's own kind (or a copy of it) can be filled.
    const DIDATAFORMAT& expected = impl->Kind == DeviceKind::Keyboard ? c_dfDIKeyboard
                                   : impl->Kind == DeviceKind::Mouse  ? c_dfDIMouse
                                                                      : c_dfDIJoystick2;
    if (format != &expected && !SameLayout(*format, expected))
    {
        Log("SetDataFormat", "only the predefined %s format is supported",
            impl->Kind == DeviceKind::Keyboard ? "keyboard"
            : impl->Kind == DeviceKind::Mouse  ? "mouse"
                                               : "joystick");
        return DIERR_INVALIDPARAM;
    }
    impl->Format = &expected;
    return DI_OK;
}

HRESULT IDirectInputDevice8A::SetCooperativeLevel(HWND hwnd, DWORD flags)
{
    if (impl->Acquired)
        return DIERR_ACQUIRED;
    const DWORD known =
        DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;
    const bool exclusive = flags & DISCL_EXCLUSIVE;
    const bool foreground = flags & DISCL_FOREGROUND;
    // Exactly one of each pair, and nothing unknown.
    if ((flags & ~known) || exclusive == bool(flags & DISCL_NONEXCLUSIVE) ||
        foreground == bool(flags & DISCL_BACKGROUND))
        return DIERR_INVALIDPARAM;
    const uint32_t windowId = InputWindowId(hwnd);
    if (windowId == 0)
        return DIERR_INVALIDPARAM;
    // The system keyboard and mouse are never given to one program while another is in front.
    if (exclusive && !foreground)
        return DIERR_UNSUPPORTED;
    if (flags & DISCL_NOWINKEY)
        Log("SetCooperativeLevel", "the system key cannot be held back here");
    if (!foreground)
        Log("SetCooperativeLevel",
            "a background device only sees input while one of the program's windows has focus");
    impl->Window = hwnd;
    impl->WindowId = windowId;
    impl->Level = flags;
    return DI_OK;
}

HRESULT IDirectInputDevice8A::Acquire()
{
    Device& device = *impl;
    if (!device.Format)
        return DIERR_INVALIDPARAM;
    CheckFocus(device);
    if (device.Acquired)
        return DI_NOEFFECT;
    if ((device.Level & DISCL_FOREGROUND) && !WindowHasFocus(device))
    {
        // A window just shown may still be waiting for the window system to hand it focus
        // (Wayland hands it over only after the first picture, and a busy machine takes its
        // time). The platform activates a window as it is shown, so no player could ever see
        // this race lost; wait a while for the focus that is on its way, and where it is later
        // still, the window counts as in front until it has had focus (its reads are empty
        // till then). A window that had focus and lost it is refused at once.
        InputWindowAwaitFirstFocus(device.WindowId);
        if (!WindowInFront(device))
            return DIERR_OTHERAPPHASPRIO;
    }
    if ((device.Level & DISCL_EXCLUSIVE) && ExclusiveTaken(device))
        return DIERR_OTHERAPPHASPRIO;
    if (device.Unplugged)
        return DIERR_UNPLUGGED;
    device.Acquired = true;
    device.InputLost = false;
    device.FocusLostSeen = false;
    if (device.Kind == DeviceKind::Mouse)
        StartMouse(device);
    return DI_OK;
}

HRESULT IDirectInputDevice8A::Unacquire()
{
    Device& device = *impl;
    device.InputLost = false;
    if (!device.Acquired)
        return DI_NOEFFECT;
    LetGo(device);
    return DI_OK;
}

HRESULT IDirectInputDevice8A::GetDeviceState(DWORD size, LPVOID data)
{
    Device& device = *impl;
    if (!data)
        return DIERR_INVALIDPARAM;
    if (!device.Format)
        return DIERR_NOTACQUIRED;
    if (size != device.Format->dwDataSize)
        return DIERR_INVALIDPARAM;
    CheckFocus(device);
    if (device.Unplugged)
        return DIERR_UNPLUGGED;
    if (device.InputLost)
        return DIERR_INPUTLOST;
    if (!device.Acquired)
        return DIERR_NOTACQUIRED;
    if (device.Kind == DeviceKind::Keyboard)
        return ReadKeyboard(static_cast<BYTE*>(data));
    if (device.Kind == DeviceKind::Gamepad)
        return ReadGamepad(device, static_cast<DIJOYSTATE2*>(data));
    return ReadMouse(device, static_cast<DIMOUSESTATE*>(data));
}

HRESULT IDirectInputDevice8A::SetProperty(REFGUID property, LPCDIPROPHEADER header)
{
    Device& device = *impl;
    if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER))
        return DIERR_INVALIDPARAM;
    // Properties are named by the small numbers standing in for their GUIDs' addresses.
    const bool range = PropertyIs(&property, 4);
    const bool deadZone = PropertyIs(&property, 5);
    const bool saturation = PropertyIs(&property, 6);
    if (device.Kind != DeviceKind::Gamepad || !(range || deadZone || saturation))
        return DIERR_UNSUPPORTED;
    if (header->dwHow != DIPH_DEVICE || header->dwObj != 0)
    {
        Log("SetProperty", "only the whole device's axes can be set");
        return DIERR_UNSUPPORTED;
    }
    if (range)
    {
        if (header->dwSize != sizeof(DIPROPRANGE))
            return DIERR_INVALIDPARAM;
        const auto* given = reinterpret_cast<const DIPROPRANGE*>(header);
        if (given->lMin >= given->lMax)
            return DIERR_INVALIDPARAM;
        device.Scale.Min = given->lMin;
        device.Scale.Max = given->lMax;
        return DI_OK;
    }
    if (header->dwSize != sizeof(DIPROPDWORD))
        return DIERR_INVALIDPARAM;
    const DWORD value = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
    if (value > 10000)
        return DIERR_INVALIDPARAM;
    (deadZone ? device.Scale.DeadZone : device.Scale.Saturation) = value;
    return DI_OK;
}

HRESULT IDirectInputDevice8A::Poll()
{
    Device& device = *impl;
    if (!device.Format)
        return DIERR_NOTACQUIRED;
    CheckFocus(device);
    if (device.Kind == DeviceKind::Gamepad && !device.Unplugged)
    {
        StandardPad pad;
        if (!ReadSystemPad(device.PadId, &pad))
        {
            device.Unplugged = true;
            device.Acquired = false;
        }
    }
    if (device.Unplugged)
        return DIERR_UNPLUGGED;
    if (device.InputLost)
        return DIERR_INPUTLOST;
    if (!device.Acquired)
        return DIERR_NOTACQUIRED;
    // The state is taken fresh at every read: nothing to poll.
    return DI_NOEFFECT;
}
