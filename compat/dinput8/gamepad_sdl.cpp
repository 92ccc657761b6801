// The desktop's game controllers: SDL's game controllers (those SDL maps to its standard layout)
// read control by control, their events heard even while no window of ours has focus (the
// devices themselves keep to the foreground by our own focus check), and the test interface's
// virtual controller.
#include <SDL.h>

#include "common/log/log.h"

#include "device_impl.h"
#include "gamepad_map.h"
#include "standin.h"

namespace
{
// Whole run: whether DirectInput holds SDL's game controller subsystem, whether it was refused
// (said once), and the controllers open for devices with how many devices read each.
bool PadsStarted = false;
bool PadsRefused = false;

struct OpenPad
{
    uint32_t Id;
    SDL_GameController* Controller;
    int Users;
};
constexpr int MaxOpenPads = 16;
OpenPad OpenPads[MaxOpenPads];

// Whole run: the test interface's virtual controller, or null, and its subsystem reference.
SDL_Joystick* VirtualPad = nullptr;

bool StartSubsystem()
{
    // Under a bare X server a new window has no focus until raised, and SDL drops controller
    // events for an application without focus unless told otherwise.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    return SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

bool StartPads()
{
    if (PadsStarted)
        return true;
    if (PadsRefused)
        return false;
    if (!StartSubsystem())
    {
        // Not a failure of the program's: it simply sees no controller.
        Log("EnumDevices", "no game controllers here: %s", SDL_GetError());
        PadsRefused = true;
        return false;
    }
    PadsStarted = true;
    return true;
}

int DeviceIndexOf(uint32_t id)
{
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index)
        if (uint32_t(SDL_JoystickGetDeviceInstanceID(index)) + 1 == id)
            return index;
    return -1;
}

OpenPad* FindOpen(uint32_t id)
{
    for (OpenPad& pad : OpenPads)
        if (pad.Users > 0 && pad.Id == id)
            return &pad;
    return nullptr;
}
} // namespace

int ListSystemPads(uint32_t ids[], const char* names[], int max)
{
    if (!StartPads())
        return 0;
    int listed = 0;
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count && listed < max; ++index)
    {
        if (!SDL_IsGameController(index))
            continue;
        // SDL's instance ids start at 0 and are never handed out twice in a run.
        ids[listed] = uint32_t(SDL_JoystickGetDeviceInstanceID(index)) + 1;
        names[listed] = SDL_GameControllerNameForIndex(index);
        ++listed;
    }
    return listed;
}

bool OpenSystemPad(uint32_t id)
{
    if (!StartPads())
        return false;
    if (OpenPad* pad = FindOpen(id))
    {
        ++pad->Users;
        return true;
    }
    const int index = DeviceIndexOf(id);
    if (index < 0 || !SDL_IsGameController(index))
        return false;
    for (OpenPad& pad : OpenPads)
        if (pad.Users == 0)
        {
            SDL_GameController* controller = SDL_GameControllerOpen(index);
            if (!controller)
            {
                Log("CreateDevice", "the controller cannot be opened: %s", SDL_GetError());
                return false;
            }
            pad = {id, controller, 1};
            return true;
        }
    Log("CreateDevice", "too many game controllers open");
    return false;
}

void CloseSystemPad(uint32_t id)
{
    OpenPad* pad = FindOpen(id);
    if (!pad)
        return;
    if (--pad->Users == 0)
    {
        SDL_GameControllerClose(pad->Controller);
        *pad = OpenPad{};
    }
}

bool ReadSystemPad(uint32_t id, StandardPad* state)
{
    OpenPad* pad = FindOpen(id);
    if (!pad || !SDL_GameControllerGetAttached(pad->Controller))
        return false;
    SDL_GameController* controller = pad->Controller;
    for (int axis = 0; axis < PadAxisCount; ++axis)
    {
        const float value = static_cast<float>(SDL_GameControllerGetAxis(
                                controller, static_cast<SDL_GameControllerAxis>(axis))) /
                            32767.0f;
        state->Axis[axis] = value < -1.0f ? -1.0f : value;
    }
    for (int button = 0; button < PadButtonCount; ++button)
        state->Button[button] = SDL_GameControllerGetButton(
                                    controller, static_cast<SDL_GameControllerButton>(button)) != 0;
    return true;
}

void StopSystemPads()
{
    for (OpenPad& pad : OpenPads)
        if (pad.Users > 0)
        {
            SDL_GameControllerClose(pad.Controller);
            pad = OpenPad{};
        }
    if (PadsStarted)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    PadsStarted = false;
    PadsRefused = false;
}

BOOL StandinAttachGamepad(void)
{
    if (VirtualPad)
        return TRUE;
    if (!StartSubsystem())
        return FALSE;
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = PadButtonCount;
    desc.name = "Zendrill test controller";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index >= 0)
        VirtualPad = SDL_JoystickOpen(index);
    if (!VirtualPad)
    {
        Log("StandinAttachGamepad", "%s", SDL_GetError());
        if (index >= 0)
            SDL_JoystickDetachVirtual(index);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        return FALSE;
    }
    return TRUE;
}

void StandinDetachGamepad(void)
{
    if (!VirtualPad)
        return;
    const uint32_t id = uint32_t(SDL_JoystickInstanceID(VirtualPad)) + 1;
    SDL_JoystickClose(VirtualPad);
    VirtualPad = nullptr;
    const int index = DeviceIndexOf(id);
    if (index >= 0)
        SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void StandinSetGamepadAxis(int axis, int value)
{
    if (VirtualPad)
        SDL_JoystickSetVirtualAxis(VirtualPad, axis, static_cast<Sint16>(value));
}

void StandinSetGamepadButton(int button, BOOL down)
{
    if (VirtualPad)
        SDL_JoystickSetVirtualButton(VirtualPad, button, down ? SDL_PRESSED : SDL_RELEASED);
}
