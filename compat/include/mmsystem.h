// The multimedia timer subset: the 32-bit millisecond clock that wraps after about 49.7 days.
#pragma once

#include "windows.h"

// Called by the frame timing: milliseconds from SDL's tick counter (or the test clock source of
// standin.h), cut to 32 bits so it wraps like the platform's. Cannot fail.
DWORD WINAPI timeGetTime(void);
