// The DirectInput stand-in without a display (SDL's dummy driver, where no window ever has
// focus): creation and its checks, data formats, cooperative levels, acquisition and read
// errors, the key table, the wheel, and the test sources.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <map>
#include <set>

#include "compat/dinput8/gamepad_map.h"
#include "compat/dinput8/keyboard_map.h"
#include "dinput.h"
#include "standin.h"
#include "standin_window.h"

namespace
{
class Devices : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(DI_OK, DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A,
                                            reinterpret_cast<LPVOID*>(&input), nullptr));
        window = SDL_CreateWindow("input", 0, 0, 64, 48, SDL_WINDOW_HIDDEN);
        ASSERT_NE(nullptr, window);
        ASSERT_EQ(DI_OK, input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr));
        ASSERT_EQ(DI_OK, input->CreateDevice(GUID_SysMouse, &mouse, nullptr));
    }

    void TearDown() override
    {
        StandinSetKeyboardSource(nullptr);
        StandinSetMouseSource(nullptr);
        // The devices hold the DirectInput object, so releasing it first is safe.
        EXPECT_EQ(2u, input->Release());
        EXPECT_EQ(0u, keyboard->Release());
        EXPECT_EQ(0u, mouse->Release());
        SDL_DestroyWindow(window);
    }

    HWND Hwnd() const { return HwndFromSdlWindow(window); }

    LPDIRECTINPUT8 input = nullptr;
    LPDIRECTINPUTDEVICE8 keyboard = nullptr;
    LPDIRECTINPUTDEVICE8 mouse = nullptr;
    SDL_Window* window = nullptr;
};

TEST(DirectInput, CreationChecksVersionInterfaceAndOutput)
{
    LPVOID out = reinterpret_cast<LPVOID>(1);
    EXPECT_EQ(DIERR_OLDDIRECTINPUTVERSION,
              DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8A, &out, nullptr));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(DIERR_BETADIRECTINPUTVERSION,
              DirectInput8Create(nullptr, 0x0900, IID_IDirectInput8A, &out, nullptr));
    EXPECT_EQ(DIERR_NOINTERFACE, DirectInput8Create(nullptr, 0x0800, GUID_SysMouse, &out, nullptr));
    EXPECT_EQ(DIERR_INVALIDPARAM,
              DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, nullptr, nullptr));
    EXPECT_EQ(nullptr, out);

    ASSERT_EQ(DI_OK,
              DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr));
    auto* input = static_cast<LPDIRECTINPUT8>(out);
    ASSERT_NE(nullptr, input);
    LPDIRECTINPUTDEVICE8 device = reinterpret_cast<LPDIRECTINPUTDEVICE8>(1);
    EXPECT_EQ(DIERR_DEVICENOTREG, input->CreateDevice(IID_IDirectInput8A, &device, nullptr));
    EXPECT_EQ(nullptr, device);
    EXPECT_EQ(DIERR_INVALIDPARAM, input->CreateDevice(GUID_SysKeyboard, nullptr, nullptr));
    EXPECT_EQ(0u, input->Release());
}

TEST(DirectInput, IdentifiersAndFormatsHaveTheirShapes)
{
    EXPECT_NE(GUID_SysKeyboard, GUID_SysMouse);
    EXPECT_NE(GUID_SysKeyboard, IID_IDirectInput8A);
    EXPECT_EQ(256u, c_dfDIKeyboard.dwDataSize);
    EXPECT_EQ(256u, c_dfDIKeyboard.dwNumObjs);
    EXPECT_EQ(16u, c_dfDIMouse.dwDataSize);
    EXPECT_EQ(16u, sizeof(DIMOUSESTATE));
    EXPECT_EQ(7u, c_dfDIMouse.dwNumObjs);
    EXPECT_TRUE(c_dfDIMouse.dwFlags & DIDF_RELAXIS);
    // Every object lies inside the data it describes: keys one byte each, axes and buttons at
    // their DIMOUSESTATE offsets.
    for (DWORD i = 0; i < c_dfDIKeyboard.dwNumObjs; ++i)
        EXPECT_EQ(i, c_dfDIKeyboard.rgodf[i].dwOfs);
    const DWORD mouseOffsets[7] = {offsetof(DIMOUSESTATE, lX),
                                   offsetof(DIMOUSESTATE, lY),
                                   offsetof(DIMOUSESTATE, lZ),
                                   offsetof(DIMOUSESTATE, rgbButtons),
                                   offsetof(DIMOUSESTATE, rgbButtons) + 1,
                                   offsetof(DIMOUSESTATE, rgbButtons) + 2,
                                   offsetof(DIMOUSESTATE, rgbButtons) + 3};
    for (DWORD i = 0; i < 7; ++i)
        EXPECT_EQ(mouseOffsets[i], c_dfDIMouse.rgodf[i].dwOfs);
}

