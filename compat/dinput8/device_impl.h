// Internals of compat_dinput8 shared by its files: the state behind a device handle, and the
// window system's side of the input (input_sdl.cpp on the desktop, input_web.cpp in a browser).
// Never included outside compat/dinput8.
#pragma once

#include <cstdint>

#include "dinput.h"
#include "gamepad_map.h"

enum class DeviceKind
{
    Keyboard,
    Mouse,
    Gamepad,
};

struct IDirectInputDevice8A::Impl
{
    DeviceKind Kind;
    ULONG References;
    IDirectInput8A* Owner;      // kept alive by the device, as COM devices hold their creator
    const DIDATAFORMAT* Format; // null until SetDataFormat
    HWND Window;                // the cooperative level's window, and the window system's id for it
    uint32_t WindowId;
    DWORD Level; // DISCL_ flags; non-exclusive background until set
    bool Acquired;
    bool InputLost;     // a foreground device whose window lost focus, until acquired again
    bool FocusLostSeen; // the window lost focus since the last look, even if it has it back
    bool RelativeMode;  // the mouse took the pointer (relative mode, pointer lock) while acquired
    LONG Wheel;         // the mouse wheel's motion since the last read, in wheel units of 120
    uint32_t PadId;     // a game controller's id with the window system (never 0)
    bool Unplugged;     // the game controller was pulled out; it never comes back as this device
    PadAxisScale Scale; // a game controller's axis properties
};

// Called by DirectInput8Create and the last IDirectInput8A::Release: the window system's input
// for as long as a DirectInput object lives. Start returns false with the reason logged.
bool StartDirectInputVideo();
void StopDirectInputVideo();

// Called by CreateDevice on a new device: from now on it hears about its window's focus.
void WatchDevice(IDirectInputDevice8A::Impl* device);

// Called by GetDeviceState on an acquired keyboard: the 256 key bytes, from the test source
// when one is set. Returns DI_OK, or the test source's failure (the buffer then untouched).
HRESULT ReadKeyboard(BYTE keys[256]);

// Called by Acquire and by whatever unacquires an exclusive foreground mouse: takes the pointer
// (unbounded motion, no cursor) and hands it back (input_sdl.cpp, input_web.cpp). Start cannot
// fail: where the pointer cannot be taken the motion stays bounded by the screen, and it says so.
void StartMouse(IDirectInputDevice8A::Impl& device);
void StopMouse(IDirectInputDevice8A::Impl& device);

// Called by GetDeviceState on an acquired mouse: motion since the previous read, wheel and
// buttons. Returns DI_OK, or the test source's failure (the state then untouched).
HRESULT ReadMouse(IDirectInputDevice8A::Impl& device, DIMOUSESTATE* state);

// Called by SetProperty: whether the property named is MAKEDIPROP(number), the entry of
// StandinPropertyNames (dinput.h) at that number.
bool PropertyIs(const void* named, uintptr_t number);

// Called by GetDeviceState on an acquired game controller (gamepad.cpp): its state as a
// DIJOYSTATE2. Returns DI_OK, or DIERR_UNPLUGGED (the device is then marked so and unacquired).
HRESULT ReadGamepad(IDirectInputDevice8A::Impl& device, DIJOYSTATE2* state);

// ---- The window system's side (input_sdl.cpp, input_web.cpp) ----
// Starts and stops telling device.cpp about focus losses and wheel steps (NoteFocusLost,
// NoteWheel) while at least one device lives.
void StartInputWatch();
void StopInputWatch();
// Takes in whatever the window system has delivered. Cannot fail.
void PumpInputEvents();
// The window system's id of a window (0 for no window), and whether that window has focus.
uint32_t InputWindowId(HWND hwnd);
bool InputWindowHasFocus(uint32_t windowId);
// For a window just shown whose first focus the window system has not handed over yet: waits a
// bounded time for it. True once the window has focus; false at once for any other window (one
// that had focus and lost it), or when the wait ran out.
bool InputWindowAwaitFirstFocus(uint32_t windowId);
// Whether a window just shown is still waiting for its first focus (it has neither had nor lost
// it): the platform put it in front as it was shown, so its foreground devices count as in front.
bool InputWindowAwaitingFirstFocus(uint32_t windowId);
// The keys that are down now as DIK bytes (0x80 down), every other byte 0.
void ReadSystemKeys(BYTE keys[256]);
// The pointer's motion since the previous read and the buttons (0x80 down) of an acquired mouse.
void ReadSystemMouse(LONG* dx, LONG* dy, BYTE buttons[4]);

// ---- The window system's game controllers (gamepad_sdl.cpp, gamepad_web.cpp) ----
// The attached controllers that have the standard layout, in the window system's order: up to
// `max` ids (never 0, never reused for another plugging-in) and product names, and the count.
int ListSystemPads(uint32_t ids[], const char* names[], int max);
// Opens an attached controller for reading (false when it is not there any more), and closes it.
bool OpenSystemPad(uint32_t id);
void CloseSystemPad(uint32_t id);
// The controller's state now; false once it was pulled out.
bool ReadSystemPad(uint32_t id, StandardPad* pad);
// Called by the last DirectInput object's release: the window system's controllers are let go.
void StopSystemPads();

// Called by the window system's side (device.cpp): a window lost focus (or was hidden), or the
// wheel turned by `delta` (120 a notch, forward positive).
void NoteFocusLost(uint32_t windowId);
void NoteWheel(LONG delta);
