// The DirectInput stand-in on a real X display (its own Xvfb): the game's window and devices,
// keys pressed and the mouse moved with xdotool as a player would, focus going to another
// window and back, and the exclusive mouse held by one device at a time.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>

#include "dinput.h"
#include "standin_window.h"
#include "windows.h"

namespace
{
LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void Xdotool(const std::string& arguments)
{
    const std::string command = "xdotool " + arguments;
    ASSERT_EQ(0, std::system(command.c_str())) << command;
}

// Lets the window system's events arrive, as the game's loop would between steps.
void Settle(int milliseconds = 100)
{
    const Uint64 until = SDL_GetTicks64() + milliseconds;
    while (SDL_GetTicks64() < until)
    {
        SDL_PumpEvents();
        SDL_Delay(2);
    }
}

bool HasFocus(HWND hwnd)
{
    return SDL_GetWindowFlags(SdlWindowFromHwnd(hwnd)) & SDL_WINDOW_INPUT_FOCUS;
}

template <typename Condition> bool WaitFor(Condition condition)
{
    const Uint64 deadline = SDL_GetTicks64() + 2000;
    while (!condition() && SDL_GetTicks64() < deadline)
    {
        SDL_PumpEvents();
        SDL_Delay(2);
    }
    return condition();
}

class Input : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "InputClass";
        ASSERT_NE(0, RegisterClassA(&wc));
    }

    // The game's order: window shown, DirectInput, keyboard (non-exclusive foreground), mouse
    // (exclusive foreground), both acquired.
    void SetUp() override
    {
        hwnd = CreateWindowExA(0, "InputClass", "input", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                               nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, hwnd);
        ShowWindow(hwnd, SW_SHOWNORMAL);
        ASSERT_EQ(DI_OK, DirectInput8Create(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A,
                                            reinterpret_cast<LPVOID*>(&input), nullptr));
        ASSERT_EQ(DI_OK, input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr));
        ASSERT_EQ(DI_OK, keyboard->SetDataFormat(&c_dfDIKeyboard));
        ASSERT_EQ(DI_OK, keyboard->SetCooperativeLevel(hwnd, 6));
        ASSERT_EQ(DI_OK, keyboard->Acquire());
        ASSERT_EQ(DI_OK, input->CreateDevice(GUID_SysMouse, &mouse, nullptr));
        ASSERT_EQ(DI_OK, mouse->SetDataFormat(&c_dfDIMouse));
        ASSERT_EQ(DI_OK, mouse->SetCooperativeLevel(hwnd, 5));
        ASSERT_EQ(DI_OK, mouse->Acquire());
    }

    void TearDown() override
    {
        if (mouse)
        {
            mouse->Unacquire();
            mouse->Release();
        }
        if (keyboard)
        {
            keyboard->Unacquire();
            keyboard->Release();
        }
        if (input)
            input->Release();
        if (other)
            SDL_DestroyWindow(other);
        DestroyWindow(hwnd);
    }

    // Another window takes the focus, as when the player switches to another program.
    void FocusElsewhere()
    {
        if (!other)
            other = SDL_CreateWindow("other", 700, 500, 100, 100, 0);
        ASSERT_NE(nullptr, other);
        SDL_SetWindowInputFocus(other);
        ASSERT_TRUE(WaitFor([this] { return !HasFocus(hwnd); }));
    }

    // The player clicks back into the game.
    void FocusBack()
    {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        ASSERT_TRUE(WaitFor([this] { return HasFocus(hwnd); }));
    }

    HWND hwnd = nullptr;
    SDL_Window* other = nullptr;
    LPDIRECTINPUT8 input = nullptr;
    LPDIRECTINPUTDEVICE8 keyboard = nullptr;
    LPDIRECTINPUTDEVICE8 mouse = nullptr;
};

TEST_F(Input, KeysPressedByThePlayerShowAtTheirCodes)
{
    BYTE keys[256];
    // (xdotool holds the left Control too when it presses the right one, so the left one is
    // not checked; KP_Begin is keypad 5 with Num Lock off.)
    Xdotool("keydown space Escape Pause Right Control_R KP_Enter KP_Add KP_Begin a 7");
    Settle();
    ASSERT_EQ(DI_OK, keyboard->GetDeviceState(256, keys));
    for (BYTE dik : {DIK_SPACE, DIK_ESCAPE, DIK_PAUSE, DIK_RIGHT, DIK_RCONTROL, DIK_NUMPADENTER,
                     DIK_ADD, DIK_NUMPAD5, DIK_A, DIK_7})
        EXPECT_EQ(0x80, keys[dik]) << "DIK code " << int(dik);
    for (BYTE dik : {DIK_LSHIFT, DIK_LEFT, DIK_RETURN, DIK_P, DIK_8, DIK_SUBTRACT})
        EXPECT_EQ(0, keys[dik]) << "DIK code " << int(dik);

    Xdotool("keyup space Escape Pause Right Control_R KP_Enter KP_Add KP_Begin a 7");
    Settle();
    ASSERT_EQ(DI_OK, keyboard->GetDeviceState(256, keys));
    int down = 0;
    for (BYTE key : keys)
        down += key != 0;
    EXPECT_EQ(0, down);
}

