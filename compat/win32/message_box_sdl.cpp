// The modal message box: the caption, the text and an OK button, echoed to standard error first so
// scripts and logs see every message the programs show. A full-screen owner steps aside while
// its box is up, so the box is seen.
//
// SDL's own box comes first. It draws with the X server's core fonts, which many machines lack
// (only the server's built-in "fixed" and "cursor" exist without the font packages), so where it
// cannot be shown a desktop dialog program shows the box instead: zenity (GTK, fonts drawn by the
// program itself, on X and Wayland alike), kdialog (KDE), then xmessage (any X server). Only
// where none of them exists, or there is no display at all, is OK answered without a box.
//
// A termination request (SIGTERM, SIGINT, SIGHUP) while the box is up closes the box: the box
// answers OK, the request is passed on to whoever handled it before, and the program shuts down
// as after a closed box. Both kinds of box run in child processes (SDL forks its own), so closing
// means ending the children the box started. No thread is started for this: forking while
// another thread allocates is unsafe under some allocators (the sanitizers').
#include <SDL.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/log/log.h"
#include "standin_window.h"
#include "window_registry.h"

extern char** environ;

namespace
{
const int TerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};
const int TerminationSignalCount = 3;

volatile sig_atomic_t TerminationRequest = 0;
struct sigaction PreviousActions[TerminationSignalCount];

// The box's processes are the children of the thread that shows it which did not exist before:
// the kernel lists a thread's children in /proc/self/task/<thread>/children. The list is read
// with plain system calls, as it is read again inside the signal handler.
char ChildListPath[64];
char ChildrenBefore[256];

ssize_t ReadChildList(char* list, size_t size)
{
    const int file = open(ChildListPath, O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return 0;
    ssize_t length = read(file, list, size - 1);
    close(file);
    if (length < 0)
        length = 0;
    list[length] = '\0';
    return length;
}

// Reads the next process number of a child list into pid; the rest of the list, or null at its end.
const char* NextPid(const char* list, long* pid)
{
    while (*list && (*list < '0' || *list > '9'))
        ++list;
    if (!*list)
        return nullptr;
    *pid = 0;
    while (*list >= '0' && *list <= '9')
        *pid = *pid * 10 + (*list++ - '0');
    return list;
}

bool ListHolds(const char* list, long pid)
{
    long entry = 0;
    while ((list = NextPid(list, &entry)))
        if (entry == pid)
            return true;
    return false;
}

// The signal handler: notes the request and ends the box's processes. They are killed outright,
// because a box SDL forked carries this process's own handler for the polite signals.
void NoteTermination(int signal)
{
    const int saved = errno;
    TerminationRequest = signal;
    char now[256];
    ReadChildList(now, sizeof now);
    long child = 0;
    for (const char* list = now; (list = NextPid(list, &child));)
        if (!ListHolds(ChildrenBefore, child))
            kill(static_cast<pid_t>(child), SIGKILL);
    errno = saved;
}

void CatchTermination()
{
    TerminationRequest = 0;
    std::snprintf(ChildListPath, sizeof ChildListPath, "/proc/self/task/%ld/children",
                  static_cast<long>(syscall(SYS_gettid)));
    ReadChildList(ChildrenBefore, sizeof ChildrenBefore);
    struct sigaction action = {};
    action.sa_handler = NoteTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int i = 0; i < TerminationSignalCount; ++i)
        sigaction(TerminationSignals[i], &action, &PreviousActions[i]);
}

// Puts the earlier handlers back and hands them a request that arrived while the box was up, so
// SDL still turns it into a quit request. A default action is not run: the request closed the
// box, and the program shuts down as after a closed box.
void ReleaseTermination()
{
    for (int i = 0; i < TerminationSignalCount; ++i)
        sigaction(TerminationSignals[i], &PreviousActions[i], nullptr);
    const int signal = TerminationRequest;
    if (!signal)
        return;
    for (int i = 0; i < TerminationSignalCount; ++i)
    {
        if (TerminationSignals[i] != signal)
            continue;
        const struct sigaction& previous = PreviousActions[i];
        if (previous.sa_flags & SA_SIGINFO)
        {
            if (previous.sa_sigaction)
            {
                siginfo_t info = {};
                info.si_signo = signal;
                previous.sa_sigaction(signal, &info, nullptr);
            }
        }
        else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN)
        {
            previous.sa_handler(signal);
        }
    }
}