TEST_F(Devices, DataFormatMustMatchTheDevice)
{
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->SetDataFormat(nullptr));
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->SetDataFormat(&c_dfDIMouse));
    EXPECT_EQ(DIERR_INVALIDPARAM, mouse->SetDataFormat(&c_dfDIKeyboard));
    DIDATAFORMAT absolute = c_dfDIMouse;
    absolute.dwFlags = DIDF_ABSAXIS;
    EXPECT_EQ(DIERR_INVALIDPARAM, mouse->SetDataFormat(&absolute));
    // A copy of the predefined layout is the same format.
    const DIDATAFORMAT copy = c_dfDIKeyboard;
    EXPECT_EQ(DI_OK, keyboard->SetDataFormat(&copy));
    EXPECT_EQ(DI_OK, mouse->SetDataFormat(&c_dfDIMouse));
}

TEST_F(Devices, CooperativeLevelNeedsOneOfEachPairAndAWindow)
{
    struct Case
    {
        DWORD flags;
        HRESULT keyboard;
        HRESULT mouse;
    };
    const Case cases[] = {
        {0, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM},
        {DISCL_FOREGROUND, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM},
        {DISCL_EXCLUSIVE, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM},
        {DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM,
         DIERR_INVALIDPARAM},
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND, DIERR_INVALIDPARAM,
         DIERR_INVALIDPARAM},
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | 0x100, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM},
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DI_OK, DI_OK},
        {DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DI_OK, DI_OK},
        {DISCL_EXCLUSIVE | DISCL_FOREGROUND, DI_OK, DI_OK},
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_NOWINKEY, DI_OK, DI_OK},
        {DISCL_EXCLUSIVE | DISCL_BACKGROUND, DIERR_UNSUPPORTED, DIERR_UNSUPPORTED},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.keyboard, keyboard->SetCooperativeLevel(Hwnd(), c.flags)) << c.flags;
        EXPECT_EQ(c.mouse, mouse->SetCooperativeLevel(Hwnd(), c.flags)) << c.flags;
    }
    EXPECT_EQ(DIERR_INVALIDPARAM,
              keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND));
}

