// Device loss and reset: while the device is lost the main loop calls ResetDevice instead of a game
// step; once the device can be reset it is reset with the configured mode, its fixed state is put
// back, a running game is paused and the input devices are taken back.
#include "game/platform/device_reset.h"

#include "game/core/app.h"
#include "game/core/game_step.h"
#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"
#include "game/platform/input_devices.h"

const char* ResetDevice()
{
    // Still lost (the game is not in front): nothing to do; the loop asks again next iteration.
    if (Device->TestCooperativeLevel() != D3DERR_DEVICENOTRESET)
        return nullptr;

    // A reset asks for the mode's own refresh rate, where creation took the default.
    D3DPRESENT_PARAMETERS parameters;
    FillPresentParameters(&parameters, DisplaySettings.DisplayMode.RefreshRate);
    if (Device->Reset(&parameters) != D3D_OK)
        return "Device Reset Failed.";

    // A reset device is back at every default, so the fixed state goes on again.
    const char* stateText = ApplyFixedState();

    DeviceResetPending = false;
    if (GameState == Playing)
        GameState = Paused; // the player resumes when ready
    const char* keyboardText = ReacquireKeyboard();
    // The exclusive mouse was given up with the focus; without it the bat would not move again.
    ReacquireMouse();
    ReacquireGamepad();
    ShowCursor(FALSE);
    SetCursorPos(200, 200);

    return stateText != nullptr ? stateText : keyboardText;
}
