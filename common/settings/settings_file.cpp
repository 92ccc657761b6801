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

int FormatSettingsText(const SettingsFileValues& values, const char* lineBreak, char* text,
                       size_t size)
{
    // Seventeen values, a line break between two of them and none after the last.
    const char* b = lineBreak;
    int length = snprintf(
        text, size, "%ld%s%u%s%u%s%u%s%d%s%d%s%d%s%d%s%d%s%d%s%d%s%d%s%d%s%d%s%d%s%lu%s%lu",
        static_cast<long>(values.Adapter), b, values.Width, b, values.Height, b, values.RefreshRate,
        b, values.Format, b, values.DepthStencilFormat, b, values.FilterMethod, b,
        values.HardwareVertexProcessing, b, values.MipMapping, b, values.WBuffering, b,
        values.SnowLayerCount, b, values.Lighting, b, values.SrcBlendSrcColor, b,
        values.DestBlendDestColor, b, values.DestBlendSrcColor, b,
        static_cast<unsigned long>(values.MaxTextureWidth), b,
        static_cast<unsigned long>(values.MaxTextureHeight));
    if (length < 0 || static_cast<size_t>(length) >= size)
        return -1;
    return length;
}

const char* WriteSettingsFile(const char* path, const SettingsFileValues& values)
{
    char text[17 * 24];
    int length = FormatSettingsText(values, SettingsLineBreak, text, sizeof text);
    if (length < 0)
        return FormatFailedText;
    return ReplaceSettingsFile(path, text, static_cast<size_t>(length));
}
