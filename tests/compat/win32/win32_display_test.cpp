// The Win32 stand-in on a real X display (its own Xvfb, no window manager): a shown window is an
// OpenGL window with focus, the pointer moves, focus changes reach the window procedure, the
// window system's close request ends the loop, and the message box is closed as a user would.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/syscall.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "standin_window.h"
#include "windows.h"

namespace
{
std::vector<std::pair<UINT, WPARAM>> Log;

LRESULT CALLBACK GameLikeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log.push_back({message, wParam});
    if (message == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r"))
    {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        pclose(pipe);
    }
    return text;
}

unsigned long XWindowOf(HWND hwnd)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(SdlWindowFromHwnd(hwnd), &info))
        return 0;
    return static_cast<unsigned long>(info.info.x11.window);
}

bool HasFocus(HWND hwnd)
{
    return SDL_GetWindowFlags(SdlWindowFromHwnd(hwnd)) & SDL_WINDOW_INPUT_FOCUS;
}

bool Heard(UINT message, WPARAM wParam)
{
    for (const auto& entry : Log)
        if (entry.first == message && entry.second == wParam)
            return true;
    return false;
}

// Runs the game's kind of loop (one message per iteration) until the condition holds or two
// seconds have passed; answers the WM_QUIT code, or -1 when no WM_QUIT came.
template <typename Condition> int Spin(HWND hwnd, Condition done)
{
    const Uint64 deadline = SDL_GetTicks64() + 2000;
    MSG msg;
    while (!done() && SDL_GetTicks64() < deadline)
    {
        if (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        else
            SDL_Delay(1);
    }
    return -1;
}

class OnDisplay : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = GameLikeProc;
        wc.lpszClassName = "DXClass";
        ASSERT_NE(0, RegisterClassA(&wc));
    }

    void SetUp() override
    {
        hwnd = CreateWindowExA(0, "DXClass", "D3D Test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, hwnd);
        ShowWindow(hwnd, SW_SHOWNORMAL);
        Log.clear();
    }

    void TearDown() override
    {
        DestroyWindow(hwnd);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }

    HWND hwnd = nullptr;
};

TEST_F(OnDisplay, ShownWindowIsAnOpenGLWindowWithFocus)
{
    const Uint32 flags = SDL_GetWindowFlags(SdlWindowFromHwnd(hwnd));
    EXPECT_TRUE(flags & SDL_WINDOW_OPENGL);
    EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
    // Focus is there as soon as ShowWindow returns: the program acquires its keyboard next.
    EXPECT_TRUE(flags & SDL_WINDOW_INPUT_FOCUS);
    EXPECT_STREQ("D3D Test", SDL_GetWindowTitle(SdlWindowFromHwnd(hwnd)));
}

TEST_F(OnDisplay, SetCursorPosMovesThePointerInScreenCoordinates)
{
    ASSERT_TRUE(SetCursorPos(200, 150));
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    EXPECT_EQ(200, x);
    EXPECT_EQ(150, y);
    ASSERT_TRUE(SetCursorPos(5, 700));
    SDL_GetGlobalMouseState(&x, &y);
    EXPECT_EQ(5, x);
    EXPECT_EQ(700, y);
}

TEST_F(OnDisplay, FocusChangesReachTheProcedure)
{
    ASSERT_TRUE(HasFocus(hwnd));
    // Another window takes the focus, then the user clicks back into ours.
    SDL_Window* other = SDL_CreateWindow("other", 700, 0, 100, 100, 0);
    ASSERT_NE(nullptr, other);
    SDL_SetWindowInputFocus(other);
    Spin(hwnd, [] { return Heard(WM_ACTIVATEAPP, FALSE); });
    EXPECT_TRUE(Heard(WM_ACTIVATE, WA_INACTIVE));
    EXPECT_TRUE(Heard(WM_ACTIVATEAPP, FALSE));
    EXPECT_FALSE(HasFocus(hwnd));

    Log.clear();
    const std::string command =
        "xdotool windowfocus --sync " + std::to_string(XWindowOf(hwnd)) + " 2>&1";
    Output(command);
    Spin(hwnd, [] { return Heard(WM_ACTIVATE, WA_ACTIVE); });
    ASSERT_GE(Log.size(), 2u);
    EXPECT_EQ(std::make_pair(static_cast<UINT>(WM_ACTIVATEAPP), static_cast<WPARAM>(TRUE)), Log[0]);
    EXPECT_EQ(std::make_pair(static_cast<UINT>(WM_ACTIVATE), static_cast<WPARAM>(WA_ACTIVE)),
              Log[1]);
    EXPECT_TRUE(HasFocus(hwnd));
    SDL_DestroyWindow(other);
}

TEST_F(OnDisplay, WindowSystemCloseRequestEndsTheLoop)
{
    // What a window manager sends when the user clicks the close box.
    ::Display* x = XOpenDisplay(nullptr);
    ASSERT_NE(nullptr, x);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = XWindowOf(hwnd);
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(x);

    EXPECT_EQ(0, Spin(hwnd, [] { return false; }));
    EXPECT_TRUE(Heard(WM_CLOSE, 0));
    EXPECT_TRUE(Heard(WM_DESTROY, 0));
    EXPECT_FALSE(SDL_GetWindowFlags(SdlWindowFromHwnd(hwnd)) & SDL_WINDOW_SHOWN);
}

TEST_F(OnDisplay, MessageBoxWaitsForTheUserAndEchoesToStandardError)
{
    // Standard error goes to a file for the length of the box.
    char path[] = "/tmp/win32_box_XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    std::fflush(stderr);
    const int savedStderr = dup(2);
    dup2(file, 2);

    // The user: waits for the box to appear, clicks into it and presses Return. The box runs in a
    // process SDL forks; until that fork has happened this thread allocates nothing, because a
    // sanitizer's allocator is not safe to fork while another thread holds its lock.
    char children[64];
    std::snprintf(children, sizeof children, "/proc/self/task/%ld/children",
                  static_cast<long>(syscall(SYS_gettid)));
    bool pressed = false;
    std::thread user(
        [&pressed, &children]
        {
            for (int attempt = 0; attempt < 1000; ++attempt)
            {
                char list[32];
                const int file = open(children, O_RDONLY);
                const ssize_t got = file >= 0 ? read(file, list, sizeof list) : 0;
                if (file >= 0)
                    close(file);
                if (got > 0)
                    break;
                usleep(10 * 1000);
            }
            for (int attempt = 0; attempt < 100 && !pressed; ++attempt)
            {
                std::istringstream tree(Output("xwininfo -root -tree"));
                std::string line;
                while (std::getline(tree, line))
                {
                    if (line.find("\"Box caption\"") == std::string::npos)
                        continue;
                    std::istringstream words(line);
                    std::string id;
                    words >> id;
                    Output("xdotool windowfocus --sync " + id + " key Return 2>&1");
                    pressed = true;
                }
                usleep(100 * 1000);
            }
        });
    const int answer = MessageBoxA(hwnd, "Some text.", "Box caption", MB_ICONERROR);
    user.join();

    std::fflush(stderr);
    dup2(savedStderr, 2);
    close(savedStderr);
    close(file);
    std::ifstream echoed(path);
    std::stringstream text;
    text << echoed.rdbuf();
    unlink(path);

    // The box was on the screen (the user found it) and answered OK.
    EXPECT_TRUE(pressed);
    EXPECT_EQ(IDOK, answer);
    EXPECT_NE(std::string::npos, text.str().find("Box caption: Some text.\n")) << text.str();
}
} // namespace
