// A program started through compat_winmain: its WinMain returns 0 only when it got a module
// handle, no previous instance, the arguments as one command line and SW_SHOWNORMAL, so the
// test's exit code shows both the arguments and the result getting through.
#include <cstdio>
#include <cstring>

#include "windows.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR cmdLine, int cmdShow)
{
    const char* expected = "one \"two words\"";
    if (!instance || prevInstance || cmdShow != SW_SHOWNORMAL || !cmdLine ||
        std::strcmp(cmdLine, expected) != 0)
    {
        std::fprintf(stderr, "WinMain got instance %p, command line [%s], show %d\n",
                     static_cast<void*>(instance), cmdLine ? cmdLine : "(null)", cmdShow);
        return 3;
    }
    return 0;
}
