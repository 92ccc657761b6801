// Saving d3d.ini on Windows: a text file there breaks lines with CR LF, and the new contents go
// to a temporary file in the same folder (GetTempFileNameA), are flushed to the disk, and then
// replace the old file in one move (MoveFileExA, write-through).
#include "common/settings/settings_store.h"

#include <string>

#include <windows.h>

const char* const SettingsLineBreak = "\r\n";

namespace
{

const char* const WriteFailedText = "Could not write d3d.ini.";
const char* const ReplaceFailedText = "Could not replace d3d.ini.";

// The folder holding `path`, where the temporary file is made; either slash separates.
std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return ".";
    return path.substr(0, slash + 1);
}

// Writes all `length` bytes of `text` to `file`, going on after short writes.
bool WriteAll(HANDLE file, const char* text, size_t length)
{
    size_t done = 0;
    while (done < length)
    {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(length - done);
        if (!WriteFile(file, text + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

const char* ReplaceSettingsFile(const char* path, const char* text, size_t length)
{
    // GetTempFileNameA makes the file under a name no other save is using at the same time.
    char temporary[MAX_PATH];
    if (GetTempFileNameA(FolderOf(path).c_str(), "d3d", 0, temporary) == 0)
        return WriteFailedText;

    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        DeleteFileA(temporary);
        return WriteFailedText;
    }
    bool ok = WriteAll(file, text, length);
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (!ok)
    {
        DeleteFileA(temporary);
        return WriteFailedText;
    }
    if (!MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        DeleteFileA(temporary);
        return ReplaceFailedText;
    }
    return nullptr;
}
