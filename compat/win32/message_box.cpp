// The modal message box: the caption, the text and an OK button, echoed to standard error first so
// scripts and logs see every message the programs show.
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
// means ending the children the box started.
#include <SDL.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "standin_window.h"
#include "window_registry.h"

extern char** environ;

namespace
{
const int TerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};
const int TerminationSignalCount = 3;

// Written by the signal handler, read by the box's watcher: 'T' a termination request arrived,
// 'D' the box is done.
int WakePipe[2] = {-1, -1};
volatile sig_atomic_t TerminationRequest = 0;
struct sigaction PreviousActions[TerminationSignalCount];

void NoteTermination(int signal)
{
    TerminationRequest = signal;
    const int saved = errno;
    const char wake = 'T';
    if (write(WakePipe[1], &wake, 1) < 0)
    {
        // Nothing more can be done inside a signal handler; the box stays until it is closed.
    }
    errno = saved;
}

// The processes whose parent is this one.
std::vector<pid_t> ChildProcesses()
{
    std::vector<pid_t> children;
    DIR* proc = opendir("/proc");
    if (!proc)
        return children;
    const pid_t self = getpid();
    while (const dirent* entry = readdir(proc))
    {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        const std::string path = std::string("/proc/") + entry->d_name + "/stat";
        FILE* stat = std::fopen(path.c_str(), "r");
        if (!stat)
            continue;
        char line[512] = {};
        const bool read = std::fgets(line, sizeof line, stat) != nullptr;
        std::fclose(stat);
        // "pid (name) state ppid ...": the name may hold spaces and parentheses itself.
        const char* close = read ? std::strrchr(line, ')') : nullptr;
        char state = 0;
        long parent = 0;
        if (close && std::sscanf(close + 1, " %c %ld", &state, &parent) == 2 && parent == self)
            children.push_back(static_cast<pid_t>(pid));
    }
    closedir(proc);
    return children;
}

bool Contains(const std::vector<pid_t>& list, pid_t pid)
{
    for (const pid_t entry : list)
        if (entry == pid)
            return true;
    return false;
}

// Watches for termination requests while a box is up and ends the box's processes (every child
// that did not exist before the box) when one arrives. They are killed outright: a box SDL forked
// carries this process's own handler for the polite signals.
void WatchForTermination(std::vector<pid_t> before)
{
    for (;;)
    {
        char wake = 0;
        const ssize_t got = read(WakePipe[0], &wake, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || wake == 'D')
            return;
        for (const pid_t child : ChildProcesses())
            if (!Contains(before, child))
                kill(child, SIGKILL);
    }
}

void CatchTermination()
{
    TerminationRequest = 0;
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
    std::fprintf(stderr, "%s: %s\n", shownCaption, shownText);
    std::fflush(stderr);
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

    const bool watching = pipe2(WakePipe, O_CLOEXEC) == 0;
    std::thread watcher;
    if (watching)
    {
        watcher = std::thread(WatchForTermination, ChildProcesses());
        CatchTermination();
    }

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
            std::fprintf(stderr, "MessageBoxA: no display can show the box (%s); answering OK\n",
                         reason.c_str());
    }

    if (watching)
    {
        const char done = 'D';
        if (write(WakePipe[1], &done, 1) == 1)
            watcher.join();
        else
            watcher.detach();
        ReleaseTermination();
        close(WakePipe[0]);
        close(WakePipe[1]);
        WakePipe[0] = WakePipe[1] = -1;
    }
    // OK is the only button, and closing the box answers it too.
    return IDOK;
}
