// The d3d.ini format shared by the game and the setup tool: seventeen decimal integers, one per
// line, meaning fixed by position. The game reads lines 1 to 15 into DisplaySettingsRecord; the
// setup tool writes all seventeen.
#pragma once

#include <cstddef>

#include <d3d8.h>

// What the game keeps of d3d.ini. Zero-initialised; fields after the first unreadable value keep
// what they held.
struct DisplaySettingsRecord
{
    DWORD Adapter;
    D3DDISPLAYMODE DisplayMode;
    D3DFORMAT DepthStencilFormat;
    DWORD FilterMethod; // 0 point, 1 linear, 2 anisotropic
    bool HardwareVertexProcessing;
    bool MipMapping;
    bool WBuffering;
    DWORD SnowLayerCount; // 0, 8, 12 or 25 as the setup tool writes it
    bool Lighting;
    bool SrcBlendSrcColor;
    bool DestBlendDestColor;
    bool DestBlendSrcColor;
};

// The seventeen values the setup tool writes, in file order.
struct SettingsFileValues
{
    LONG Adapter;
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    int Format;
    int DepthStencilFormat;
    int FilterMethod;
    int HardwareVertexProcessing;
    int MipMapping;
    int WBuffering;
    int SnowLayerCount;
    int Lighting;
    int SrcBlendSrcColor;
    int DestBlendDestColor;
    int DestBlendSrcColor;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
};

// The file's name, in the working directory of either program.
extern const char* const SettingsFileName;

// Reads lines 1 to 15 of the file at `path` into `settings` (the game passes d3d.ini). Returns
// null, or "Please run 3D Zendrill Config first." when the file cannot be opened; a short or
// malformed file is not an error.
const char* ReadSettingsFile(const char* path, DisplaySettingsRecord* settings);

// Lays out the seventeen values as d3d.ini holds them, `lineBreak` between two values and none
// after the last, zero-terminated in `text`. Called by WriteSettingsFile with the platform's text
// line break. Returns the length, or -1 when `size` is too small.
int FormatSettingsText(const SettingsFileValues& values, const char* lineBreak, char* text,
                       size_t size);

// Writes the seventeen values to `path` with the platform's text line break (LF; CR LF on
// Windows) so that a reader never sees a half-written file (a temporary file beside it, moved
// over it). Called by the setup tool's save. Returns null, or a constant text saying why the file
// could not be written.
const char* WriteSettingsFile(const char* path, const SettingsFileValues& values);
