// A timed run of the real game, for figures rather than pass or fail: the time from start to the
// first presented frame, presented frames per second and SpeedFactor over the run, and the
// ball's measured speed in world units per second against its design speed (2550 x the per-step
// speed). A scripted player starts the game, launches the ball and keeps the bat under it.
//
// With "cost", frames are not paced to the display, and the last frames of the run are drawn again
// with the device measuring each draw, and where a frame's time goes is printed: for each part of
// the picture (by the texture it draws with) the pixels its draws cover and draw, as layers of the
// whole picture (overdraw), and its time; then, for each kind of pixel work, the cost of one
// covered pixel.
//
// Run it in a folder holding d3d.ini, textures/ and models/, on a display (e.g. Xvfb):
//   play_measure [seconds] [cost]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
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
#include "game/platform/display_device.h"
#include "game/platform/display_settings_file.h"
#include "game/platform/texture_set.h"

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

// The part of the picture a draw belongs to, by the texture it draws with.
const char* PartOf(const void* texture)
{
    const TextureSetRecord& t = TextureSet;
    if (texture == nullptr)
        return "untextured";
    if (texture == t.Floor2)
        return "floor";
    if (texture == t.Floor1)
        return "floor mesh";
    if (texture == t.Ball)
        return "ball";
    if (texture == t.Bat)
        return "bat";
    if (texture == t.Snow)
        return "snow";
    if (texture == t.Title)
        return "title";
    for (IDirect3DTexture8* arena : t.Arena)
        if (texture == arena)
            return "arena";
    for (IDirect3DTexture8* block : t.Block)
        if (texture == block)
            return "bricks";
    return "HUD";
}