// Runs a dialog program with arguments and waits for it. False only when it could not be started
// (not installed); its own answer does not matter, the box has only OK.
bool RunDialogProgram(const std::vector<std::string>& words)
{
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    return true;
}

// The desktop dialog programs, best first. Each shows the text as it is (no markup) with OK.
bool ShowWithDialogProgram(const char* caption, const char* text, UINT type)
{
    const char* zenityKind = "--info";
    const char* kdialogKind = "--msgbox";
    switch (type & 0xF0)
    {
    case MB_ICONERROR:
        zenityKind = "--error";
        kdialogKind = "--error";
        break;
    case MB_ICONWARNING:
        zenityKind = "--warning";
        kdialogKind = "--sorry";
        break;
    default:
        break;
    }
    const std::vector<std::string> programs[] = {
        {"zenity", zenityKind, "--no-markup", std::string("--title=") + caption,
         std::string("--text=") + text},
        {"kdialog", "--title", caption, kdialogKind, text},
        {"xmessage", "-center", "-title", caption, "-buttons", "OK:0", "-default", "OK", text},
    };
    for (const std::vector<std::string>& program : programs)
        if (RunDialogProgram(program))
            return true;
    return false;
}

bool HasDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}
} // namespace

int WINAPI MessageBoxA(HWND hwnd, LPCSTR text, LPCSTR caption, UINT type)
{
    // The platform captions a box without a caption "Error".
    const char* shownCaption = caption ? caption : "Error";
    const char* shownText = text ? text : "";
    // The "caption: text" line, which scripts and tests read.
    Log(shownCaption, "%s", shownText);
    std::fflush(stdout);

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
    // of the mouse (relative mode, cursor) while its box is up and takes it back afterwards.
    SDL_Window* owner = Win32WindowProcedure(hwnd) ? SdlWindowFromHwnd(hwnd) : nullptr;
    const SDL_MessageBoxData box = {flags, owner, shownCaption, shownText, 1, &ok, nullptr};

    // A full-screen owner would hide its box: a box of its own process is not the owner's child
    // on every window system (Wayland's comes from a separate program, and the compositor keeps
    // it behind the full-screen surface), so the player saw only black. The owner steps aside
    // while its box is up, as a full-screen program is minimised when another window comes in
    // front, and comes back afterwards.
    SDL_Window* steppedAside = nullptr;
    if (owner && (SDL_GetWindowFlags(owner) & SDL_WINDOW_FULLSCREEN) &&
        (SDL_GetWindowFlags(owner) & SDL_WINDOW_SHOWN))
    {
        steppedAside = owner;
        SDL_HideWindow(owner);
        SDL_PumpEvents(); // the window system hears of it before the box appears
    }

    CatchTermination();

    int button = IDOK;
    if (SDL_ShowMessageBox(&box, &button) != 0 && !TerminationRequest)
    {
        const std::string reason = SDL_GetError();
        bool shown = false;
        if (HasDisplay())
        {
            // The desktop's dialog needs the mouse, which the game may hold.
            const SDL_bool relative = SDL_GetRelativeMouseMode();
            SDL_SetRelativeMouseMode(SDL_FALSE);
            const int cursor = SDL_ShowCursor(SDL_ENABLE);
            shown = ShowWithDialogProgram(shownCaption, shownText, type);
            SDL_ShowCursor(cursor);
            SDL_SetRelativeMouseMode(relative);
        }
        if (!shown)
            Log("MessageBoxA", "no display can show the box (%s); answering OK", reason.c_str());
    }

    ReleaseTermination();
    if (steppedAside)
        SDL_ShowWindow(steppedAside);
    // OK is the only button, and closing the box answers it too.
    return IDOK;
}
