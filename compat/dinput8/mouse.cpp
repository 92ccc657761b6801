// The mouse read: motion since the previous read, wheel and buttons as a DIMOUSESTATE, from the
// window system or from what a test's mouse source gives.
#include <cstring>

#include "device_impl.h"
#include "standin.h"

namespace
{
// Whole run: the test's replacement for the real mouse, or null.
StandinMouseSource MouseSource = nullptr;
} // namespace

void StandinSetMouseSource(StandinMouseSource source)
{
    MouseSource = source;
}

HRESULT ReadMouse(IDirectInputDevice8A::Impl& device, DIMOUSESTATE* state)
{
    if (MouseSource)
    {
        DIMOUSESTATE given{};
        const HRESULT result = MouseSource(&given);
        if (SUCCEEDED(result))
            std::memcpy(state, &given, sizeof given);
        return result;
    }
    ReadSystemMouse(&state->lX, &state->lY, state->rgbButtons);
    state->lZ = device.Wheel;
    device.Wheel = 0;
    return DI_OK;
}
