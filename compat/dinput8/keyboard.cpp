// The keyboard read: the window system's key state as DirectInput's 256 bytes indexed by DIK
// code, or what a test's keyboard source gives.
#include <cstring>

#include "device_impl.h"
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
    ReadSystemKeys(keys);
    return DI_OK;
}
