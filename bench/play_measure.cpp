// A timed run of the real game, for figures rather than pass or fail: the time from start to the
// first presented frame, presented frames per second and SpeedFactor over the run, and the
// ball's measured speed in world units per second against its design speed (2550 x the per-step
// speed). A scripted player starts the game, launches the ball and keeps the bat under it.
//
// Run it in a folder holding d3d.ini, textures/ and models/, on a display (e.g. Xvfb):
//   play_measure [seconds]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <standin.h>
#include <windows.h>

#include "game/core/app.h"
#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/device_reset.h"
#include "game/platform/display_settings_file.h"

namespace
{
using Clock = std::chrono::steady_clock;

// The scripted player's hands: no keys, and a mouse that clicks to start and launch and moves
// the bat toward the ball.
DWORD StepsSinceClick = 0;

HRESULT NoKeys(BYTE keys[256])
{
    std::memset(keys, 0, 256);
    return DI_OK;
}

HRESULT Player(void* state16)
{
    DIMOUSESTATE mouse = {};
    ++StepsSinceClick;
    const bool waiting = GameState == Title || (GameState == Playing && !GameBall.launched);
    // Press for a few steps, then release, so every click is a fresh edge.
    if (waiting && StepsSinceClick > 3000)
        StepsSinceClick = 0;
    mouse.rgbButtons[0] = StepsSinceClick < 50 ? 0x80 : 0;
    if (GameState == Playing && SpeedFactor > 0.0f)
    {
        // Negative motion moves the bat toward +x; SpeedFactor scales every move.
        const float gap = GameBall.x - (GameBat.leftX + 20.0f);
        long motion = std::lround(-gap / (0.7142857f * SpeedFactor));
        if (motion > 40)
            motion = 40;
        if (motion < -40)
            motion = -40;
        mouse.lX = motion;
    }
    std::memcpy(state16, &mouse, sizeof mouse);
    return DI_OK;
}

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}
} // namespace

int main(int argc, char** argv)
{
    const Clock::time_point start = Clock::now();
    const double runSeconds = argc > 1 ? std::atof(argv[1]) : 60.0;

    if (!CreateGameWindow(nullptr))
        return 1;
    StandinSetKeyboardSource(NoKeys);
    StandinSetMouseSource(Player);
    InitGame();
    if (ErrorText != nullptr)
    {
        std::printf("start-up failed: %s\n", ErrorText);
        ReleaseAll();
        return 1;
    }
    const double startupSeconds = Seconds(start, Clock::now());

    double firstFrameSeconds = -1.0;
    std::vector<double> rates, factors;
    Clock::time_point windowStart = Clock::now();
    DWORD windowFrames = RenderedFrames;
    double travelled = 0.0, designed = 0.0, flightSeconds = 0.0;
    Clock::time_point last = Clock::now();
    float lastX = GameBall.x, lastZ = GameBall.z;
    const Clock::time_point loopStart = Clock::now();
    DWORD steps = 0;
    int quit = 0;
    while (Seconds(loopStart, Clock::now()) < runSeconds)
    {
        MSG message;
        if (PeekMessageA(&message, GameWindow, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_QUIT)
                break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const bool flying = GameState == Playing && GameBall.launched && GameBall.y == 0.0f;
        const float speedPerStep = std::sqrt(GameBall.vx * GameBall.vx + GameBall.vz * GameBall.vz);
        const char* text = DeviceResetPending ? ResetDevice() : GameStep();
        ++steps;
        if (text != nullptr)
        {
            std::printf("run-time error: %s\n", text);
            quit = 1;
            break;
        }
        const Clock::time_point now = Clock::now();
        if (firstFrameSeconds < 0.0 && RenderedFrames > 0)
            firstFrameSeconds = Seconds(start, now);
        // Ball speed over free flight: distance moved against what the design speed would give.
        const bool stillFlying = GameState == Playing && GameBall.launched && GameBall.y == 0.0f;
        if (flying && stillFlying)
        {
            const double dt = Seconds(last, now);
            travelled += std::hypot(GameBall.x - lastX, GameBall.z - lastZ);
            designed += 2550.0 * speedPerStep * dt;
            flightSeconds += dt;
        }
        last = now;
        lastX = GameBall.x;
        lastZ = GameBall.z;
        if (Seconds(windowStart, now) >= 1.0)
        {
            rates.push_back((RenderedFrames - windowFrames) / Seconds(windowStart, now));
            factors.push_back(SpeedFactor);
            windowStart = now;
            windowFrames = RenderedFrames;
        }
    }
    const double loopSeconds = Seconds(loopStart, Clock::now());

    double rateSum = 0, rateMin = 1e9, rateMax = 0, factorSum = 0, factorMin = 1e9, factorMax = 0;
    for (size_t i = 0; i < rates.size(); ++i)
    {
        rateSum += rates[i];
        rateMin = std::fmin(rateMin, rates[i]);
        rateMax = std::fmax(rateMax, rates[i]);
        factorSum += factors[i];
        factorMin = std::fmin(factorMin, factors[i]);
        factorMax = std::fmax(factorMax, factors[i]);
    }
    const double n = rates.empty() ? 1.0 : static_cast<double>(rates.size());
    std::printf("mode %ux%u, format %d, snow layers %u\n", DisplaySettings.DisplayMode.Width,
                DisplaySettings.DisplayMode.Height, DisplaySettings.DisplayMode.Format,
                DisplaySettings.SnowLayerCount);
    std::printf("start-up (window + InitGame): %.3f s; first presented frame at %.3f s\n",
                startupSeconds, firstFrameSeconds);
    std::printf("run: %.1f s, %u steps (%.0f steps/s), %u frames presented\n", loopSeconds, steps,
                steps / loopSeconds, RenderedFrames);
    std::printf("presented frames/s per second: mean %.1f, min %.1f, max %.1f\n", rateSum / n,
                rateMin, rateMax);
    std::printf("SpeedFactor sampled each second: mean %.3f, min %.3f, max %.3f\n", factorSum / n,
                factorMin, factorMax);
    if (flightSeconds > 0.0)
        std::printf("ball in free flight %.1f s: %.1f units/s measured, %.1f units/s by design "
                    "(ratio %.3f)\n",
                    flightSeconds, travelled / flightSeconds, designed / flightSeconds,
                    travelled / designed);
    std::printf("score %d, lives %d, bricks left %d\n", Score, Lives, BricksLeft);
    ReleaseAll();
    return quit;
}
