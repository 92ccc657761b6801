// The window class, the window and the message queue on SDL's dummy driver: what a program's
// loop sees in what order, one SDL event per call, the quit and close paths, focus messages,
// filters and the queue's limit.
#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "standin_window.h"
#include "windows.h"

namespace
{
constexpr UINT AppMessage = 0x0400; // the platform's first private message number

struct Heard
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
};

std::vector<Heard> Log;
BOOL NestedDestroyResult = -1;
bool PostDuringDestroy = false;

// Answers as the game's procedure does (WM_DESTROY quits), and records everything.
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log.push_back({hwnd, message, wParam});
    if (message == WM_DESTROY)
    {
        if (PostDuringDestroy)
        {
            // Still a window while it hears WM_DESTROY, but one that is already going.
            EXPECT_TRUE(PostMessageA(hwnd, AppMessage + 5, 0, 0));
            NestedDestroyResult = DestroyWindow(hwnd);
        }
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void PushWindowEvent(HWND hwnd, Uint8 what)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(SdlWindowFromHwnd(hwnd));
    event.window.event = what;
    ASSERT_EQ(1, SDL_PushEvent(&event));
}

void PushKey(SDL_Scancode scancode)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.scancode = scancode;
    ASSERT_EQ(1, SDL_PushEvent(&event));
}

int PendingSdlEvents()
{
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
}

// The game's loop: one message per iteration, ends on WM_QUIT and answers its exit code;
// -1 when it did not end within the given iterations.
int RunLoop(HWND hwnd, int iterations)
{
    MSG msg;
    for (int i = 0; i < iterations; ++i)
    {
        if (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return -1;
}

class WindowQueue : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "QueueClass";
        ClassAtom = RegisterClassA(&wc);
        ASSERT_NE(0, ClassAtom);
    }

    void SetUp() override
    {
        hwnd = CreateWindowExA(0, "QueueClass", "queue", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr,
                               nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, hwnd);
        Drain();
        Log.clear();
        NestedDestroyResult = -1;
        PostDuringDestroy = false;
    }

    void TearDown() override
    {
        DestroyWindow(hwnd);
        Drain();
    }

    static void Drain()
    {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }

    static ATOM ClassAtom;
    HWND hwnd = nullptr;
};
ATOM WindowQueue::ClassAtom = 0;

TEST_F(WindowQueue, ClassesNeedNameAndProcedureAndAreUniqueIgnoringCase)
{
    WNDCLASSA wc{};
    EXPECT_EQ(0, RegisterClassA(nullptr));
    wc.lpszClassName = "NoProcedure";
    EXPECT_EQ(0, RegisterClassA(&wc));
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "queueclass";
    EXPECT_EQ(0, RegisterClassA(&wc));

    EXPECT_EQ(nullptr, CreateWindowExA(0, "NoSuchClass", "x", 0, 0, 0, 10, 10, nullptr, nullptr,
                                       nullptr, nullptr));
    // A class named by its atom.
    HWND byAtom = CreateWindowExA(0, reinterpret_cast<LPCSTR>(uintptr_t(ClassAtom)), "atom", 0, 0,
                                  0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, byAtom);
    EXPECT_TRUE(PostMessageA(byAtom, AppMessage, 0, 0));
    EXPECT_TRUE(DestroyWindow(byAtom));
}

TEST_F(WindowQueue, WindowIsHiddenUntilShown)
{
    SDL_Window* window = SdlWindowFromHwnd(hwnd);
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN);
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL)); // answers whether it was visible before
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);
    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_HIDDEN);

    HWND visible = CreateWindowExA(0, "QueueClass", "v", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 10,
                                   10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, visible);
    EXPECT_TRUE(SDL_GetWindowFlags(SdlWindowFromHwnd(visible)) & SDL_WINDOW_SHOWN);
    DestroyWindow(visible);
}

