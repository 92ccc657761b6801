// The millisecond clock (its test source and the real SDL clock), the cursor's display counter
// and the message box where there is no display, on SDL's dummy driver.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "standin.h"
#include "windows.h"

namespace
{
DWORD FakeNow = 0;
DWORD FakeClock()
{
    return FakeNow;
}

TEST(Clock, TestSourceReplacesTheClockAndDifferencesSurviveTheWrap)
{
    StandinSetClockSource(FakeClock);
    FakeNow = 0xFFFFFFF6u;
    const DWORD before = timeGetTime();
    FakeNow = 0x0000000Au; // 20 ms later, past the 32-bit wrap
    const DWORD after = timeGetTime();
    EXPECT_EQ(0xFFFFFFF6u, before);
    EXPECT_EQ(0x0000000Au, after);
    EXPECT_EQ(20u, after - before);

    // Without a source the real clock is back: SDL's ticks in milliseconds.
    StandinSetClockSource(nullptr);
    const DWORD ticksBefore = static_cast<DWORD>(SDL_GetTicks64());
    const DWORD real = timeGetTime();
    const DWORD ticksAfter = static_cast<DWORD>(SDL_GetTicks64());
    EXPECT_LE(ticksBefore, real);
    EXPECT_LE(real, ticksAfter);
}

TEST(Clock, RealClockCountsMillisecondsForward)
{
    DWORD previous = timeGetTime();
    const DWORD start = previous;
    for (int i = 0; i < 1000; ++i)
    {
        const DWORD now = timeGetTime();
        EXPECT_GE(now, previous);
        previous = now;
    }
    SDL_Delay(30);
    const DWORD elapsed = timeGetTime() - start;
    // At least the 30 ms slept; the upper bound only tells milliseconds from finer units.
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 30000u);
}

TEST(Cursor, DisplayCounterHidesBelowZero)
{
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO));
    EXPECT_EQ(-1, ShowCursor(FALSE));
    EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
    EXPECT_EQ(-2, ShowCursor(FALSE));
    // Hidden twice needs showing twice.
    EXPECT_EQ(-1, ShowCursor(TRUE));
    EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
    EXPECT_EQ(0, ShowCursor(TRUE));
    EXPECT_EQ(SDL_ENABLE, SDL_ShowCursor(SDL_QUERY));
    EXPECT_EQ(1, ShowCursor(TRUE));
    EXPECT_EQ(SDL_ENABLE, SDL_ShowCursor(SDL_QUERY));
    EXPECT_EQ(0, ShowCursor(FALSE));
    EXPECT_EQ(SDL_ENABLE, SDL_ShowCursor(SDL_QUERY));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(Cursor, MovingThePointerWhereItCannotBeMovedFailsAndSaysSoOnce)
{
    // The dummy driver, like Wayland, has no pointer to move; the game asks at every start and
    // every device reset, and one line about it is enough. The real move is checked on a display.
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO));
    std::fflush(stderr);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SetCursorPos(200, 200));
    EXPECT_FALSE(SetCursorPos(200, 200));
    EXPECT_FALSE(SetCursorPos(10, 10));
    std::fflush(stderr);
    const std::string said = testing::internal::GetCapturedStderr();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    EXPECT_EQ(said, "SetCursorPos: cannot move the pointer: That operation is not supported\n");
}
TEST(MessageBox, WithoutADisplayItStillReportsAndAnswersOK)
{
    // No window system to show the box on: scripts must still see the message.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    char path[] = "/tmp/win32_nobox_XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    std::fflush(stderr);
    const int savedStderr = dup(2);
    dup2(file, 2);

    const int answer =
        MessageBoxA(nullptr, "Please run the setup first.", "Fatal Error!", MB_ICONERROR);
    const int untitled = MessageBoxA(nullptr, "No caption.", nullptr, MB_OK);

    std::fflush(stderr);
    dup2(savedStderr, 2);
    close(savedStderr);
    close(file);
    std::ifstream echoed(path);
    std::stringstream text;
    text << echoed.rdbuf();
    unlink(path);

    EXPECT_EQ(IDOK, answer);
    EXPECT_EQ(IDOK, untitled);
    const std::string lines = text.str();
    EXPECT_EQ(0u, lines.find("Fatal Error!: Please run the setup first.\n")) << lines;
    EXPECT_NE(std::string::npos, lines.find("Error: No caption.\n")) << lines;
}
} // namespace
