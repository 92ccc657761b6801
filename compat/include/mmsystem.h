// The multimedia timer subset: the 32-bit millisecond clock that wraps after about 49.7 days.
#pragma once

#include "windows.h"

DWORD WINAPI timeGetTime(void);
