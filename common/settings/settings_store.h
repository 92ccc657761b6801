// The platform half of saving d3d.ini: the text line break and the replacement of a file's whole
// contents. One source file per platform implements it (settings_store_standin.cpp,
// settings_store_win32.cpp); the format itself lives in settings_file.cpp.
#pragma once

#include <cstddef>

// What a text-mode file holds for a line break on this platform: "\n", or "\r\n" on Windows.
extern const char* const SettingsLineBreak;

// Replaces the file at `path` with the `length` bytes of `text`: they go to a temporary file in the
// same folder, reach the disk, and then take the old file's place in one step, so the file is
// either the old one or the new one, never a truncated or mixed one. Returns null, or "Could not
// write d3d.ini." (temporary file not made or written; nothing changed) or "Could not replace
// d3d.ini." (the move failed; the old file is left as it was). The temporary file never outlives a
// failure.
const char* ReplaceSettingsFile(const char* path, const char* text, size_t length);