TEST_F(Devices, AcquisitionAndReadErrors)
{
    BYTE keys[256];
    // No format yet: nothing to acquire, nothing to read.
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->Acquire());
    EXPECT_EQ(DIERR_NOTACQUIRED, keyboard->GetDeviceState(256, keys));

    ASSERT_EQ(DI_OK, keyboard->SetDataFormat(&c_dfDIKeyboard));
    EXPECT_EQ(DIERR_NOTACQUIRED, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->GetDeviceState(255, keys));
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->GetDeviceState(256, nullptr));

    // A foreground device needs its window in front; no window has focus on this driver.
    ASSERT_EQ(DI_OK, keyboard->SetCooperativeLevel(Hwnd(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND));
    EXPECT_EQ(DIERR_OTHERAPPHASPRIO, keyboard->Acquire());
    EXPECT_EQ(DIERR_NOTACQUIRED, keyboard->GetDeviceState(256, keys));

    ASSERT_EQ(DI_OK, keyboard->SetCooperativeLevel(Hwnd(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND));
    EXPECT_EQ(DI_OK, keyboard->Acquire());
    EXPECT_EQ(DI_NOEFFECT, keyboard->Acquire());
    std::memset(keys, 0x55, sizeof keys);
    EXPECT_EQ(DI_OK, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(0, keys[DIK_SPACE]); // filled in: no key is down
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->GetDeviceState(16, keys));
    // Format and level stay as they are while the device is acquired.
    EXPECT_EQ(DIERR_ACQUIRED, keyboard->SetDataFormat(&c_dfDIKeyboard));
    EXPECT_EQ(DIERR_ACQUIRED,
              keyboard->SetCooperativeLevel(Hwnd(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND));

    EXPECT_EQ(DI_OK, keyboard->Unacquire());
    EXPECT_EQ(DI_NOEFFECT, keyboard->Unacquire());
    EXPECT_EQ(DIERR_NOTACQUIRED, keyboard->GetDeviceState(256, keys));
}

// The controller table both stand-in backends fill DIJOYSTATE2 with: what the play tests, which
// steer with the left stick and press A, Y and Start, cannot see.
TEST(GamepadTable, AxesButtonsAndDpadAsAnXInputPad)
{
    const PadAxisScale game = {-1000, 1000, 2000, 10000};
    StandardPad pad{};
    DIJOYSTATE2 state;
    memset(&state, 0x55, sizeof state);
    FillJoyState(pad, game, &state);
    EXPECT_EQ(0, state.lX);
    EXPECT_EQ(0, state.lZ);
    EXPECT_EQ(0xFFFFFFFFu, state.rgdwPOV[0]) << "the d-pad at rest is not centred";
    EXPECT_EQ(0xFFFFFFFFu, state.rgdwPOV[3]);
    EXPECT_EQ(0, state.rgbButtons[0]);
    EXPECT_EQ(0, state.lVX) << "what the pad lacks does not read as zero";

    // Inside the dead zone nothing; beyond it the rest of the way maps onto the range, each
    // axis to its own field; the triggers share Z, the left one toward lMax.
    pad.Axis[PadLeftX] = 0.19f;
    pad.Axis[PadLeftY] = -0.6f;
    pad.Axis[PadRightX] = 1.0f;
    pad.Axis[PadRightY] = -1.0f;
    pad.Axis[PadLeftTrigger] = 1.0f;
    FillJoyState(pad, game, &state);
    EXPECT_EQ(0, state.lX);
    EXPECT_EQ(-500, state.lY);
    EXPECT_EQ(1000, state.lRx);
    EXPECT_EQ(-1000, state.lRy);
    EXPECT_EQ(1000, state.lZ);
    pad.Axis[PadRightTrigger] = 1.0f;
    FillJoyState(pad, game, &state);
    EXPECT_EQ(0, state.lZ) << "both triggers held cancel out on Z";
    // The platform's default range, 0..65535 centred at 32768, and no dead zone.
    pad = StandardPad{};
    pad.Axis[PadLeftX] = -1.0f;
    pad.Axis[PadLeftY] = 0.1f;
    FillJoyState(pad, {0, 65535, 0, 10000}, &state);
    EXPECT_EQ(0, state.lX);
    EXPECT_NEAR(32768 + 3277, state.lY, 1);
    EXPECT_NEAR(32768, state.lRx, 1);

    // The d-pad is the first POV, in hundredths of a degree clockwise from up; opposite
    // directions cancel; it never shows as buttons.
    const struct
    {
        bool up, down, left, right;
        DWORD pov;
    } dpad[] = {{true, false, false, false, 0},    {false, false, false, true, 9000},
                {false, true, false, true, 13500}, {false, true, false, false, 18000},
                {true, false, true, false, 31500}, {false, false, true, true, 0xFFFFFFFF},
                {true, true, true, false, 27000}};
    for (const auto& c : dpad)
    {
        pad = StandardPad{};
        pad.Button[PadUp] = c.up;
        pad.Button[PadDown] = c.down;
        pad.Button[PadLeft] = c.left;
        pad.Button[PadRight] = c.right;
        FillJoyState(pad, game, &state);
        EXPECT_EQ(c.pov, state.rgdwPOV[0]) << c.up << c.down << c.left << c.right;
        for (BYTE button : state.rgbButtons)
            EXPECT_EQ(0, button);
    }

    // The buttons in the pad's numbering; the guide button is not offered.
    const int numbered[10] = {
        PadA,    PadB,     PadX,         PadY,         PadLeftShoulder, PadRightShoulder,
        PadBack, PadStart, PadLeftStick, PadRightStick};
    for (int n = 0; n < 10; ++n)
    {
        pad = StandardPad{};
        pad.Button[numbered[n]] = true;
        FillJoyState(pad, game, &state);
        for (int b = 0; b < 128; ++b)
            EXPECT_EQ(b == n ? 0x80 : 0, state.rgbButtons[b]) << "control " << numbered[n];
    }
    pad = StandardPad{};
    pad.Button[PadGuide] = true;
    FillJoyState(pad, game, &state);
    for (BYTE button : state.rgbButtons)
        EXPECT_EQ(0, button);

    // The page's standard mapping: Back and Start sit at 8 and 9, the d-pad at 12..15, the
    // triggers (6, 7) are axes.
    EXPECT_EQ(PadA, WebStandardButtons[0]);
    EXPECT_EQ(PadRightShoulder, WebStandardButtons[5]);
    EXPECT_EQ(-1, WebStandardButtons[WebLeftTriggerSlot]);
    EXPECT_EQ(-1, WebStandardButtons[WebRightTriggerSlot]);
    EXPECT_EQ(PadBack, WebStandardButtons[8]);
    EXPECT_EQ(PadStart, WebStandardButtons[9]);
    EXPECT_EQ(PadRightStick, WebStandardButtons[11]);
    EXPECT_EQ(PadUp, WebStandardButtons[12]);
    EXPECT_EQ(PadRight, WebStandardButtons[15]);
    EXPECT_EQ(PadGuide, WebStandardButtons[16]);
}

TEST(KeyTable, SpotChecks)
{
    const std::pair<SDL_Scancode, BYTE> expected[] = {
        {SDL_SCANCODE_A, DIK_A},
        {SDL_SCANCODE_Q, DIK_Q},
        {SDL_SCANCODE_Z, DIK_Z},
        {SDL_SCANCODE_P, DIK_P},
        {SDL_SCANCODE_C, DIK_C},
        {SDL_SCANCODE_T, DIK_T},
        {SDL_SCANCODE_F, DIK_F},
        {SDL_SCANCODE_R, DIK_R},
        {SDL_SCANCODE_1, DIK_1},
        {SDL_SCANCODE_9, DIK_9},
        {SDL_SCANCODE_0, DIK_0},
        {SDL_SCANCODE_SPACE, DIK_SPACE},
        {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
        {SDL_SCANCODE_PAUSE, DIK_PAUSE},
        {SDL_SCANCODE_RETURN, DIK_RETURN},
        {SDL_SCANCODE_BACKSPACE, DIK_BACK},
        {SDL_SCANCODE_UP, DIK_UP},
        {SDL_SCANCODE_DOWN, DIK_DOWN},
        {SDL_SCANCODE_LEFT, DIK_LEFT},
        {SDL_SCANCODE_RIGHT, DIK_RIGHT},
        {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
        {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
        {SDL_SCANCODE_KP_0, DIK_NUMPAD0},
        {SDL_SCANCODE_KP_5, DIK_NUMPAD5},
        {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
        {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
        {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
        {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY},
        {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
        {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK},
        {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
        {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
        {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
        {SDL_SCANCODE_RALT, DIK_RMENU},
        {SDL_SCANCODE_RGUI, DIK_RWIN},
        {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},
        {SDL_SCANCODE_F1, DIK_F1},
        {SDL_SCANCODE_F11, DIK_F11},
        {SDL_SCANCODE_F12, DIK_F12},
        {SDL_SCANCODE_GRAVE, DIK_GRAVE},
        {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102},
        {SDL_SCANCODE_INTERNATIONAL3, DIK_YEN},
        {SDL_SCANCODE_AUDIONEXT, DIK_NEXTTRACK},
    };
    for (const auto& pair : expected)
        EXPECT_EQ(pair.second, DikFromSdlScancode(pair.first)) << SDL_GetScancodeName(pair.first);
    EXPECT_EQ(0, DikFromSdlScancode(SDL_SCANCODE_UNKNOWN));
    EXPECT_EQ(0, DikFromSdlScancode(SDL_SCANCODE_F24)); // the platform has no code for it
    EXPECT_EQ(0, DikFromSdlScancode(-1));
    EXPECT_EQ(0, DikFromSdlScancode(SDL_NUM_SCANCODES));
}

TEST(KeyTable, TwoScancodesShareACodeOnlyWhenTheyAreOneKey)
{
    // The ISO key beside Return sits where the US backslash is; the keyboard's mute key and the
    // media mute key are one function.
    const std::set<std::set<int>> sameKey = {
        {SDL_SCANCODE_BACKSLASH, SDL_SCANCODE_NONUSHASH},
        {SDL_SCANCODE_MUTE, SDL_SCANCODE_AUDIOMUTE},
    };
    std::map<BYTE, std::set<int>> byCode;
    int mapped = 0;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
    {
        if (const BYTE dik = DikFromSdlScancode(scancode))
        {
            byCode[dik].insert(scancode);
            ++mapped;
        }
    }
    for (const auto& entry : byCode)
    {
        if (entry.second.size() > 1)
        {
            EXPECT_EQ(1u, sameKey.count(entry.second)) << "DIK code " << int(entry.first);
        }
    }
    // Every key of a full-size keyboard with its media keys is there.
    EXPECT_GE(mapped, 130);
}

HRESULT HeldKeys(BYTE keys[256])
{
    keys[DIK_SPACE] = 0x80;
    keys[DIK_P] = 0x80;
    return DI_OK;
}
HRESULT BrokenKeyboard(BYTE keys[256])
{
    keys[DIK_ESCAPE] = 0x80;
    return DIERR_INPUTLOST;
}
HRESULT MovingMouse(void* state)
{
    auto* mouse = static_cast<DIMOUSESTATE*>(state);
    mouse->lX = -12;
    mouse->lY = 3;
    mouse->rgbButtons[0] = 0x80;
    return DI_OK;
}

TEST_F(Devices, TestSourcesFeedAcquiredDevicesOnly)
{
    StandinSetKeyboardSource(HeldKeys);
    StandinSetMouseSource(MovingMouse);
    BYTE keys[256] = {};
    DIMOUSESTATE state{};
    ASSERT_EQ(DI_OK, keyboard->SetDataFormat(&c_dfDIKeyboard));
    ASSERT_EQ(DI_OK, mouse->SetDataFormat(&c_dfDIMouse));
    EXPECT_EQ(DIERR_NOTACQUIRED, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(0, keys[DIK_SPACE]);

    ASSERT_EQ(DI_OK, keyboard->SetCooperativeLevel(Hwnd(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND));
    ASSERT_EQ(DI_OK, mouse->SetCooperativeLevel(Hwnd(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND));
    ASSERT_EQ(DI_OK, keyboard->Acquire());
    ASSERT_EQ(DI_OK, mouse->Acquire());
    EXPECT_EQ(DI_OK, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(0x80, keys[DIK_SPACE]);
    EXPECT_EQ(0x80, keys[DIK_P]);
    EXPECT_EQ(0, keys[DIK_ESCAPE]);
    EXPECT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));
    EXPECT_EQ(-12, state.lX);
    EXPECT_EQ(3, state.lY);
    EXPECT_EQ(0x80, state.rgbButtons[0]);

    // A failing source gives its result and leaves the buffer as the last good read left it.
    StandinSetKeyboardSource(BrokenKeyboard);
    EXPECT_EQ(DIERR_INPUTLOST, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(0x80, keys[DIK_SPACE]);
    EXPECT_EQ(0, keys[DIK_ESCAPE]);

    // Without sources the real (idle) devices are read again.
    StandinSetKeyboardSource(nullptr);
    StandinSetMouseSource(nullptr);
    EXPECT_EQ(DI_OK, keyboard->GetDeviceState(256, keys));
    EXPECT_EQ(0, keys[DIK_SPACE]);
    EXPECT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));
    EXPECT_EQ(0, state.lX);
    EXPECT_EQ(0, state.rgbButtons[0]);
}

TEST_F(Devices, WheelAddsUpUntilRead)
{
    ASSERT_EQ(DI_OK, mouse->SetDataFormat(&c_dfDIMouse));
    ASSERT_EQ(DI_OK, mouse->SetCooperativeLevel(Hwnd(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND));
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 1;
    SDL_PushEvent(&wheel); // before the acquisition: not the program's
    ASSERT_EQ(DI_OK, mouse->Acquire());
    SDL_PushEvent(&wheel);
    SDL_PushEvent(&wheel);
    wheel.wheel.y = -1;
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED; // reported reversed: really forward
    SDL_PushEvent(&wheel);

    DIMOUSESTATE state{};
    ASSERT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));
    EXPECT_EQ(3 * 120, state.lZ);
    ASSERT_EQ(DI_OK, mouse->GetDeviceState(sizeof state, &state));
    EXPECT_EQ(0, state.lZ);
}
} // namespace
