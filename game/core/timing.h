// Frame timing: the measured rate of presented frames, the SpeedFactor every motion is scaled by,
// and the long-run average shown by the frame-rate counter.
#pragma once

#include <cstdint>

#include <windows.h>

// Live for the whole run; a new game does not touch them.
extern float SpeedFactor;      // 85 / FrameRate for rates 9..849, else 1.0
extern DWORD FrameRate;        // presented frames per second at the last measurement
extern DWORD RenderedFrames;   // counted by the render pass after each present
extern LONG AverageFrameRate;  // mean of FrameRate over the last 1500 calls of UpdateTiming
extern int FrameRateDigits[4]; // thousands, hundreds, tens, units of AverageFrameRate

// The measurement in progress, also live for the whole run: kept here so the replay harness can
// save and restore the whole clock state.
extern DWORD FrameSampleTime;    // timeGetTime() at the last measurement (or at start-up)
extern DWORD FramesAtSample;     // RenderedFrames at the last measurement
extern LONG FrameRateSum;        // FrameRate summed over the calls since the last average
extern int FrameRateSampleCount; // calls since the last average, 0..1499

// Splits `value` into thousands, hundreds, tens and units, the four digit cells the HUD shows
// (the frame-rate counter and the score). digits[0] is value / 1000 whole, above 9 from 10000 on.
void SplitFourDigits(int32_t value, int digits[4]);

// Starts the frame clock: sets the sample time stamp to timeGetTime() and runs UpdateTiming once.
// The last step of start-up.
void StartFrameClock();

// Measures the frame rate when more than 10 ms have passed and derives SpeedFactor and the
// average. Called first in every GameStep. Cannot fail.
void UpdateTiming();
