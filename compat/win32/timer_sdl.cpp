// The millisecond clock: SDL's tick counter cut to 32 bits, so it wraps after about 49.7 days
// like the platform's; tests may replace its source.
#include <SDL.h>

#include "standin.h"

namespace
{
// Whole run: the replacement clock set by a test, or null for the real one.
StandinClockSource ClockSource = nullptr;
} // namespace

DWORD WINAPI timeGetTime(void)
{
    return ClockSource ? ClockSource() : static_cast<DWORD>(SDL_GetTicks64());
}

void StandinSetClockSource(StandinClockSource source)
{
    ClockSource = source;
}