// One part's or one kind of work's draws: counted over all measured frames, timed frame by frame.
struct CostSum
{
    int Draws = 0;
    double Covered = 0, Drawn = 0;
    // Per frame: the time; the time and the processor time less the draws' fixed costs; the
    // pixels covered.
    std::vector<double> Seconds, Shading, CpuShading, Pixels;
    std::string Work;
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median over the frames of a frame's shading time (or processor time) per covered pixel,
// in nanoseconds.
double NsPerPixel(const std::vector<double>& shading, const std::vector<double>& pixels)
{
    std::vector<double> costs;
    for (size_t f = 0; f < pixels.size(); ++f)
        if (pixels[f] > 0)
            costs.push_back(std::max(0.0, shading[f]) / pixels[f] * 1e9);
    return Median(costs);
}

// The least time and processor time any draw took: what a draw costs whatever it draws.
void FixedCosts(UINT count, double* seconds, double* cpuSeconds)
{
    *seconds = *cpuSeconds = 1e9;
    for (UINT i = 0; i < count; ++i)
    {
        *seconds = std::min(*seconds, D3D8DrawCostGet(Device, i)->Seconds);
        *cpuSeconds = std::min(*cpuSeconds, D3D8DrawCostGet(Device, i)->CpuSeconds);
    }
}

// Draws `frames` more frames with the device measuring each draw and prints where the time goes.
// `frameSeconds` is the run's own time per frame, unmeasured, for comparison. Times are the
// median frame's, so that a moment when the machine was busy elsewhere does not count.
bool PrintFrameCost(int frames, double frameSeconds)
{
    if (!D3D8DrawCostStart(Device))
        return false;
    std::vector<UINT> frameEnds;
    while (frameEnds.size() < static_cast<size_t>(frames))
    {
        const DWORD before = RenderedFrames;
        const char* text = DeviceResetPending ? ResetDevice() : GameStep();
        if (text != nullptr)
        {
            std::printf("run-time error while measuring: %s\n", text);
            D3D8DrawCostStop(Device);
            return false;
        }
        if (RenderedFrames != before)
            frameEnds.push_back(D3D8DrawCostCount(Device));
    }
    D3D8DrawCostStop(Device);

    // The fixed costs come off every draw's before the cost of one pixel is worked out.
    const UINT count = frameEnds.back();
    double fixed = 0, fixedCpu = 0;
    FixedCosts(count, &fixed, &fixedCpu);

    std::vector<std::string> order;
    std::map<std::string, CostSum> parts, works;
    CostSum all;
    UINT frame = 0;
    for (UINT i = 0; i < count; ++i)
    {
        while (i >= frameEnds[frame])
            ++frame;
        const D3D8DrawCost* cost = D3D8DrawCostGet(Device, i);
        const std::string part = PartOf(cost->Texture);
        if (!parts.count(part))
            order.push_back(part);
        for (CostSum* sum : {&parts[part], &works[cost->Work], &all})
        {
            sum->Seconds.resize(frames);
            sum->Shading.resize(frames);
            sum->CpuShading.resize(frames);
            sum->Pixels.resize(frames);
            ++sum->Draws;
            sum->Covered += static_cast<double>(cost->Covered);
            sum->Drawn += static_cast<double>(cost->Drawn);
            sum->Seconds[frame] += cost->Seconds;
            sum->Shading[frame] += cost->Seconds - fixed;
            sum->CpuShading[frame] += cost->CpuSeconds - fixedCpu;
            sum->Pixels[frame] += static_cast<double>(cost->Covered);
        }
        if (parts[part].Work.find(cost->Work) == std::string::npos)
            parts[part].Work += (parts[part].Work.empty() ? "" : " | ") + std::string(cost->Work);
    }
    const double pixels =
        double(DisplaySettings.DisplayMode.Width) * DisplaySettings.DisplayMode.Height * frames;
    std::printf("\nwhere a frame's time goes (%d frames measured draw by draw; per frame)\n",
                frames);
    std::printf("  %-10s %6s %9s %9s %9s  %s\n", "part", "draws", "covered", "drawn", "ms",
                "pixel work");
    auto row = [&](const char* name, const CostSum& s, const char* work)
    {
        std::printf("  %-10s %6.1f %8.2fx %8.2fx %9.2f  %s\n", name, s.Draws / double(frames),
                    s.Covered / pixels, s.Drawn / pixels, Median(s.Seconds) * 1e3, work);
    };
    for (const std::string& part : order)
        row(part.c_str(), parts[part], parts[part].Work.c_str());
    row("all", all, "(the covered layers are the overdraw)");
    std::printf("  a draw's fixed cost (the least any draw took): %.3f ms, %.3f ms "
                "of processor time\n",
                fixed * 1e3, fixedCpu * 1e3);
    std::printf("one covered pixel by pixel work (fixed costs taken off): time with the GL on "
                "every core, processor time\n");
    for (const auto& [work, s] : works)
        std::printf("  %6.2f ns %7.2f ns  %9.0f px/frame  %s\n", NsPerPixel(s.Shading, s.Pixels),
                    NsPerPixel(s.CpuShading, s.Pixels), s.Covered / frames, work.c_str());
    // The floor: every covered pixel at the cost of a pixel of each frame's largest draw, where
    // the draw's own costs are least felt.
    std::vector<double> largestCost;
    for (UINT f = 0, begin = 0; f < frameEnds.size(); begin = frameEnds[f++])
    {
        const D3D8DrawCost* largest = nullptr;
        for (UINT i = begin; i < frameEnds[f]; ++i)
            if (!largest || D3D8DrawCostGet(Device, i)->Covered > largest->Covered)
                largest = D3D8DrawCostGet(Device, i);
        if (largest && largest->Covered > 0)
            largestCost.push_back((largest->Seconds - fixed) / double(largest->Covered));
    }
    const double perPixel = Median(largestCost);
    const double floor = perPixel * all.Covered / frames;
    std::printf("measured draw by draw, the pixel work took %.2f ms a frame; the largest draw "
                "shades a pixel in %.2f ns, at which the %.0f covered pixels take %.2f ms (%.0f "
                "frames/s: the shading floor); unmeasured the run drew a frame in %.2f ms (%.1f "
                "frames/s), %.0f %% of it the floor's\n",
                Median(all.Shading) * 1e3, perPixel * 1e9, all.Covered / frames, floor * 1e3,
                1.0 / floor, frameSeconds * 1e3, 1.0 / frameSeconds, 100.0 * floor / frameSeconds);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    const Clock::time_point start = Clock::now();
    const double runSeconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const bool cost = argc > 2 && std::strcmp(argv[2], "cost") == 0;

    if (!CreateGameWindow(nullptr))
        return 1;
    // Measuring costs, frames come as fast as they are drawn, so the run's own rate is the
    // picture's cost too.
    if (cost)
        StandinSetPresentPacing(FALSE);
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
    if (cost && quit == 0 && !PrintFrameCost(10, rateSum > 0 ? n / rateSum : 0.0))
        quit = 1;
    ReleaseAll();
    return quit;
}
