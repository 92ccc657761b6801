// The DirectInput keyboard and mouse: creation in nine checked steps, the keyboard state buffer
// the game step reads, re-acquiring after a device reset, and release; the game controller,
// taken when one is attached and let go when it is pulled out.
#include "game/platform/input_devices.h"

#include "game/core/app.h"

// Live from start-up to shutdown; each handle null when absent.
IDirectInput8A* DirectInput = nullptr;
IDirectInputDevice8A* KeyboardDevice = nullptr;
IDirectInputDevice8A* MouseDevice = nullptr;
IDirectInputDevice8A* GamepadDevice = nullptr;
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

// Whole run: when the last look for a controller was made.
DWORD LastGamepadLook = 0;

// What the enumeration found: the first attached controller.
struct FoundController
{
    bool found;
    GUID instance;
};

BOOL CALLBACK TakeFirstController(LPCDIDEVICEINSTANCEA instance, LPVOID context)
{
    FoundController* first = static_cast<FoundController*>(context);
    first->found = true;
    first->instance = instance->guidInstance;
    return DIENUM_STOP;
}

// Takes the first attached controller: the joystick format, shared while the game is in front,
// the game's range and dead zone. A controller that refuses any of it is let go again; there is
// no box, for the game plays on with the keyboard and mouse. Acquiring may fail while the
// window is away; the reads try again.
void TakeGamepad()
{
    FoundController first = {};
    if (DirectInput->EnumDevices(DI8DEVCLASS_GAMECTRL, TakeFirstController, &first,
                                 DIEDFL_ATTACHEDONLY) != 0 ||
        !first.found)
        return;
    if (DirectInput->CreateDevice(first.instance, &GamepadDevice, nullptr) != 0)
    {
        GamepadDevice = nullptr;
        return;
    }
    DIPROPRANGE range = {};
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwObj = 0;
    range.diph.dwHow = DIPH_DEVICE;
    range.lMin = -GamepadAxisRange;
    range.lMax = GamepadAxisRange;
    // The property is named at the call itself: it stands for a small number where a GUID's
    // address would be, which survives no trip through a reference of our own.
    DIPROPDWORD deadZone = {};
    deadZone.diph.dwSize = sizeof deadZone;
    deadZone.diph.dwHeaderSize = sizeof deadZone.diph;
    deadZone.diph.dwObj = 0;
    deadZone.diph.dwHow = DIPH_DEVICE;
    deadZone.dwData = GamepadDeadZone;
    if (GamepadDevice->SetDataFormat(&c_dfDIJoystick2) != 0 ||
        GamepadDevice->SetCooperativeLevel(GameWindow, DISCL_FOREGROUND | DISCL_NONEXCLUSIVE) !=
            0 ||
        GamepadDevice->SetProperty(DIPROP_RANGE, &range.diph) != 0 ||
        GamepadDevice->SetProperty(DIPROP_DEADZONE, &deadZone.diph) != 0)
    {
        ReleaseDevice(&GamepadDevice);
        return;
    }
    GamepadDevice->Acquire();
}

void RestState(DIJOYSTATE2* state)
{
    *state = DIJOYSTATE2{};
    for (DWORD& pov : state->rgdwPOV)
        pov = 0xFFFFFFFF;
}

// Some headers spell this code unsigned.
const HRESULT Unplugged = static_cast<HRESULT>(DIERR_UNPLUGGED);

bool PulledOut(HRESULT result)
{
    return result == Unplugged || result == DIERR_INPUTLOST;
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

    TakeGamepad();
    LastGamepadLook = timeGetTime();
    return nullptr;
}

void LookForGamepad(DWORD now)
{
    if (GamepadDevice != nullptr || DirectInput == nullptr || now - LastGamepadLook < GamepadLookMs)
        return;
    LastGamepadLook = now;
    TakeGamepad();
}

bool ReadGamepad(DIJOYSTATE2* state)
{
    if (GamepadDevice == nullptr)
    {
        RestState(state);
        return false;
    }
    HRESULT result = GamepadDevice->Poll();
    if (SUCCEEDED(result))
        result = GamepadDevice->GetDeviceState(sizeof *state, state);
    if (SUCCEEDED(result))
        return true;
    RestState(state);
    // Lost input is either the window switched away (acquiring again fails until it is back)
    // or the controller pulled out (acquiring says so); a pulled one is let go.
    if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED)
        result = GamepadDevice->Acquire();
    if (PulledOut(result))
    {
        ReleaseDevice(&GamepadDevice);
        LastGamepadLook = timeGetTime();
    }
    return false;
}

void ReacquireGamepad()
{
    if (GamepadDevice != nullptr && GamepadDevice->Acquire() == Unplugged)
        ReleaseDevice(&GamepadDevice);
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
    ReleaseDevice(&GamepadDevice);
    KeyboardRefused = MouseRefused = false;
    if (DirectInput != nullptr)
    {
        DirectInput->Release();
        DirectInput = nullptr;
    }
}
