// pad_probe: what DirectInput 8 makes of the game controllers, one line per change on standard
// output, for a script to wait on (tests/wine/pad_wine.sh):
//   pad_probe.exe [seconds]     (runs that long, 120 by default)
// It asks for controllers as the game does (DI8DEVCLASS_GAMECTRL, attached only, the first one,
// c_dfDIJoystick2, a range of -1000..1000 and a 20 % dead zone set by property) but in background
// cooperation, so it reads the controller without the keyboard focus. Lines:
//   enumerated <count> in <ms> ms             every enumeration (four a second)
//   devices <count>                           when the count changes, and at the first one
//   opened "<name>" vendor <hex> product <hex> type <gamepad|joystick|n> axes <n> buttons <n>
//          povs <n>
//   state x <n> y <n> z <n> rx <n> ry <n> rz <n> pov <n> buttons <i,j,...|-> at <ms>
//                                             at the first read and whenever it changes; <ms>
//                                             is the wall clock, milliseconds since 1970
//   lost <error>                              the device stopped answering and was let go
//   failed <call> <hr>                        a call that should not fail did
#define DIRECTINPUT_VERSION 0x0800
#include <windows.h>
#include <dinput.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace
{
IDirectInput8A* input;
IDirectInputDevice8A* pad;
DIJOYSTATE2 last;
bool have_last;
LARGE_INTEGER frequency;

double now_ms()
{
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return 1000.0 * (double)count.QuadPart / (double)frequency.QuadPart;
}

// The wall clock in milliseconds since 1970, as Linux gives it, so a script can set a change seen
// here beside the moment it was made outside Wine.
double unix_ms()
{
    FILETIME time;
    GetSystemTimePreciseAsFileTime(&time);
    ULONGLONG ticks = ((ULONGLONG)time.dwHighDateTime << 32) | time.dwLowDateTime;
    return (double)(ticks - 116444736000000000ULL) / 10000.0;
}

void say(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    putchar('\n');
    fflush(stdout);
}

struct Listing
{
    int count;
    DIDEVICEINSTANCEA first;
};

BOOL CALLBACK on_device(LPCDIDEVICEINSTANCEA instance, LPVOID context)
{
    Listing* listing = (Listing*)context;
    if (listing->count == 0)
        listing->first = *instance;
    listing->count++;
    return DIENUM_CONTINUE;
}

const char* type_name(DWORD type)
{
    static char number[16];
    switch (GET_DIDEVICE_TYPE(type))
    {
    case DI8DEVTYPE_GAMEPAD:
        return "gamepad";
    case DI8DEVTYPE_JOYSTICK:
        return "joystick";
    default:
        snprintf(number, sizeof number, "%lu", (unsigned long)GET_DIDEVICE_TYPE(type));
        return number;
    }
}

// The failures a device that goes away gives, by name; others by number.
const char* error_text(HRESULT hr)
{
    static char number[16];
    if (hr == (HRESULT)DIERR_INPUTLOST)
        return "DIERR_INPUTLOST";
    if (hr == (HRESULT)DIERR_UNPLUGGED)
        return "DIERR_UNPLUGGED";
    if (hr == (HRESULT)DIERR_NOTACQUIRED)
        return "DIERR_NOTACQUIRED";
    snprintf(number, sizeof number, "0x%08lx", (unsigned long)hr);
    return number;
}

void release_pad()
{
    if (!pad)
        return;
    pad->Unacquire();
    pad->Release();
    pad = nullptr;
    have_last = false;
}

bool set_dword(REFGUID property, DWORD how, DWORD object, DWORD value)
{
    DIPROPDWORD dword = {};
    dword.diph.dwSize = sizeof dword;
    dword.diph.dwHeaderSize = sizeof dword.diph;
    dword.diph.dwObj = object;
    dword.diph.dwHow = how;
    dword.dwData = value;
    return SUCCEEDED(pad->SetProperty(property, &dword.diph));
}

void open_pad(HWND window, const DIDEVICEINSTANCEA& instance)
{
    HRESULT hr = input->CreateDevice(instance.guidInstance, &pad, nullptr);
    if (FAILED(hr))
    {
        say("failed CreateDevice %s", error_text(hr));
        pad = nullptr;
        return;
    }
    hr = pad->SetDataFormat(&c_dfDIJoystick2);
    if (FAILED(hr))
        say("failed SetDataFormat %s", error_text(hr));
    hr = pad->SetCooperativeLevel(window, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE);
    if (FAILED(hr))
        say("failed SetCooperativeLevel %s", error_text(hr));
    DIPROPRANGE range = {};
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwHow = DIPH_DEVICE;
    range.lMin = -1000;
    range.lMax = 1000;
    hr = pad->SetProperty(DIPROP_RANGE, &range.diph);
    if (FAILED(hr))
        say("failed SetProperty(DIPROP_RANGE) %s", error_text(hr));
    if (!set_dword(DIPROP_DEADZONE, DIPH_DEVICE, 0, 2000))
        say("failed SetProperty(DIPROP_DEADZONE)");
    DIDEVCAPS caps = {};
    caps.dwSize = sizeof caps;
    pad->GetCapabilities(&caps);
    hr = pad->Acquire();
    if (FAILED(hr))
        say("failed Acquire %s", error_text(hr));
    DWORD ids = instance.guidProduct.Data1;
    say("opened \"%s\" vendor %04lx product %04lx type %s axes %lu buttons %lu povs %lu",
        instance.tszProductName, (unsigned long)LOWORD(ids), (unsigned long)HIWORD(ids),
        type_name(instance.dwDevType), (unsigned long)caps.dwAxes, (unsigned long)caps.dwButtons,
        (unsigned long)caps.dwPOVs);
}

void print_state(const DIJOYSTATE2& state)
{
    char buttons[128 * 4 + 2] = "";
    size_t used = 0;
    for (int i = 0; i < 128; i++)
        if (state.rgbButtons[i] & 0x80)
            used += snprintf(buttons + used, sizeof buttons - used, "%s%d", used ? "," : "", i);
    if (used == 0)
        strcpy(buttons, "-");
    say("state x %ld y %ld z %ld rx %ld ry %ld rz %ld pov %ld buttons %s at %.1f", state.lX,
        state.lY, state.lZ, state.lRx, state.lRy, state.lRz, (long)(int)state.rgdwPOV[0], buttons,
        unix_ms());
}

void read_pad()
{
    pad->Poll();
    DIJOYSTATE2 state;
    HRESULT hr = pad->GetDeviceState(sizeof state, &state);
    if (FAILED(hr))
    {
        // Taken back once if it can be; a device that is gone refuses.
        if (SUCCEEDED(pad->Acquire()) && SUCCEEDED(pad->GetDeviceState(sizeof state, &state)))
            return;
        say("lost %s", error_text(hr));
        release_pad();
        return;
    }
    if (have_last && memcmp(&state, &last, sizeof state) == 0)
        return;
    last = state;
    have_last = true;
    print_state(state);
}
} // namespace

