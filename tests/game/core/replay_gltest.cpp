// The replay test: the real game (window, device, textures, meshes, input devices) runs a few
// thousand steps of recorded play, fed through the stand-in's clock, keyboard and mouse hooks, and
// its state is compared with the recorded one at checkpoints and at the end. Any drift in the
// game's rules, timing or input handling changes the state and fails the test.
//
// ZENDRILL_RECORD_REPLAY=1 (or a file path) records instead: a scripted player plays the game
// from the state it sees (start, title toggles, launch, a reset, follow the ball with the mouse,
// cameras, pause and unpause, a lost ball) and its inputs and the states are written out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <standin.h>
#include <windows.h>

#include "common/settings/display_settings.h"
#include "game/core/app.h"
#include "game/core/ball.h"
#include "game/core/bat.h"
#include "game/core/brick.h"
#include "game/core/game_step.h"
#include "game/core/timing.h"
#include "game/platform/input_devices.h"

#include "game_window.h"

namespace
{

// ---- What is fed to the game ------------------------------------------------------------------

// A run of steps with the same keys and button. Its first step advances the clock by `ms` and
// reports the mouse motion `lX`; the other steps read the same clock and no motion.
struct InputRun
{
    int steps = 0;
    DWORD ms = 0;
    std::vector<int> keys;
    LONG lX = 0;
    BYTE button = 0;
};

struct Recording
{
    DWORD startClock = 0;
    std::vector<InputRun> runs;
    std::vector<std::pair<int, std::string>> checks; // state after that many steps
    std::string end;
};

DWORD Clock = 0;
BYTE HeldKeys[256];
DIMOUSESTATE MouseReading;

DWORD ReplayClock()
{
    return Clock;
}

HRESULT ReplayKeyboard(BYTE keys[256])
{
    memcpy(keys, HeldKeys, sizeof HeldKeys);
    return DI_OK;
}

HRESULT ReplayMouse(void* state)
{
    memcpy(state, &MouseReading, sizeof MouseReading);
    return DI_OK;
}

// ---- The state compared ----------------------------------------------------------------------

// A running hash over the moving state of every step, so a difference between two checkpoints
// that later evens out (a ball lost a few steps sooner) still shows.
uint64_t Trace = 1469598103934665603ull;
bool SawPush = false;

void TraceBytes(const void* data, size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
        Trace = (Trace ^ bytes[i]) * 1099511628211ull;
}

void TraceStep()
{
    const float floats[] = {GameBall.x,  GameBall.y,  GameBall.z,    GameBall.vx,
                            GameBall.vy, GameBall.vz, GameBat.leftX, SpeedFactor};
    const int32_t ints[] = {GameState,
                            Score,
                            Lives,
                            BricksLeft,
                            CameraMode,
                            BatDirection,
                            BatPushing ? 1 : 0,
                            BallXFree ? 1 : 0,
                            TitleShown ? 1 : 0,
                            ShowFrameRate ? 1 : 0,
                            static_cast<int32_t>(FrameRate)};
    TraceBytes(floats, sizeof floats);
    TraceBytes(ints, sizeof ints);
    SawPush = SawPush || BatPushing;
}

std::string DescribeState()
{
    char text[512];
    snprintf(text, sizeof text,
             "state=%d score=%d lives=%d left=%d camera=%d title=%d fps=%d "
             "ball=%.9g,%.9g,%.9g v=%.9g,%.9g,%.9g launched=%d xfree=%d push=%d "
             "bat=%.9g,%.9g speed=%.9g rate=%u frames=%u steps=%u average=%d trace=%016llx "
             "bricks=",
             GameState, Score, Lives, BricksLeft, CameraMode, TitleShown ? 1 : 0,
             ShowFrameRate ? 1 : 0, GameBall.x, GameBall.y, GameBall.z, GameBall.vx, GameBall.vy,
             GameBall.vz, GameBall.launched, BallXFree ? 1 : 0, BatPushing ? 1 : 0, GameBat.leftX,
             GameBat.rightX, SpeedFactor, FrameRate, RenderedFrames, StepCounter, AverageFrameRate,
             static_cast<unsigned long long>(Trace));
    std::string state = text;
    // One character per brick: '-' once destroyed, else the hits it still takes.
    for (const Brick& brick : BrickField)
        state += brick.alive ? static_cast<char>('1' + brick.HitsLeft) : '-';
    return state;
}

// ---- The file -------------------------------------------------------------------------------

std::string KeyList(const std::vector<int>& keys)
{
    if (keys.empty())
        return "-";
    std::string list;
    for (int key : keys)
    {
        char code[8];
        snprintf(code, sizeof code, "%s%02X", list.empty() ? "" : ",", key);
        list += code;
    }
    return list;
}

bool SaveRecording(const std::string& path, const Recording& r)
{
    std::ofstream out(path);
    out << "# Recorded play of the replay test: clock <start>; run <steps> <ms> <keys> <lX> "
           "<button>\n# (the first step of a run advances the clock and moves the mouse); check "
           "<step> <state>; end <state>.\n";
    out << "clock " << r.startClock << "\n";
    for (const InputRun& run : r.runs)
        out << "run " << run.steps << " " << run.ms << " " << KeyList(run.keys) << " " << run.lX
            << " " << static_cast<int>(run.button) << "\n";
    for (const auto& check : r.checks)
        out << "check " << check.first << " " << check.second << "\n";
    out << "end " << r.end << "\n";
    return static_cast<bool>(out);
}

bool LoadRecording(const std::string& path, Recording* r)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line))
    {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "clock")
            fields >> r->startClock;
        else if (kind == "run")
        {
            InputRun run;
            std::string keys;
            int button = 0;
            fields >> run.steps >> run.ms >> keys >> run.lX >> button;
            run.button = static_cast<BYTE>(button);
            if (keys != "-")
            {
                std::istringstream codes(keys);
                std::string code;
                while (std::getline(codes, code, ','))
                    run.keys.push_back(static_cast<int>(std::stoul(code, nullptr, 16)));
            }
            if (!fields || run.steps <= 0)
                return false;
            r->runs.push_back(run);
        }
        else if (kind == "check")
        {
            int step = 0;
            fields >> step >> std::ws;
            std::string state;
            std::getline(fields, state);
            r->checks.emplace_back(step, state);
        }
        else if (kind == "end")
        {
            fields >> std::ws;
            std::getline(fields, r->end);
        }
    }
    return !r->runs.empty() && !r->end.empty();
}

