// The d3d.ini format shared by the game and the setup tool: seventeen decimal integers, one per
// line, meaning fixed by position. The game reads lines 1 to 15 into DisplaySettingsRecord; the
// setup tool writes all seventeen. SETTINGS_FILE_LINES is the one description of the lines that
// the reader, the writer and SettingsFileValues follow.
#pragma once

#include <cstddef>

#include <d3d8.h>

// The lines of d3d.ini in file order, one row each:
//   LINE(value, type, form, read, field)
// `value` is the member of SettingsFileValues the setup tool fills and `type` the type that the
// written `form` prints; `read` is how the game reads the line (Unsigned, Format or Flag, see
// settings_file.cpp) into the member `field` of DisplaySettingsRecord, or NotRead for the last
// lines, which the game never reads (the reader stops before them, so they must stay last).
#define SETTINGS_FILE_LINES(LINE)                                                                  \
    LINE(Adapter, long, "%ld", Unsigned, Adapter)                                                  \
    LINE(Width, unsigned, "%u", Unsigned, DisplayMode.Width)                                       \
    LINE(Height, unsigned, "%u", Unsigned, DisplayMode.Height)                                     \
    LINE(RefreshRate, unsigned, "%u", Unsigned, DisplayMode.RefreshRate)                           \
    LINE(Format, int, "%d", Format, DisplayMode.Format)                                            \
    LINE(DepthStencilFormat, int, "%d", Format, DepthStencilFormat)                                \
    LINE(FilterMethod, int, "%d", Unsigned, FilterMethod)                                          \
    LINE(HardwareVertexProcessing, int, "%d", Flag, HardwareVertexProcessing)                      \
    LINE(MipMapping, int, "%d", Flag, MipMapping)                                                  \
    LINE(WBuffering, int, "%d", Flag, WBuffering)                                                  \
    LINE(SnowLayerCount, int, "%d", Unsigned, SnowLayerCount)                                      \
    LINE(Lighting, int, "%d", Flag, Lighting)                                                      \
    LINE(SrcBlendSrcColor, int, "%d", Flag, SrcBlendSrcColor)                                      \
    LINE(DestBlendDestColor, int, "%d", Flag, DestBlendDestColor)                                  \
    LINE(DestBlendSrcColor, int, "%d", Flag, DestBlendSrcColor)                                    \
    LINE(MaxTextureWidth, unsigned long, "%lu", NotRead, )                                         \
    LINE(MaxTextureHeight, unsigned long, "%lu", NotRead, )

// The number of lines d3d.ini holds.
#define SETTINGS_FILE_COUNT_LINE(value, type, form, read, field) +1
enum
{
    SettingsFileLineCount = 0 SETTINGS_FILE_LINES(SETTINGS_FILE_COUNT_LINE)
};
#undef SETTINGS_FILE_COUNT_LINE

// The texture filter method of line 7, as the setup tool's radio buttons choose it.
enum FilterMethodValue
{
    FilterPoint = 0,
    FilterLinear = 1,
    FilterAnisotropic = 2
};

// The snow layer counts of line 11, as the setup tool's radio buttons choose them.
enum SnowLayersValue
{
    SnowLayersNone = 0,
    SnowLayersLight = 8,
    SnowLayersModerate = 12,
    SnowLayersHeavy = 25
};

// What the game keeps of d3d.ini. Zero-initialised; fields after the first unreadable value keep
// what they held.
struct DisplaySettingsRecord
{
    DWORD Adapter;
    D3DDISPLAYMODE DisplayMode;
    D3DFORMAT DepthStencilFormat;
    DWORD FilterMethod; // a FilterMethodValue
    bool HardwareVertexProcessing;
    bool MipMapping;
    bool WBuffering;
    DWORD SnowLayerCount; // a SnowLayersValue as the setup tool writes it (any count is read)
    bool Lighting;
    bool SrcBlendSrcColor;
    bool DestBlendDestColor;
    bool DestBlendSrcColor;
};

// The seventeen values the setup tool writes, in file order.
#define SETTINGS_FILE_VALUE(value, type, form, read, field) type value;
struct SettingsFileValues
{
    SETTINGS_FILE_LINES(SETTINGS_FILE_VALUE)
};
#undef SETTINGS_FILE_VALUE

// The file's name, in the working directory of either program.
extern const char* const SettingsFileName;

// Reads lines 1 to 15 of the file at `path` into `settings` (the game passes d3d.ini). Returns
// null, or "Please run 3D Zendrill Config first." when the file cannot be opened; a short or
// malformed file is not an error.
const char* ReadSettingsFile(const char* path, DisplaySettingsRecord* settings);

// Lays out the seventeen values as d3d.ini holds them, `lineBreak` between two values and none
// after the last, zero-terminated in `text`. WriteSettingsFile passes the platform's text line
// break. Returns the length, or -1 when `size` is too small.
int FormatSettingsText(const SettingsFileValues& values, const char* lineBreak, char* text,
                       size_t size);

// Writes the seventeen values to `path` with the platform's text line break (LF; CR LF on
// Windows) so that a reader never sees a half-written file (a temporary file beside it, moved
// over it). Returns null, or a constant text saying why the file could not be written.
const char* WriteSettingsFile(const char* path, const SettingsFileValues& values);
