// The keyboard read: SDL's key state laid out as DirectInput's 256 bytes indexed by DIK code,
// or what a test's keyboard source gives.
#include <SDL.h>

#include <cstring>

#include "device_impl.h"
#include "keyboard_map.h"
#include "standin.h"

namespace
{
// Whole run: the test's replacement for the real keyboard, or null.
StandinKeyboardSource KeyboardSource = nullptr;
} // namespace

void StandinSetKeyboardSource(StandinKeyboardSource source)
{
    KeyboardSource = source;
}

HRESULT ReadKeyboard(BYTE keys[256])
{
    if (KeyboardSource)
    {
        // A failed read leaves the caller's buffer as it was, like a failed read of a device.
        BYTE given[256] = {};
        const HRESULT result = KeyboardSource(given);
        if (SUCCEEDED(result))
            std::memcpy(keys, given, sizeof given);
        return result;
    }
    int count = 0;
    const Uint8* down = SDL_GetKeyboardState(&count);
    std::memset(keys, 0, 256);
    for (int scancode = 0; scancode < count; ++scancode)
        if (down[scancode])
            if (const BYTE dik = DikFromSdlScancode(scancode))
                keys[dik] = 0x80;
    return DI_OK;
}
