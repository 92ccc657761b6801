// The programs' icon as files: PNG pictures at the desktop's icon-theme sizes and at the browser
// page's, and one Windows icon file holding several sizes. Each writer returns null or a message.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Every icon file written into a run folder, relative to it, in writing order.
std::vector<std::string> IconFiles();
// Paints the icon at every size and writes IconFiles() into `run` (folders made as needed).
const char* WriteIconFiles(const std::filesystem::path& run);
