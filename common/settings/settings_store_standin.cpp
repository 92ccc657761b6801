// Saving d3d.ini on POSIX systems: LF line breaks, and the new contents written to a temporary
// file (mkstemp), synced, renamed over the old file, and the folder synced after the rename.
#include "common/settings/settings_store.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char* const SettingsLineBreak = "\n";

namespace
{

const char* const WriteFailedText = "Could not write d3d.ini.";
const char* const ReplaceFailedText = "Could not replace d3d.ini.";

// Writes all `length` bytes of `text` to `fd`, going on after short writes and interruptions.
bool WriteAll(int fd, const char* text, size_t length)
{
    size_t done = 0;
    while (done < length)
    {
        ssize_t written = write(fd, text + done, length - done);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// The folder holding `path`, for the folder sync after the rename.
std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

} // namespace

const char* ReplaceSettingsFile(const char* path, const char* text, size_t length)
{
    // The temporary file lies in the same folder, so the rename stays within one file system.
    std::string target(path);
    std::string temporary = target + ".XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0)
        return WriteFailedText;

    // mkstemp makes the file private; give it the mode a plainly created file would have.
    mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd, 0666 & ~mask) == 0;
    ok = ok && WriteAll(fd, text, length);
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (!ok)
    {
        unlink(temporary.c_str());
        return WriteFailedText;
    }
    if (rename(temporary.c_str(), target.c_str()) != 0)
    {
        unlink(temporary.c_str());
        return ReplaceFailedText;
    }

    // Make the rename itself durable; the file is already complete, so a failure here only means
    // a crash could bring the previous file back, never a broken one.
    int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0)
    {
        fsync(folder);
        close(folder);
    }
    return nullptr;
}
