// MessageBoxA in a browser: the same "caption: text" line on standard error (the browser's
// console), and a modal box on the page that the program waits on until the player presses OK.

#include "common/log/log.h"
#include "page_web.h"
#include "windows.h"

int WINAPI MessageBoxA(HWND hwnd, LPCSTR text, LPCSTR caption, UINT type)
{
    (void)hwnd;
    if (type & ~UINT(MB_ICONERROR | MB_ICONWARNING | MB_ICONINFORMATION | MB_OK))
        Log("MessageBoxA", "only an OK button is offered");
    const char* shownCaption = caption ? caption : "Error";
    const char* shownText = text ? text : "";
    Log(shownCaption, "%s", shownText);
    PageMessageBox(shownCaption, shownText);
    return IDOK;
}
