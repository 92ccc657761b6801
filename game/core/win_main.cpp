// The game's entry point: registers the window class, creates the focus window, runs start-up,
// the main loop and shutdown, and turns the outcome into the exit code.
#include <windows.h>

#include "game/core/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Without a window there is nothing to show a message in; the exit code still tells a
    // script that the game never ran.
    if (!CreateGameWindow(instance))
        return 1;

    InitGame();
    // A failed start-up has shown its box already and ends with a non-zero code.
    int exitCode = 1;
    if (ErrorText == nullptr)
        exitCode = RunMainLoop();
    ReleaseAll();
    return exitCode;
}
