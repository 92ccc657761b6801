// The whole-file read the texture and mesh readers share: a file's bytes into memory, with a
// ceiling so that a huge or endless file is refused instead of filling memory.
#pragma once

#include <d3dx8.h>

#include <cstddef>
#include <vector>

namespace d3dx
{

// Reads the file at `path` into `bytes` with the C library. Returns true when the whole file was
// read and holds at most `limit` bytes; false when it cannot be opened, a read fails or it is
// larger (`bytes` then holds what was read so far).
bool ReadWholeFile(const char* path, size_t limit, std::vector<BYTE>* bytes);

} // namespace d3dx
