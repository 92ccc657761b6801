// The modal message box: a real SDL message box with the caption, the text and an OK button,
// echoed to standard error first so scripts and logs see every message the programs show.
#include <SDL.h>

#include <cstdio>

#include "window_registry.h"
#include "standin_window.h"

int WINAPI MessageBoxA(HWND hwnd, LPCSTR text, LPCSTR caption, UINT type)
{
    // The platform captions a box without a caption "Error".
    const char* shownCaption = caption ? caption : "Error";
    const char* shownText = text ? text : "";
    std::fprintf(stderr, "%s: %s\n", shownCaption, shownText);
    std::fflush(stderr);

    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    switch (type & 0xF0)
    {
    case MB_ICONERROR:
        flags = SDL_MESSAGEBOX_ERROR;
        break;
    case MB_ICONWARNING:
        flags = SDL_MESSAGEBOX_WARNING;
        break;
    default:
        break;
    }
    const SDL_MessageBoxButtonData ok = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                                             SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                                         IDOK, "OK"};
    // The box is owned by the window when it is one of ours and still alive. SDL itself lets go
    // of the mouse (relative mode, cursor) while the box is up and takes it back afterwards.
    SDL_Window* owner = Win32WindowProcedure(hwnd) ? SdlWindowFromHwnd(hwnd) : nullptr;
    const SDL_MessageBoxData box = {flags, owner, shownCaption, shownText, 1, &ok, nullptr};
    int button = IDOK;
    if (SDL_ShowMessageBox(&box, &button) != 0)
        std::fprintf(stderr, "MessageBoxA: no display can show the box (%s); answering OK\n",
                     SDL_GetError());
    // OK is the only button, and closing the box answers it too.
    return IDOK;
}