// ---- The scripted player (record mode) -------------------------------------------------------

const int TotalSteps = 14000;
const int CheckEvery = 1000;
const int LookAwayFrom = 6200; // the player lets one ball go from here
const int SwipeFrom = 11500;   // the player tries to catch the ball with the bat's side

// Presses scheduled by step: the key is held from `from` for `steps` steps.
struct Press
{
    int from, steps, key;
};
const Press Presses[] = {
    {20, 3, DIK_T},        {40, 3, DIK_T},   {60, 2, DIK_F},       {100, 5, DIK_SPACE},
    {160, 4, DIK_SPACE},   {230, 2, DIK_R},  {290, 4, DIK_SPACE},  {1200, 3, DIK_C},
    {1800, 3, DIK_C},      {2400, 3, DIK_C}, {3000, 3, DIK_C},     {4000, 3, DIK_P},
    {4300, 2, DIK_PAUSE},  {4600, 2, DIK_P}, {4600, 2, DIK_PAUSE}, {5000, 2, DIK_F},
    {7900, 3, DIK_C},      {9500, 4, DIK_P}, {9800, 3, DIK_PAUSE}, {10200, 2, DIK_T},
    {13990, 4, DIK_PAUSE},
};

// The clock jumps once per drawn frame, by a frame time that changes over the run: a fast
// machine, a middling one, one at the slow end of the range, frames shorter than the measurement
// window, and a slow one again.
DWORD FrameMilliseconds(int step)
{
    if (step < 3000)
        return 16;
    if (step < 6000)
        return 40;
    if (step < 7500)
        return 105;
    if (step < 8500)
        return 7;
    return 50;
}

// The player's input for step `step`, from the state the game is in before it.
InputRun PlayerInput(int step)
{
    InputRun input;
    input.steps = 1;
    for (const Press& press : Presses)
        if (step >= press.from && step < press.from + press.steps)
            input.keys.push_back(press.key);
    const bool frameStep = step % 30 == 1;
    if (frameStep)
        input.ms = FrameMilliseconds(step);

    // The player looks away until a ball is lost, then plays on.
    static bool lookingAway = false;
    static int livesBefore = 0;
    if (step == LookAwayFrom)
    {
        lookingAway = true;
        livesBefore = Lives;
    }
    if (lookingAway && Lives != livesBefore)
        lookingAway = false;

    if (GameState == Playing && frameStep)
    {
        float target = GameBall.x + 12.0f * static_cast<float>((step / 600) % 3 - 1);
        if (lookingAway)
            target = GameBall.x < 320.0f ? 560.0f : 80.0f;
        // A swipe: the bat stays beside the ball's path and, once the ball is level with it,
        // jumps so the ball is just inside its left end, which is a side contact while moving.
        if (step >= SwipeFrom && !SawPush && !lookingAway && GameBall.vz > 0.0f &&
            GameBall.z > 400.0f)
            target = GameBall.z > 420.5f && GameBall.z < 429.0f ? GameBall.x + 19.0f
                                                                : GameBall.x + 60.0f;
        const float centre = GameBat.leftX + 20.0f;
        float counts = (centre - target) / (0.7142857f * SpeedFactor);
        if (counts > 200.0f)
            counts = 200.0f;
        if (counts < -200.0f)
            counts = -200.0f;
        input.lX = static_cast<LONG>(counts);
        // A resting ball is launched with a click on every other frame.
        if (!GameBall.launched && step > 400 && !lookingAway && step % 60 == 1)
            input.button = 0x80;
    }
    return input;
}

// ---- Running the game -------------------------------------------------------------------------

class ReplayTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        folder = game_window::MakeRunFolder();
        ASSERT_FALSE(folder.empty()) << "no run folder: build the zendrill_assets target";
        ASSERT_EQ(chdir(folder.c_str()), 0);
        // 640 x 480 in 32 bits with light snow.
        ASSERT_EQ(WriteSettingsFile(SettingsFileName, game_window::Settings(8)), nullptr);
    }
    void TearDown() override
    {
        StandinSetClockSource(nullptr);
        StandinSetKeyboardSource(nullptr);
        StandinSetMouseSource(nullptr);
        game_window::RemoveFolder(folder);
    }

    // The window and start-up, as WinMain does them, with the hooks in place first.
    void StartGame(DWORD startClock)
    {
        Clock = startClock;
        memset(HeldKeys, 0, sizeof HeldKeys);
        MouseReading = DIMOUSESTATE{};
        StandinSetClockSource(ReplayClock);
        StandinSetKeyboardSource(ReplayKeyboard);
        StandinSetMouseSource(ReplayMouse);

        game_window::OpenWindow();
        ASSERT_NE(GameWindow, nullptr);
        Pump();
        // A failed start-up shows a box that nobody closes here; give up rather than hang.
        game_window::GuardedInitGame();
        ASSERT_EQ(ErrorText, nullptr) << ErrorText;
    }

    // One iteration of the main loop: one message, then one step.
    void Step(const InputRun& run, bool first)
    {
        if (first)
            Clock += run.ms;
        memset(HeldKeys, 0, sizeof HeldKeys);
        for (int key : run.keys)
            HeldKeys[key] = 0x80;
        MouseReading = DIMOUSESTATE{};
        MouseReading.lX = first ? run.lX : 0;
        MouseReading.rgbButtons[0] = run.button;
        Pump();
        ASSERT_FALSE(DeviceResetPending) << "the device was lost during the replay";
        const char* text = GameStep();
        ASSERT_EQ(text, nullptr) << text;
        TraceStep();
    }

    void Pump()
    {
        MSG msg;
        if (PeekMessageA(&msg, GameWindow, 0, 0, PM_REMOVE))
        {
            ASSERT_NE(msg.message, static_cast<UINT>(WM_QUIT)) << "the game was asked to quit";
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    std::string folder;
};

std::string RecordingPath()
{
    const char* source = std::getenv("ZENDRILL_SOURCE_DIR");
    return std::string(source ? source : ".") + "/tests/game/core/data/replay.txt";
}

TEST_F(ReplayTest, RecordedPlayEndsInTheRecordedState)
{
    const char* record = std::getenv("ZENDRILL_RECORD_REPLAY");
    if (record != nullptr && *record != '\0')
    {
        // Record: the scripted player plays, and what it did and saw is written out.
        Recording recording;
        recording.startClock = 0xFFFFF000u; // the 32-bit clock wraps about 4 s into the run
        StartGame(recording.startClock);
        if (HasFatalFailure())
            return;
        for (int step = 0; step < TotalSteps; ++step)
        {
            InputRun input = PlayerInput(step);
            Step(input, true);
            if (HasFatalFailure())
                return;
            InputRun* last = recording.runs.empty() ? nullptr : &recording.runs.back();
            if (last != nullptr && input.ms == 0 && input.lX == 0 && input.keys == last->keys &&
                input.button == last->button)
                last->steps += 1;
            else
                recording.runs.push_back(input);
            if ((step + 1) % CheckEvery == 0)
                recording.checks.emplace_back(step + 1, DescribeState());
        }
        recording.end = DescribeState();
        // The recording is only worth keeping when the play covered what it should.
        EXPECT_LT(Lives, 5) << "the scripted player lost no ball";
        EXPECT_LE(BricksLeft, 85) << "the scripted player broke too few bricks";
        EXPECT_TRUE(SawPush) << "the scripted player never pushed the ball with the bat";
        ReleaseAll();
        const std::string path =
            std::strchr(record, '/') != nullptr ? std::string(record) : RecordingPath();
        ASSERT_TRUE(SaveRecording(path, recording)) << path;
        printf("recorded %zu runs to %s\nend %s\n", recording.runs.size(), path.c_str(),
               recording.end.c_str());
        return;
    }

    // Replay: the recorded inputs, whatever the game does with them.
    Recording recording;
    ASSERT_TRUE(LoadRecording(RecordingPath(), &recording))
        << "no recording at " << RecordingPath() << "; make one with ZENDRILL_RECORD_REPLAY=1";
    StartGame(recording.startClock);
    if (HasFatalFailure())
        return;
    int step = 0;
    size_t check = 0;
    for (const InputRun& run : recording.runs)
        for (int i = 0; i < run.steps; ++i)
        {
            Step(run, i == 0);
            if (HasFatalFailure())
                return;
            ++step;
            if (check < recording.checks.size() && recording.checks[check].first == step)
            {
                // Stop at the first difference: later ones only follow from it.
                ASSERT_EQ(DescribeState(), recording.checks[check].second) << "after step " << step;
                ++check;
            }
        }
    EXPECT_EQ(check, recording.checks.size());
    EXPECT_EQ(DescribeState(), recording.end);
    EXPECT_GT(Score, 0) << "the recorded play should break bricks";
    ReleaseAll();
}

} // namespace
