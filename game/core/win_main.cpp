// The game's entry point: registers the window class, creates the focus window, runs start-up,
// the main loop and shutdown, and turns the outcome into the exit code.
#include <windows.h>

#include "game/core/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "D3D_Zendrill.ico");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "DXClass";

    // Without a window there is nothing to show a message in; the exit code still tells a
    // script that the game never ran.
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND hwnd = CreateWindowExA(0, "DXClass", "D3D Zendrill", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr)
        return 1;
    GameWindow = hwnd;
    GameInstance = instance;
    ShowWindow(hwnd, SW_SHOWNORMAL);

    InitGame();
    // A failed start-up has shown its box already and ends with a non-zero code.
    int exitCode = 1;
    if (ErrorText == nullptr)
        exitCode = RunMainLoop();
    ReleaseAll();
    return exitCode;
}
