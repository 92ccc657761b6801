// Frame timing: measures presented frames per second from the millisecond clock, derives the
// SpeedFactor every motion is scaled by, and keeps the 1500-call average for the counter.
#include "game/core/timing.h"

// Live for the whole run; a new game does not touch them.
float SpeedFactor = 1.0f;
DWORD FrameRate = 50000; // gives SpeedFactor 1.0 until the first measurement
DWORD RenderedFrames = 0;
LONG AverageFrameRate = 0;
int FrameRateDigits[4] = {0, 0, 0, 0};

// The measurement in progress; live for the whole run.
DWORD FrameSampleTime = 0;
DWORD FramesAtSample = 0;
LONG FrameRateSum = 0;
int FrameRateSampleCount = 0;

namespace
{

// The game's motion speeds were tuned for 85 presented frames per second.
const long double TunedFrameRate = 85.0L;
const int AverageCalls = 1500;

} // namespace

void StartFrameClock()
{
    FrameSampleTime = timeGetTime();
    UpdateTiming();
}

void UpdateTiming()
{
    // Unsigned 32-bit differences stay right when the millisecond clock wraps after 49.7 days.
    DWORD now = timeGetTime();
    DWORD elapsed = now - FrameSampleTime;
    if (elapsed > 10)
    {
        // Extended precision with the single-precision constants the game was tuned with, so
        // the truncated rate is the same on every machine: 10 frames in 1000 ms measure 9.
        DWORD frames = RenderedFrames - FramesAtSample;
        long double rate = static_cast<long double>(frames) * static_cast<long double>(100.0f) /
                           (static_cast<long double>(elapsed) * static_cast<long double>(0.1f));
        // More than 2^32 frames a second cannot happen, but must not overflow the conversion.
        FrameRate = rate < 4294967296.0L ? static_cast<DWORD>(rate) : 0xFFFFFFFFu;
        FramesAtSample = RenderedFrames;
        FrameSampleTime = timeGetTime();
    }

    // Outside the rates 9 to 849 the factor is replaced by 1.0, not clamped: a rate of 0 (a
    // window with no frame) or an absurd one must not make everything jump. The lower bound is
    // compared before rounding to single precision, the upper one after.
    if (FrameRate == 0)
        SpeedFactor = 1.0f;
    else
    {
        long double quotient = TunedFrameRate / static_cast<long double>(FrameRate);
        if (quotient < static_cast<long double>(0.1f))
            SpeedFactor = 1.0f;
        else
        {
            SpeedFactor = static_cast<float>(quotient);
            if (SpeedFactor > 10.0f)
                SpeedFactor = 1.0f;
        }
    }

    // The average runs over calls, not time. Summed as unsigned so an absurd rate wraps instead
    // of overflowing a signed integer.
    FrameRateSum = static_cast<LONG>(static_cast<DWORD>(FrameRateSum) + FrameRate);
    FrameRateSampleCount += 1;
    if (FrameRateSampleCount >= AverageCalls)
    {
        AverageFrameRate = static_cast<LONG>(static_cast<long double>(FrameRateSum) *
                                             static_cast<long double>(0.00066666666f));
        FrameRateSum = 0;
        FrameRateSampleCount = 0;
    }

    SplitFourDigits(AverageFrameRate, FrameRateDigits);
}

void SplitFourDigits(int32_t value, int digits[4])
{
    digits[0] = value / 1000;
    digits[1] = (value % 1000) / 100;
    digits[2] = (value % 100) / 10;
    digits[3] = value % 10;
}
