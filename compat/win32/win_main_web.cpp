// The C entry point of a program written for the platform, in a browser: builds the command line
// from the arguments the page passes (Module.arguments; normally none), runs the program's
// WinMain, then tells the page that the program has ended.
#include <emscripten.h>

#include <sys/stat.h>

#include <string>

#include "windows.h"

int main(int argc, char** argv)
{
    // The browser's runtime starts the program with a file-creation mask of 0777, so every file
    // it made (d3d.ini among them) would be created unreadable; a program started from a shell
    // gets 022.
    umask(022);
    // The platform hands WinMain the arguments after the program name as one line; arguments
    // holding blanks keep their quotes.
    std::string commandLine;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (!commandLine.empty())
            commandLine += ' ';
        const bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        commandLine += quote ? "\"" + argument + "\"" : argument;
    }
    const int result =
        WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
    // clang-format off
    EM_ASM(
        {
            if (typeof zendrillEnded === "function")
                zendrillEnded($0);
        },
        result);
    // clang-format on
    return result;
}
