// The millisecond clock in a browser: the page's high-resolution clock cut to 32 bits, so it
// wraps like the platform's; tests may replace its source.
#include <emscripten.h>

#include "standin.h"

namespace
{
// Whole run: the replacement clock set by a test, or null for the real one.
StandinClockSource ClockSource = nullptr;
} // namespace

DWORD WINAPI timeGetTime(void)
{
    return ClockSource ? ClockSource() : static_cast<DWORD>(uint64_t(emscripten_get_now()));
}

void StandinSetClockSource(StandinClockSource source)
{
    ClockSource = source;
}
