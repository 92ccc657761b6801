// The setup tool's shell: its entry point (WinMain, in setup_app.cpp), the hidden owner window and
// the start-up chain that ends by running the settings dialog.
#pragma once

#include <windows.h>

// Lives for the whole run: the instance (the Windows dialog view loads "MyDB" from it) and the
// hidden window that owns the dialog.
extern HINSTANCE SetupInstance;
extern HWND SetupWindow;

// The hidden window's procedure: WM_DESTROY posts the quit message, all else goes to
// DefWindowProcA.
LRESULT CALLBACK SetupWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the Direct3D object, reads the desktop mode, enumerates the adapters and runs the
// settings dialog. Returns null after a Save, or the text of what stopped it ("User Clicked
// Cancel." when the user cancelled). Leaves Direct3D for the caller to release.
const char* RunSetup();
