// Reading and writing d3d.ini: the reader fills the game's DisplaySettingsRecord with formatted
// stream extraction, the writer replaces the file atomically so a failed save never leaves a
// truncated or mixed file behind.
#include "common/settings/display_settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char* const SettingsFileName = "d3d.ini";

namespace
{

const char* const MissingFileText = "Please run 3D Zendrill Config first.";
const char* const WriteFailedText = "Could not write d3d.ini.";
const char* const ReplaceFailedText = "Could not replace d3d.ini.";

// One unsigned value straight into its field. A failed extraction leaves the field as it was:
// the stream would otherwise store 0 or the type's maximum into it, and a field that was not read
// must keep what it held.
void ReadUnsigned(std::istream& in, DWORD* field)
{
    DWORD value = 0;
    if (in >> value)
        *field = value;
}

// A format number is read as unsigned and then taken as the D3DFORMAT it names. D3DFORMAT holds
// values up to 0x7FFFFFFF only; a larger number names no format and fails the read like a
// number too large for 32 bits, rather than putting a value the type cannot hold into the field.
void ReadFormat(std::istream& in, D3DFORMAT* field)
{
    DWORD value = 0;
    if (!(in >> value))
        return;
    if (value > static_cast<DWORD>(D3DFMT_FORCE_DWORD))
    {
        in.setstate(std::ios::failbit);
        return;
    }
    *field = static_cast<D3DFORMAT>(value);
}

// A flag in numeric form: 0 or 1 only; any other integer fails the stream like a non-number.
void ReadFlag(std::istream& in, bool* field)
{
    bool value = false;
    if (in >> std::noboolalpha >> value)
        *field = value;
}

// Writes all of `text` to `fd`, going on after short writes and interruptions.
bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size())
    {
        ssize_t written = write(fd, text.data() + done, text.size() - done);
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

// The folder holding `path`, for the temporary file and the folder sync after the rename.
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

const char* ReadSettingsFile(const char* path, DisplaySettingsRecord* settings)
{
    std::ifstream in(path);
    if (!in.is_open())
        return MissingFileText;

    // Once a read fails the stream stays failed, so every later read does nothing and the fields
    // from there on keep their start values. Lines 16 and 17 are never read.
    ReadUnsigned(in, &settings->Adapter);
    ReadUnsigned(in, &settings->DisplayMode.Width);
    ReadUnsigned(in, &settings->DisplayMode.Height);
    ReadUnsigned(in, &settings->DisplayMode.RefreshRate);
    ReadFormat(in, &settings->DisplayMode.Format);
    ReadFormat(in, &settings->DepthStencilFormat);
    ReadUnsigned(in, &settings->FilterMethod);
    ReadFlag(in, &settings->HardwareVertexProcessing);
    ReadFlag(in, &settings->MipMapping);
    ReadFlag(in, &settings->WBuffering);
    ReadUnsigned(in, &settings->SnowLayerCount);
    ReadFlag(in, &settings->Lighting);
    ReadFlag(in, &settings->SrcBlendSrcColor);
    ReadFlag(in, &settings->DestBlendDestColor);
    ReadFlag(in, &settings->DestBlendSrcColor);
    return nullptr;
}

const char* WriteSettingsFile(const char* path, const SettingsFileValues& values)
{
    // Seventeen values, a line break between two of them and none after the last.
    char text[17 * 24];
    int length = snprintf(
        text, sizeof text, "%ld\n%u\n%u\n%u\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%d\n%lu\n%lu",
        static_cast<long>(values.Adapter), values.Width, values.Height, values.RefreshRate,
        values.Format, values.DepthStencilFormat, values.FilterMethod,
        values.HardwareVertexProcessing, values.MipMapping, values.WBuffering,
        values.SnowLayerCount, values.Lighting, values.SrcBlendSrcColor, values.DestBlendDestColor,
        values.DestBlendSrcColor, static_cast<unsigned long>(values.MaxTextureWidth),
        static_cast<unsigned long>(values.MaxTextureHeight));
    if (length < 0 || static_cast<size_t>(length) >= sizeof text)
        return WriteFailedText;

    // The new contents go to a temporary file in the same folder (so the rename stays within one
    // file system), reach the disk, and only then take the place of the old file.
    std::string target(path);
    std::string temporary = target + ".XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0)
        return WriteFailedText;

    // mkstemp makes the file private; give it the mode a plainly created file would have.
    mode_t mask = umask(0);
    umask(mask);
    bool ok = fchmod(fd, 0666 & ~mask) == 0;
    ok = ok && WriteAll(fd, std::string(text, static_cast<size_t>(length)));
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
