// The C entry point of a program written for the platform: builds the command line from the
// arguments, runs the program's WinMain and shuts SDL down after it.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <string>

#include "windows.h"

int main(int argc, char** argv)
{
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
    SDL_SetMainReady();
    const int result =
        WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
    SDL_Quit();
    return result;
}
