// The DirectInput keyboard and mouse: creation in nine checked steps, the keyboard state buffer
// the game step reads, re-acquiring after a device reset, and release.
#include "game/platform/input_devices.h"

#include "game/core/app.h"

// Live from start-up to shutdown; each handle null when absent.
IDirectInput8A* DirectInput = nullptr;
IDirectInputDevice8A* KeyboardDevice = nullptr;
IDirectInputDevice8A* MouseDevice = nullptr;
// Read every step; keeps the last contents when a read fails (whole run).
BYTE KeyboardState[256];

namespace
{
// Since the last device reset: the devices it could not acquire because another window had the
// foreground again, which every step tries until they are back.
bool KeyboardRefused = false;
bool MouseRefused = false;

// Unacquires and releases one device if present.
void ReleaseDevice(IDirectInputDevice8A** device)
{
    if (*device == nullptr)
        return;
    (*device)->Unacquire();
    (*device)->Release();
    *device = nullptr;
}

} // namespace

const char* CreateInputDevices()
{
    if (DirectInput8Create(GameInstance, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                           reinterpret_cast<LPVOID*>(&DirectInput), nullptr) != 0)
        return "Obtain DI Interface Failed.";

    // The keyboard is shared with other programs; the mouse is the game's alone while it is in
    // front, so no cursor shows over the arena.
    if (DirectInput->CreateDevice(GUID_SysKeyboard, &KeyboardDevice, nullptr) != 0)
        return "Create DI Keyboard Device Failed.";
    if (KeyboardDevice->SetDataFormat(&c_dfDIKeyboard) != 0)
        return "Set Keyboard Data Format Failed.";
    if (KeyboardDevice->SetCooperativeLevel(GameWindow, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND) != 0)
        return "Set Keyboard Co-Operative Level Failed.";
    if (KeyboardDevice->Acquire() != 0)
        return "Aquire Keyboard Failed.";

    if (DirectInput->CreateDevice(GUID_SysMouse, &MouseDevice, nullptr) != 0)
        return "Create DI Mouse Device Failed.";
    if (MouseDevice->SetDataFormat(&c_dfDIMouse) != 0)
        return "Set Mouse Data Format Failed.";
    if (MouseDevice->SetCooperativeLevel(GameWindow, DISCL_EXCLUSIVE | DISCL_FOREGROUND) != 0)
        return "Set Mouse Co-operative Level Failed.";
    if (MouseDevice->Acquire() != 0)
        return "Acquire Mouse Failed.";
    return nullptr;
}

const char* ReacquireKeyboard()
{
    if (KeyboardDevice == nullptr)
        return nullptr;
    // Only a keyboard that lost its input needs acquiring again; the probe's keys are dropped.
    // Switching away either loses the input (DIERR_INPUTLOST) or unacquires the foreground
    // keyboard outright (DIERR_NOTACQUIRED, as Windows does when the window is deactivated);
    // either way the keys are dead until it is acquired. A keyboard whose probe succeeds is left
    // alone: acquiring it again would answer DI_NOEFFECT, which is not a failure.
    BYTE probe[256];
    const HRESULT state = KeyboardDevice->GetDeviceState(sizeof probe, probe);
    if (state == DIERR_INPUTLOST || state == DIERR_NOTACQUIRED)
    {
        // Refused because another window has taken the foreground again since the device came
        // back (a quick switch away and back and away): not a failure. The steps try again until
        // the focus is back (RetryRefusedDevices).
        const HRESULT acquired = KeyboardDevice->Acquire();
        KeyboardRefused = acquired == DIERR_OTHERAPPHASPRIO;
        if (FAILED(acquired) && !KeyboardRefused)
            return "Re-aquire Keyboard Failed.";
    }
    return nullptr;
}

void ReacquireMouse()
{
    // Switching away unacquires the exclusive foreground mouse; without this the bat would no
    // longer answer the mouse once play resumes. Acquiring an acquired mouse is harmless, and a
    // failure leaves it as it was: the reads then give no motion and the game goes on.
    if (MouseDevice != nullptr)
        MouseRefused = MouseDevice->Acquire() == DIERR_OTHERAPPHASPRIO;
}

void RetryRefusedDevices()
{
    if (KeyboardRefused)
        KeyboardRefused = KeyboardDevice->Acquire() == DIERR_OTHERAPPHASPRIO;
    if (MouseRefused)
        MouseRefused = MouseDevice->Acquire() == DIERR_OTHERAPPHASPRIO;
}

void ReleaseInputDevices()
{
    ReleaseDevice(&KeyboardDevice);
    ReleaseDevice(&MouseDevice);
    KeyboardRefused = MouseRefused = false;
    if (DirectInput != nullptr)
    {
        DirectInput->Release();
        DirectInput = nullptr;
    }
}
