// Reading and writing d3d.ini: the reader fills the game's DisplaySettingsRecord with formatted
// stream extraction, the writer lays out the seventeen values and hands them to the platform's
// file replacement (settings_store.h), so a failed save never leaves a truncated or mixed file.
#include "common/settings/display_settings.h"

#include <cstdio>
#include <fstream>

#include "common/settings/settings_store.h"

const char* const SettingsFileName = "d3d.ini";

namespace
{

const char* const MissingFileText = "Please run 3D Zendrill Config first.";
const char* const FormatFailedText = "Could not write d3d.ini.";

// One unsigned value straight into its field. A failed extraction leaves the field as it was:
// the stream would otherwise store 0 or the type's maximum into it, and a field that was not read
// must keep what it held. The fields are UINT or DWORD, which are one type on some platforms and
// two on others; both are unsigned 32-bit.
template <typename Field> void ReadUnsigned(std::istream& in, Field* field)
{
    Field value = 0;
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

} // namespace

const char* ReadSettingsFile(const char* path, DisplaySettingsRecord* settings)
{
    std::ifstream in(path);
    if (!in.is_open())
        return MissingFileText;

        // Each line in file order. Once a read fails the stream stays failed, so every later read
        // does nothing and the fields from there on keep their start values. The NotRead lines (16
        // and 17) are never read.
#define READ_Unsigned(field) ReadUnsigned(in, &settings->field);
#define READ_Format(field)   ReadFormat(in, &settings->field);
#define READ_Flag(field)     ReadFlag(in, &settings->field);
#define READ_NotRead(field)
#define READ_LINE(value, type, form, read, field) READ_##read(field)
    SETTINGS_FILE_LINES(READ_LINE)
#undef READ_LINE
#undef READ_NotRead
#undef READ_Flag
#undef READ_Format
#undef READ_Unsigned
    return nullptr;
}

int FormatSettingsText(const SettingsFileValues& values, const char* lineBreak, char* text,
                       size_t size)
{
    // Each value in its own form, a line break between two of them and none after the last.
    size_t length = 0;
    const char* separator = "";
#define WRITE_LINE(value, type, form, read, field)                                                 \
    {                                                                                              \
        int written = snprintf(text + length, size - length, "%s" form, separator, values.value);  \
        if (written < 0 || static_cast<size_t>(written) >= size - length)                          \
            return -1;                                                                             \
        length += static_cast<size_t>(written);                                                    \
        separator = lineBreak;                                                                     \
    }
    SETTINGS_FILE_LINES(WRITE_LINE)
#undef WRITE_LINE
    return static_cast<int>(length);
}

const char* WriteSettingsFile(const char* path, const SettingsFileValues& values)
{
    char text[SettingsFileLineCount * 24];
    int length = FormatSettingsText(values, SettingsLineBreak, text, sizeof text);
    if (length < 0)
        return FormatFailedText;
    return ReplaceSettingsFile(path, text, static_cast<size_t>(length));
}