TEST_F(Input, MouseMotionAddsUpBetweenReadsAndStartsAgainAfterEach)
{
    // The exclusive mouse has no cursor and no edge.
    EXPECT_TRUE(SDL_GetRelativeMouseMode());
    DIMOUSESTATE state{};
    ASSERT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));

    Xdotool("mousemove_relative -- 30 -20");
    Xdotool("mousemove_relative -- 5 7");
    Settle();
    ASSERT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));
    EXPECT_EQ(35, state.lX);
    EXPECT_EQ(-13, state.lY);
    ASSERT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));
    EXPECT_EQ(0, state.lX);
    EXPECT_EQ(0, state.lY);

    // Far past the screen edge: motion is not bounded by it.
    for (int i = 0; i < 4; ++i)
        Xdotool("mousemove_relative -- -400 0");
    Settle();
    ASSERT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));
    EXPECT_EQ(-1600, state.lX);

    Xdotool("mousedown 1");
    Settle();
    ASSERT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));
    EXPECT_EQ(0x80, state.rgbButtons[0]);
    EXPECT_EQ(0, state.rgbButtons[1]);
    Xdotool("mouseup 1 click 3 click 4 click 4");
    Settle();
    ASSERT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));
    EXPECT_EQ(0, state.rgbButtons[0]);
    EXPECT_EQ(2 * 120, state.lZ); // two wheel notches forward

    // Unacquired, the pointer is the desktop's again.
    ASSERT_EQ(DI_OK, mouse->Unacquire());
    EXPECT_FALSE(SDL_GetRelativeMouseMode());
}

TEST_F(Input, FocusLossLosesInputUntilAcquiredAgain)
{
    BYTE keys[256];
    DIMOUSESTATE state{};
    FocusElsewhere();
    // Lost, and it stays lost on every read until the program acquires again.
    EXPECT_EQ(DIERR_INPUTLOST, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(DIERR_INPUTLOST, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(DIERR_INPUTLOST, mouse->GetDeviceState(sizeof state, &state));
    // The mouse is let go while another window is in front.
    EXPECT_FALSE(SDL_GetRelativeMouseMode());
    EXPECT_EQ(DIERR_OTHERAPPHASPRIO, keyboard->Acquire());
    EXPECT_EQ(DIERR_INPUTLOST, keyboard->GetDeviceState(256, keys));

    // Back in front: the game's re-acquire (probe, then Acquire on DIERR_INPUTLOST) works.
    FocusBack();
    ASSERT_EQ(DIERR_INPUTLOST, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(DI_OK, keyboard->Acquire());
    EXPECT_EQ(DI_OK, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(DI_OK, mouse->Acquire());
    EXPECT_TRUE(SDL_GetRelativeMouseMode());
    EXPECT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));

    Xdotool("keydown r");
    Settle();
    ASSERT_EQ(DI_OK, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(0x80, keys[DIK_R]);
    Xdotool("keyup r");
}

TEST_F(Input, FocusLostAndBackBetweenReadsStillLosesInput)
{
    // Both focus changes are taken in before the next read.
    FocusElsewhere();
    FocusBack();
    BYTE keys[256];
    EXPECT_EQ(DIERR_INPUTLOST, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(DI_OK, keyboard->Acquire());
    EXPECT_EQ(DI_OK, keyboard->GetDeviceState(256, keys));
}

TEST_F(Input, ExclusiveMouseBelongsToOneDeviceAtATime)
{
    LPDIRECTINPUTDEVICE8 second = nullptr;
    ASSERT_EQ(DI_OK, input->CreateDevice(GUID_SysMouse, &second, nullptr));
    ASSERT_EQ(DI_OK, second->SetDataFormat(&c_dfDIMouse));
    ASSERT_EQ(DI_OK, second->SetCooperativeLevel(hwnd, DISCL_EXCLUSIVE | DISCL_FOREGROUND));
    EXPECT_EQ(DIERR_OTHERAPPHASPRIO, second->Acquire());
    // Anyone may read the mouse without exclusivity.
    ASSERT_EQ(DI_OK, second->SetCooperativeLevel(hwnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND));
    EXPECT_EQ(DI_OK, second->Acquire());
    EXPECT_EQ(DI_OK, second->Unacquire());
    // Once the holder lets go, the exclusive mouse can be had.
    ASSERT_EQ(DI_OK, second->SetCooperativeLevel(hwnd, DISCL_EXCLUSIVE | DISCL_FOREGROUND));
    ASSERT_EQ(DI_OK, mouse->Unacquire());
    EXPECT_EQ(DI_OK, second->Acquire());
    EXPECT_TRUE(SDL_GetRelativeMouseMode());
    EXPECT_EQ(0u, second->Release());
    EXPECT_FALSE(SDL_GetRelativeMouseMode());
}
} // namespace
