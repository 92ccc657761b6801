// The setup tool's entry point and start-up chain: hidden owner window, Direct3D object, desktop
// mode, adapter table, then the settings dialog.
#include "setup/setup_app.h"

#include <cstdio>

#include "setup/enumeration.h"
#include "setup/settings_dialog_view.h"

// Lives for the whole run.
HINSTANCE SetupInstance;
HWND SetupWindow;

LRESULT CALLBACK SetupWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

const char* RunSetup()
{
    Direct3D = Direct3DCreate8(220);
    if (!Direct3D)
        return "Failed to obtain pointer to D3D Interface.";
    if (Direct3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &DesktopMode) != D3D_OK)
        return "Failed to obtain current display mode.";
    if (const char* text = EnumerateAdapters())
        return text;

    SettingsDialog dialog = {};
    if (RunSettingsDialog(&dialog) == DialogCancelled)
        return "User Clicked Cancel.";
    return nullptr;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    SetupInstance = instance;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = SetupWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "D3D_Zendrill.ico");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "DXClass";
    if (!RegisterClassA(&windowClass))
        return 0;

    // Never shown: it only owns the dialog, as the game's window owns its message boxes.
    SetupWindow = CreateWindowExA(0, "DXClass", "D3D Zendrill", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                  nullptr, nullptr, instance, nullptr);
    if (!SetupWindow)
        return 0;

    // Nothing is shown on screen when the setup stops early or is cancelled; scripts and the
    // user at a terminal still learn why no d3d.ini was written.
    if (const char* text = RunSetup())
        fprintf(stderr, "zendrill-setup: %s\n", text);

    if (Direct3D)
    {
        Direct3D->Release();
        Direct3D = nullptr;
    }
    FreeAdapterTable();
    DestroyWindow(SetupWindow);
    SetupWindow = nullptr;
    return 0;
}
