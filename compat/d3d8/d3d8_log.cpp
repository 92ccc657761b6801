// Logging of the Direct3D 8 stand-in: one line on standard error for every request the stand-in
// cannot carry out the way the platform would, so a difference is never silent.
#include "d3d8_internal.h"

#include <cstdio>
#include <set>
#include <string>

namespace d3d8
{
namespace
{
// Lives for the whole run: the keys already logged by LogOnce.
std::set<std::string>& LoggedKeys()
{
    static std::set<std::string> keys;
    return keys;
}

void WriteLine(const char* format, va_list args)
{
    std::fputs("d3d8: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}
} // namespace

void Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteLine(format, args);
    va_end(args);
}

void LogOnce(const char* key, const char* format, ...)
{
    if (!LoggedKeys().insert(key).second)
        return;
    va_list args;
    va_start(args, format);
    WriteLine(format, args);
    va_end(args);
}
} // namespace d3d8