TEST_F(WindowQueue, PostedMessagesComeFirstInOrderAndQuitPassesEveryFilter)
{
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_CLOSE);
    ASSERT_TRUE(PostMessageA(hwnd, AppMessage + 1, 11, 0));
    ASSERT_TRUE(PostMessageA(nullptr, AppMessage + 2, 22, 0)); // to the thread, no window
    PostQuitMessage(7);
    ASSERT_TRUE(PostMessageA(hwnd, AppMessage + 3, 33, 0));

    MSG msg;
    // Looking without removing shows the same message again.
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(AppMessage + 1, msg.message);
    // Filtered by the window: the thread message is passed over, WM_QUIT is not.
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(AppMessage + 1, msg.message);
    EXPECT_EQ(hwnd, msg.hwnd);
    EXPECT_EQ(11u, msg.wParam);
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(nullptr, msg.hwnd);
    EXPECT_EQ(7u, msg.wParam);
    // Filtered by range: only the message inside it.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, AppMessage + 3, AppMessage + 3, PM_REMOVE));
    EXPECT_EQ(AppMessage + 3, msg.message);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(AppMessage + 2, msg.message);
    EXPECT_EQ(22u, msg.wParam);
    // The SDL event waited until the posted messages were gone.
    EXPECT_EQ(1, PendingSdlEvents());
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), msg.message);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowQueue, HandlesAtMostOneSdlEventPerCall)
{
    PushKey(SDL_SCANCODE_A);
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_CLOSE);
    PushKey(SDL_SCANCODE_B);
    ASSERT_EQ(3, PendingSdlEvents());

    MSG msg;
    // A key makes no message (input is read through DirectInput) but is used up.
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(2, PendingSdlEvents());
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), msg.message);
    EXPECT_EQ(hwnd, msg.hwnd);
    EXPECT_EQ(1, PendingSdlEvents());
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(0, PendingSdlEvents());
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowQueue, CloseRequestDestroysTheWindowAndEndsTheLoop)
{
    PostDuringDestroy = true;
    ASSERT_TRUE(PostMessageA(hwnd, AppMessage, 0, 0));
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_CLOSE);

    EXPECT_EQ(0, RunLoop(hwnd, 10));
    ASSERT_EQ(3u, Log.size());
    EXPECT_EQ(AppMessage, Log[0].message);
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), Log[1].message);
    EXPECT_EQ(static_cast<UINT>(WM_DESTROY), Log[2].message);
    EXPECT_EQ(hwnd, Log[2].hwnd);
    EXPECT_FALSE(NestedDestroyResult); // a window is destroyed once

    // The window is gone: what was posted to it is dropped, nothing reaches it any more.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostMessageA(hwnd, AppMessage, 0, 0));
    msg = {};
    msg.hwnd = hwnd;
    msg.message = AppMessage;
    EXPECT_EQ(0, DispatchMessageA(&msg));
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
    EXPECT_EQ(3u, Log.size());
}

TEST_F(WindowQueue, PostedDestroyReachesTheProcedureAndQuits)
{
    // Escape held for three steps posts three WM_DESTROY before the loop reads any; each one
    // reaches the procedure, and the quit they ask for comes after them.
    for (int step = 0; step < 3; ++step)
        ASSERT_TRUE(PostMessageA(hwnd, WM_DESTROY, 0, 0));
    EXPECT_EQ(0, RunLoop(hwnd, 10));
    ASSERT_EQ(3u, Log.size());
    for (const Heard& heard : Log)
        EXPECT_EQ(static_cast<UINT>(WM_DESTROY), heard.message);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE)); // the later quits
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    // A posted WM_DESTROY is only a message: the window itself lives on.
    EXPECT_TRUE(PostMessageA(hwnd, AppMessage, 0, 0));
}

TEST_F(WindowQueue, QuitRequestClosesEveryWindowThenQuitsWhenNoneIsLeft)
{
    HWND second = CreateWindowExA(0, "QueueClass", "second", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, second);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), msg.message);
    EXPECT_EQ(hwnd, msg.hwnd);
    DispatchMessageA(&msg);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), msg.message);
    EXPECT_EQ(second, msg.hwnd);
    DispatchMessageA(&msg);
    Drain(); // the two WM_QUIT the procedure posted

    SDL_PushEvent(&quit);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
}

TEST_F(WindowQueue, FocusChangesAreSentToTheProcedure)
{
    MSG msg;
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    PushWindowEvent(hwnd, SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    ASSERT_EQ(4u, Log.size());
    EXPECT_EQ(static_cast<UINT>(WM_ACTIVATE), Log[0].message);
    EXPECT_EQ(static_cast<WPARAM>(WA_INACTIVE), Log[0].wParam);
    EXPECT_EQ(static_cast<UINT>(WM_ACTIVATEAPP), Log[1].message);
    EXPECT_EQ(static_cast<WPARAM>(FALSE), Log[1].wParam);
    EXPECT_EQ(static_cast<UINT>(WM_ACTIVATEAPP), Log[2].message);
    EXPECT_EQ(static_cast<WPARAM>(TRUE), Log[2].wParam);
    EXPECT_EQ(static_cast<UINT>(WM_ACTIVATE), Log[3].message);
    EXPECT_EQ(static_cast<WPARAM>(WA_ACTIVE), Log[3].wParam);
}

TEST_F(WindowQueue, FullQueueRefusesPostsButNotQuit)
{
    int posted = 0;
    while (PostMessageA(hwnd, AppMessage, 0, 0) && posted < 20000)
        ++posted;
    EXPECT_EQ(10000, posted);
    PostQuitMessage(3);

    MSG msg;
    int taken = 0;
    while (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE) && msg.message == AppMessage)
        ++taken;
    EXPECT_EQ(10000, taken);
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(3u, msg.wParam);
    EXPECT_TRUE(PostMessageA(hwnd, AppMessage, 0, 0));
}
} // namespace
