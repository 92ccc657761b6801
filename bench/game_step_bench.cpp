// Benchmarks of the game step's simulation: a step between drawn frames (timing, input, ball
// motion and the three collision passes) and the brick pass alone. The loop runs 30 such steps
// per drawn frame, so their cost decides how finely the simulation is sampled on a slow machine.
#include <benchmark/benchmark.h>

#include <cstring>

#include <standin.h>

#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/input_devices.h"
#include "game/view/camera.h"

namespace
{

DWORD StillClock()
{
    return 1000;
}

// A game in play with the ball in flight among the bricks; no devices, so nothing is read.
void StartPlay()
{
    StandinSetClockSource(StillClock);
    FillSineTable();
    FillCosineTable();
    InitCameraRigs();
    PlaceBricks();
    ResetGame();
    memset(KeyboardState, 0, sizeof KeyboardState);
    GameState = Playing;
    LaunchBall();
    GameBall.x = 333.0f;
    GameBall.z = 250.0f;
}

void BM_StepBetweenFrames(benchmark::State& state)
{
    StartPlay();
    for (auto _ : state)
    {
        // Keep away from the drawn steps (multiples of 30) and keep the ball among the bricks.
        StepCounter = 1;
        if (GameBall.z < 60.0f || GameBall.z > 400.0f || GameState != Playing)
            StartPlay();
        benchmark::DoNotOptimize(GameStep());
    }
    state.SetItemsProcessed(state.iterations());
    StandinSetClockSource(nullptr);
}
BENCHMARK(BM_StepBetweenFrames);

void BM_CollideBricks(benchmark::State& state)
{
    StartPlay();
    for (auto _ : state)
    {
        CollideBricks();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    StandinSetClockSource(nullptr);
}
BENCHMARK(BM_CollideBricks);

} // namespace

BENCHMARK_MAIN();
