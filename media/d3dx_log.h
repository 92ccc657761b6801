// The utility subset's one log channel: a line on standard error for every request it cannot
// serve the way the platform would, so a failure never passes silently.
#pragma once

// Writes "D3DX: <message>" and a newline to standard error. Called by the texture and mesh
// loaders; printf-style arguments. Cannot fail.
#ifdef _WIN32
// MinGW's printf family is the C99 one in this build (__USE_MINGW_ANSI_STDIO), not msvcrt's.
void D3dxLog(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
#else
void D3dxLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
#endif
