// The game's first frame, the same on every platform the game is built for: the window and the
// start-up chain as WinMain does them, then exactly one GameStep. That step always draws the
// title screen with SpeedFactor 1.0 and the orbit's first step, whatever the clock says: step 0
// is a drawn step, and before any frame was presented the measured rate is 50000 or 0, both of
// which give the factor 1.0. The picture then stays on screen until a key is pressed or the
// program is ended, so a screenshot of one platform can be compared with one of another.
//
//   first_frame             show the first frame and hold it
//   first_frame frames N    draw N more title-screen frames, the orbit moving one first-frame step
//                           each, as fast as the device presents them (no pacing where the
//                           platform layer paces), and print frames/second
//
// Runs in a folder holding d3d.ini, textures/ and models/. Prints one line on standard output
// once the frame is presented (or the figures are measured); the exit code is 0, or 1 after an
// error, which is printed too.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <standin.h> // the Linux platform layer's switch for its present pacing
#endif

#include "game/core/app.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/device_reset.h"
#include "game/platform/display_device.h"
#include "game/platform/input_devices.h"
#include "game/scene/render_pass.h"

namespace
{

using Clock = std::chrono::steady_clock;

bool AnyKeyDown()
{
    BYTE keys[256] = {};
    if (KeyboardDevice == nullptr || FAILED(KeyboardDevice->GetDeviceState(sizeof keys, keys)))
        return false;
    for (BYTE key : keys)
        if (key & 0x80)
            return true;
    return false;
}

// One message, as the game's loop handles them. Returns false on WM_QUIT.
bool PumpOneMessage()
{
    MSG msg;
    if (!PeekMessageA(&msg, GameWindow, 0, 0, PM_REMOVE))
        return true;
    if (msg.message == WM_QUIT)
        return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

// Shows the first frame, then holds it. Returns the exit code.
int HoldFirstFrame()
{
    PumpOneMessage();
    if (const char* text = GameStep())
    {
        std::printf("run-time error: %s\n", text);
        return 1;
    }
    std::printf("first frame presented: step %lu, frames %lu, SpeedFactor %.3f\n",
                static_cast<unsigned long>(StepCounter), static_cast<unsigned long>(RenderedFrames),
                SpeedFactor);
    std::fflush(stdout);
    // Messages are still handled (a window that stops answering gets repainted or flagged),
    // but no step runs, so nothing is drawn over the picture.
    while (PumpOneMessage() && !AnyKeyDown())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return 0;
}

// Draws the first frame, then `frames` more title-screen frames through the render pass, and
// prints the rate at which they were presented. SpeedFactor stays 1.0, as on the first frame, so
// the orbit moves by the same step every frame and every platform draws the same pictures,
// whatever its speed. Returns the exit code.
int TimeFrames(unsigned long frames)
{
#ifndef _WIN32
    StandinSetPresentPacing(FALSE);
#endif
    PumpOneMessage();
    if (const char* text = GameStep())
    {
        std::printf("run-time error: %s\n", text);
        return 1;
    }
    const Clock::time_point start = Clock::now();
    for (unsigned long frame = 0; frame < frames; ++frame)
    {
        if (!PumpOneMessage())
        {
            std::printf("the program was asked to quit\n");
            return 1;
        }
        SpeedFactor = 1.0f;
        const char* text = DeviceResetPending ? ResetDevice() : RenderFrame();
        if (text != nullptr)
        {
            std::printf("run-time error: %s\n", text);
            return 1;
        }
    }
#ifndef _WIN32
    // A browser queues the frames' drawing for its GPU process and the call returns before it
    // is done; reading the back buffer waits until every frame is drawn, so the time counts the
    // drawing on every platform layer of ours. Wine's Present does not queue that deep.
    D3DPRESENT_PARAMETERS parameters{};
    FillPresentParameters(&parameters, 0);
    std::vector<DWORD> pixels(size_t(parameters.BackBufferWidth) * parameters.BackBufferHeight);
    D3D8ReadBackBuffer(Device, pixels.data(), parameters.BackBufferWidth,
                       parameters.BackBufferHeight);
#endif
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("frames %lu in %.3f s: %.1f frames/s (%lu presented)\n", frames, seconds,
                frames / seconds, static_cast<unsigned long>(RenderedFrames - 1));
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    unsigned long frames = 0;
    if (std::strncmp(commandLine, "frames ", 7) == 0)
        frames = std::strtoul(commandLine + 7, nullptr, 10);

    if (!CreateGameWindow(instance))
        return 1;

    InitGame();
    int exitCode = 1;
    if (ErrorText != nullptr)
        std::printf("start-up error: %s\n", ErrorText);
    else if (frames > 0)
        exitCode = TimeFrames(frames);
    else
        exitCode = HoldFirstFrame();
    std::fflush(stdout);
    ReleaseAll();
    return exitCode;
}
