// Tests of the frame clock: the measured rate from the millisecond clock (driven here through the
// stand-in's clock hook), the bounds of SpeedFactor, the wrap of the clock and the 1500-call
// average with its digits.
#include "game/core/timing.h"

#include <gtest/gtest.h>

#include <standin.h>

namespace
{

// The clock the tests drive: a value that stays put, or a list of readings used in turn.
DWORD FakeNow = 0;
const DWORD* Readings = nullptr;
int ReadingsLeft = 0;

DWORD FakeClock()
{
    if (ReadingsLeft > 0)
    {
        --ReadingsLeft;
        FakeNow = *Readings++;
    }
    return FakeNow;
}

class TimingTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        StandinSetClockSource(FakeClock);
        Readings = nullptr;
        ReadingsLeft = 0;
    }
    void TearDown() override { StandinSetClockSource(nullptr); }

    // Starts a window at `start` ms and measures `frames` presented frames over `elapsed` ms.
    void Measure(DWORD start, DWORD frames, DWORD elapsed)
    {
        FakeNow = start;
        StartFrameClock();
        FramesAtSample = RenderedFrames; // frames left unmeasured by an earlier test do not count
        RenderedFrames += frames;
        FakeNow = start + elapsed;
        UpdateTiming();
    }
};

TEST_F(TimingTest, BeforeTheFirstMeasurementTheFactorIsOne)
{
    // Runs first in this program, on the untouched start values.
    EXPECT_EQ(FrameRate, 50000u);
    EXPECT_EQ(SpeedFactor, 1.0f);
    FakeNow = 123456;
    StartFrameClock();
    EXPECT_EQ(FrameRate, 50000u);
    EXPECT_EQ(SpeedFactor, 1.0f);
    EXPECT_EQ(AverageFrameRate, 0);
}

TEST_F(TimingTest, RateIsTruncatedWithTheSinglePrecisionTenth)
{
    // 0.1 in single precision is a little above 0.1, so a whole second of N frames measures
    // just under N and truncates to N - 1.
    Measure(1000, 100, 1000);
    EXPECT_EQ(FrameRate, 99u);
    Measure(5000, 61, 500);
    EXPECT_EQ(FrameRate, 121u);
    EXPECT_FLOAT_EQ(SpeedFactor, 85.0f / 121.0f);
}

TEST_F(TimingTest, FactorHoldsFromNineToEightHundredFortyNineAndIsReplacedOutside)
{
    struct Case
    {
        DWORD framesInOneSecond; // one more than the rate it measures
        DWORD rate;
        float factor;
    };
    const Case cases[] = {
        {1001, 1000, 1.0f},     {851, 850, 1.0f}, // 0.1 lies just below the single 0.1
        {850, 849, 0.1001178f}, {86, 85, 1.0f},
        {10, 9, 9.444444f},     {9, 8, 1.0f}, // 10.625 is above 10 and replaced, not clamped
    };
    for (const Case& c : cases)
    {
        Measure(20000, c.framesInOneSecond, 1000);
        EXPECT_EQ(FrameRate, c.rate);
        EXPECT_FLOAT_EQ(SpeedFactor, c.factor) << "rate " << c.rate;
    }
}

TEST_F(TimingTest, WindowWithoutFramesGivesRateZeroAndFactorOne)
{
    Measure(3000, 300, 1000);
    ASSERT_NE(SpeedFactor, 1.0f);
    Measure(9000, 0, 1000);
    EXPECT_EQ(FrameRate, 0u);
    EXPECT_EQ(SpeedFactor, 1.0f);
}

TEST_F(TimingTest, TenMillisecondsOrLessMeasureNothing)
{
    Measure(3000, 300, 1000);
    const DWORD rate = FrameRate;
    const float factor = SpeedFactor;
    FakeNow = 50000;
    StartFrameClock();
    RenderedFrames += 7;
    FakeNow = 50010;
    UpdateTiming();
    EXPECT_EQ(FrameRate, rate);
    EXPECT_EQ(SpeedFactor, factor);
    // The frames are not lost: the next window counts them.
    FakeNow = 51000;
    UpdateTiming();
    EXPECT_EQ(FrameRate, 6u);
}

TEST_F(TimingTest, MeasurementSpansTheWrapOfTheClock)
{
    Measure(0xFFFFFF00u, 301, 1000); // ends at 0x2E8 after the wrap
    EXPECT_LT(FakeNow, 1000u);
    EXPECT_EQ(FrameRate, 300u);
    EXPECT_FLOAT_EQ(SpeedFactor, 85.0f / 300.0f);
}

TEST_F(TimingTest, NextWindowStartsAtAFreshReadingAfterTheMeasurement)
{
    // Start at 1000; the step reads 2000 and measures, then takes 2005 as the new start. A step
    // at 2014 is then only 9 ms into the new window and must not measure.
    static const DWORD readings[] = {1000, 1000, 2000, 2005};
    Readings = readings;
    ReadingsLeft = 4;
    StartFrameClock();
    FramesAtSample = RenderedFrames;
    RenderedFrames += 51;
    UpdateTiming();
    EXPECT_EQ(FrameRate, 50u);
    EXPECT_EQ(FrameSampleTime, 2005u);
    ReadingsLeft = 0;
    FakeNow = 2014;
    RenderedFrames += 5;
    UpdateTiming();
    EXPECT_EQ(FrameRate, 50u);
}

TEST_F(TimingTest, AverageComesEvery1500CallsAndSplitsIntoDigits)
{
    FakeNow = 777;
    StartFrameClock();
    FrameRateSum = 0;
    FrameRateSampleCount = 0;
    AverageFrameRate = 0;
    FrameRate = 1235; // the clock stands still, so this rate is summed on every call
    for (int i = 0; i < 1499; ++i)
        UpdateTiming();
    EXPECT_EQ(AverageFrameRate, 0);
    EXPECT_EQ(FrameRateDigits[0] + FrameRateDigits[1] + FrameRateDigits[2] + FrameRateDigits[3], 0);
    UpdateTiming();
    // 1852500 times the single-precision 1/1500 is just under 1235.
    EXPECT_EQ(AverageFrameRate, 1234);
    EXPECT_EQ(FrameRateDigits[0], 1);
    EXPECT_EQ(FrameRateDigits[1], 2);
    EXPECT_EQ(FrameRateDigits[2], 3);
    EXPECT_EQ(FrameRateDigits[3], 4);
    EXPECT_EQ(FrameRateSum, 0);
    EXPECT_EQ(FrameRateSampleCount, 0);

    // The next average starts from an empty sum and holds the last one until it is due.
    FrameRate = 60;
    for (int i = 0; i < 1499; ++i)
        UpdateTiming();
    EXPECT_EQ(AverageFrameRate, 1234);
    UpdateTiming();
    EXPECT_EQ(AverageFrameRate, 59);
    EXPECT_EQ(FrameRateDigits[2], 5);
    EXPECT_EQ(FrameRateDigits[3], 9);
}

} // namespace
