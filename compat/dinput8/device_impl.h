// Internals of compat_dinput8 shared by its files: the state behind a device handle, and the
// keyboard and mouse halves that read SDL. Never included outside compat/dinput8.
#pragma once

#include <SDL.h>

#include "dinput.h"

enum class DeviceKind
{
    Keyboard,
    Mouse,
};

struct IDirectInputDevice8A::Impl
{
    DeviceKind Kind;
    ULONG References;
    IDirectInput8A* Owner;      // kept alive by the device, as COM devices hold their creator
    const DIDATAFORMAT* Format; // null until SetDataFormat
    HWND Window;                // the cooperative level's window, and SDL's id for it
    Uint32 WindowId;
    DWORD Level; // DISCL_ flags; non-exclusive background until set
    bool Acquired;
    bool InputLost;     // a foreground device whose window lost focus, until acquired again
    bool FocusLostSeen; // the window lost focus since the last look, even if it has it back
    bool RelativeMode;  // the mouse turned SDL's relative mode on while acquired
    LONG Wheel;         // the mouse wheel's motion since the last read, in wheel units of 120
};

// Called by DirectInput8Create and the last IDirectInput8A::Release: SDL's video (and events)
// for as long as a DirectInput object lives. Start returns false with the reason logged.
bool StartDirectInputVideo();
void StopDirectInputVideo();

// Called by CreateDevice on a new device: from now on it hears about its window's focus.
void WatchDevice(IDirectInputDevice8A::Impl* device);

// Called by GetDeviceState on an acquired keyboard: the 256 key bytes, from the test source
// when one is set. Returns DI_OK, or the test source's failure (the buffer then untouched).
HRESULT ReadKeyboard(BYTE keys[256]);

// Called by Acquire and by whatever unacquires an exclusive foreground mouse: takes the pointer
// into SDL's relative mode (unbounded motion, no cursor) and hands it back. Start cannot fail:
// where SDL has no relative mode the motion stays bounded by the screen, and it says so.
void StartMouse(IDirectInputDevice8A::Impl& device);
void StopMouse(IDirectInputDevice8A::Impl& device);

// Called by GetDeviceState on an acquired mouse: motion since the previous read, wheel and
// buttons. Returns DI_OK, or the test source's failure (the state then untouched).
HRESULT ReadMouse(IDirectInputDevice8A::Impl& device, DIMOUSESTATE* state);
