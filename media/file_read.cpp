// The whole-file read the texture and mesh readers share.
#include "file_read.h"

#include <cstdio>

namespace d3dx
{

bool ReadWholeFile(const char* path, size_t limit, std::vector<BYTE>* bytes)
{
    bytes->clear();
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    BYTE chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && bytes->size() <= limit)
        bytes->insert(bytes->end(), chunk, chunk + got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed && bytes->size() <= limit;
}

} // namespace d3dx
