// The utility stand-in's one log channel: a line on standard error for every request it cannot
// serve the way the platform would, so a failure never passes silently.
#pragma once

// Writes "D3DX: <message>" and a newline to standard error. Called by the texture and mesh
// loaders; printf-style arguments. Cannot fail.
void D3dxLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
