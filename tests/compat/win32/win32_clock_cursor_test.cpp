// The millisecond clock (its test source and the real SDL clock) and the cursor's display
// counter, on SDL's dummy driver.
#include <gtest/gtest.h>

#include <SDL.h>

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

TEST(Cursor, MovingThePointerWithoutADisplayFailsAndSaysSo)
{
    // The dummy driver has no pointer to move; the real move is checked on a display.
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO));
    EXPECT_FALSE(SetCursorPos(200, 200));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
} // namespace
