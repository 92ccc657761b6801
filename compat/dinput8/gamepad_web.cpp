// The page's game controllers: the Gamepad API's pads with the "standard" mapping, sampled once
// for each turn the browser had (a frame), each plugging-in told by the page's connected and
// disconnected events. Browsers show a pad only after one of its buttons was pressed on the
// page; the page's own script says so while none is seen.
#include <emscripten/html5.h>

#include <cstring>

#include "device_impl.h"
#include "gamepad_map.h"
#include "page_web.h"

namespace
{
// Whole run: the page's pad slots (the Gamepad API keeps a pad at its index while connected),
// each with the id of its present plugging-in or 0, and the last id handed out.
constexpr int MaxSlots = 8;
uint32_t SlotIds[MaxSlots] = {};
uint32_t LastId = 0;
bool Listening = false;
bool Sampled = false;
uint32_t SampledTurn = 0;

void Plugged(int index, bool connected)
{
    if (index < 0 || index >= MaxSlots)
        return;
    if (!connected)
        SlotIds[index] = 0;
    else if (SlotIds[index] == 0)
        SlotIds[index] = ++LastId;
}

EM_BOOL OnGamepad(int type, const EmscriptenGamepadEvent* event, void*)
{
    Plugged(static_cast<int>(event->index), type == EMSCRIPTEN_EVENT_GAMEPADCONNECTED);
    return EM_FALSE;
}

// The pads as the page last saw them: taken once a turn, for reading every control of one pad
// from one moment.
bool Sample()
{
    if (!Listening)
    {
        Listening = true;
        emscripten_set_gamepadconnected_callback(nullptr, EM_FALSE, OnGamepad);
        emscripten_set_gamepaddisconnected_callback(nullptr, EM_FALSE, OnGamepad);
    }
    if (!Sampled || PageTurns() != SampledTurn)
    {
        if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS)
            return false;
        Sampled = true;
        SampledTurn = PageTurns();
        // A pad the page already knew before we listened, or whose event we have not had yet.
        const int count = emscripten_get_num_gamepads();
        for (int index = 0; index < count && index < MaxSlots; ++index)
        {
            EmscriptenGamepadEvent status;
            const bool there =
                emscripten_get_gamepad_status(index, &status) == EMSCRIPTEN_RESULT_SUCCESS &&
                status.connected;
            Plugged(index, there);
        }
    }
    return true;
}

// The slot's state now, when it holds a standard pad.
bool Status(int index, EmscriptenGamepadEvent* status)
{
    return emscripten_get_gamepad_status(index, status) == EMSCRIPTEN_RESULT_SUCCESS &&
           status->connected && std::strcmp(status->mapping, "standard") == 0;
}

int SlotOf(uint32_t id)
{
    for (int index = 0; index < MaxSlots; ++index)
        if (id != 0 && SlotIds[index] == id)
            return index;
    return -1;
}
} // namespace

int ListSystemPads(uint32_t ids[], const char* names[], int max)
{
    // The names live on until the next listing.
    static EmscriptenGamepadEvent listed[MaxSlots];
    if (!Sample())
        return 0;
    int count = 0;
    for (int index = 0; index < MaxSlots && count < max; ++index)
        if (SlotIds[index] != 0 && Status(index, &listed[count]))
        {
            ids[count] = SlotIds[index];
            names[count] = listed[count].id;
            ++count;
        }
    return count;
}

bool OpenSystemPad(uint32_t id)
{
    return Sample() && SlotOf(id) >= 0;
}

void CloseSystemPad(uint32_t id)
{
    (void)id;
}

bool ReadSystemPad(uint32_t id, StandardPad* pad)
{
    EmscriptenGamepadEvent status;
    // Sampling first: a pad pulled out since the last turn has lost its slot.
    if (!Sample())
        return false;
    const int index = SlotOf(id);
    if (index < 0 || !Status(index, &status))
        return false;
    for (int axis = PadLeftX; axis <= PadRightY; ++axis)
        pad->Axis[axis] = axis < status.numAxes ? static_cast<float>(status.axis[axis]) : 0.0f;
    pad->Axis[PadLeftTrigger] = WebLeftTriggerSlot < status.numButtons
                                    ? static_cast<float>(status.analogButton[WebLeftTriggerSlot])
                                    : 0.0f;
    pad->Axis[PadRightTrigger] = WebRightTriggerSlot < status.numButtons
                                     ? static_cast<float>(status.analogButton[WebRightTriggerSlot])
                                     : 0.0f;
    std::memset(pad->Button, 0, sizeof pad->Button);
    for (int slot = 0; slot < WebStandardButtonCount && slot < status.numButtons; ++slot)
        if (WebStandardButtons[slot] >= 0 && status.digitalButton[slot])
            pad->Button[WebStandardButtons[slot]] = true;
    return true;
}

void StopSystemPads() {}