int main(int argc, char** argv)
{
    double seconds = argc > 1 ? atof(argv[1]) : 120.0;
    QueryPerformanceFrequency(&frequency);
    HINSTANCE instance = GetModuleHandleA(nullptr);

    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = instance;
    window_class.lpszClassName = "pad_probe";
    RegisterClassA(&window_class);
    HWND window = CreateWindowA("pad_probe", "pad_probe", WS_OVERLAPPEDWINDOW, 0, 0, 160, 120,
                                nullptr, nullptr, instance, nullptr);
    if (!window)
    {
        say("failed CreateWindow %lu", (unsigned long)GetLastError());
        return 1;
    }
    HRESULT hr = DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                    (void**)&input, nullptr);
    if (FAILED(hr))
    {
        say("failed DirectInput8Create %s", error_text(hr));
        return 1;
    }

    int devices = -1;
    double start = now_ms(), next_listing = start;
    while (now_ms() - start < seconds * 1000.0)
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (now_ms() >= next_listing)
        {
            Listing listing = {};
            double before = now_ms();
            hr = input->EnumDevices(DI8DEVCLASS_GAMECTRL, on_device, &listing, DIEDFL_ATTACHEDONLY);
            double took = now_ms() - before;
            if (FAILED(hr))
                say("failed EnumDevices %s", error_text(hr));
            say("enumerated %d in %.2f ms", listing.count, took);
            if (listing.count != devices)
                say("devices %d", listing.count);
            devices = listing.count;
            if (devices == 0 && pad)
            {
                say("lost (no longer listed)");
                release_pad();
            }
            if (devices > 0 && !pad)
                open_pad(window, listing.first);
            next_listing = now_ms() + 250.0;
        }
        if (pad)
            read_pad();
        Sleep(1);
    }
    release_pad();
    input->Release();
    DestroyWindow(window);
    return 0;
}
