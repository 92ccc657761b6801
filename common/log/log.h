// The one way the platform stand-in (compat/) and the utility subset (media/) speak: a line on
// standard error for every request they cannot serve the way the platform would, so a difference
// never passes silently. Game and setup code do not log; they show their error texts.
#pragma once

#ifdef _WIN32
// MinGW's printf family is the C99 one in this build (__USE_MINGW_ANSI_STDIO), not msvcrt's.
#define ZENDRILL_LOG_FORMAT(formatAt, argumentsAt)                                                 \
    __attribute__((format(gnu_printf, formatAt, argumentsAt)))
#else
#define ZENDRILL_LOG_FORMAT(formatAt, argumentsAt)                                                 \
    __attribute__((format(printf, formatAt, argumentsAt)))
#endif

// Writes "<source>: <message>" and a newline to standard error in one write. `source` says who
// speaks: a library ("d3d8", "D3DX") or the call that could not do its work ("CreateWindowExA").
// printf-style arguments. Cannot fail.
void Log(const char* source, const char* format, ...) ZENDRILL_LOG_FORMAT(2, 3);

// As Log, but only the first time `key` is seen in this run: for a state that is not emulated or
// a condition every frame would repeat. Later calls with the same key write nothing.
void LogOnce(const char* key, const char* source, const char* format, ...)
    ZENDRILL_LOG_FORMAT(3, 4);
