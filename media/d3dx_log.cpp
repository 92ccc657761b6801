// The utility subset's log channel (standard error).
#include "d3dx_log.h"

#include <cstdarg>
#include <cstdio>

void D3dxLog(const char* format, ...)
{
    std::fputs("D3DX: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}
