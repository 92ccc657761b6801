// The page's side of the stand-in in a browser: html5.h handlers for the keyboard (by
// KeyboardEvent.code, the physical key, as DIK codes), the pointer (locked movementX/Y and
// buttons), touch (a finger dragged over the canvas is mouse motion, a tap its left button, the
// page's on-screen controls keys), focus, visibility, pointer lock and full screen; the browser's
// turn to run (emscripten_sleep under ASYNCIFY); and the modal message box drawn by the page's
// script.
#include "page_web.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

#include "dinput.h"
#include "keyboard_map.h"

namespace
{
// Whole run: what the handlers have seen.
bool Started = false;
bool Focused = true; // a page loads focused; blur says otherwise
bool Visible = true;
bool PointerLocked = false;
bool PointerWanted = false; // the program acquired its exclusive mouse
bool PointerEverLocked = false;
uint32_t FocusLosses = 0;
BYTE Keys[256] = {};
// Keys pressed since the program last read the keys: each reads as down once even when it was
// already let go, so a press quicker than a game step (or made while the page's frames stall,
// as they do at times in WebKit) is never lost.
bool KeysUnseen[256] = {};
// Keys let go since the program last read them down: each reads as up once even when it was
// pressed again, so a release and the next press quicker than a game step (a busy machine can
// run none for a while) are two presses, not one held key.
bool ReleasesUnseen[256] = {};
LONG MotionX = 0;
LONG MotionY = 0;
LONG Wheel = 0;
BYTE Buttons[4] = {};
std::deque<bool> Activations;
bool LastInFront = true;
double LastYield = 0.0;
uint32_t Turns = 0;

// A finger dragged across the picture's whole width moves the mouse this many counts: the game
// moves the bat 0.714 world units a count at the frame rate it was tuned for, so the drag takes
// the bat the 600 units from rail to rail (further at lower rates, where a count moves it more).
constexpr double kCountsAcrossPicture = 840.0;
// A touch that ends having moved less than this far (CSS pixels) is a tap, however long it was
// down: a finger put down and lifted again says nothing else.
constexpr double kTapDistance = 12.0;

// Whole run: the fingers on the canvas (by the browser's identifier), the motion they made that
// is not a whole count yet, and a tap the program has not read yet.
struct Finger
{
    long Id;
    long X, Y;
    double Travel;
};
std::vector<Finger> Fingers;
double TouchCarryX = 0.0;
double TouchCarryY = 0.0;
bool TapUnseen = false;

// The page's on-screen controls (index.html) and the keys they stand for. A control is held
// while a finger is on it, and counts as down until the program has read the keys once, so a
// tap quicker than a game step is never lost.
struct Control
{
    const char* Selector;
    BYTE Dik;
    bool Held;
    bool Unseen;
};
Control Controls[] = {
    {"#touch-pause", DIK_P, false, false}, {"#touch-camera", DIK_C, false, false},
    {"#touch-rate", DIK_F, false, false},  {"#touch-title", DIK_T, false, false},
    {"#touch-new", DIK_R, false, false},   {"#touch-leave", DIK_ESCAPE, false, false},
};

// Tells the window about a change of "in front", once per change.
void NoteActivation()
{
    const bool now = PageInFront();
    if (now != LastInFront)
        Activations.push_back(now);
    LastInFront = now;
}

void LoseFocus()
{
    ++FocusLosses;
    // Keys held while the page goes away are never seen released.
    std::memset(Keys, 0, sizeof Keys);
    std::memset(KeysUnseen, 0, sizeof KeysUnseen);
    std::memset(ReleasesUnseen, 0, sizeof ReleasesUnseen);
    std::memset(Buttons, 0, sizeof Buttons);
    Fingers.clear();
    TapUnseen = false;
    for (Control& control : Controls)
        control.Held = control.Unseen = false;
}

// The player is at the page: input reaches it, whether or not the browser said it has focus
// (a headless one may not).
void NoteInputFromPlayer()
{
    if (Focused)
        return;
    Focused = true;
    NoteActivation();
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*)
{
    const BYTE dik = DikFromKeyCode(event->code);
    if (!dik)
        return EM_FALSE;
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    Keys[dik] = down ? 0x80 : 0;
    if (down && !event->repeat)
        KeysUnseen[dik] = true;
    // A press not read yet still reads as down once, and then up: no release to keep for it.
    if (!down && !KeysUnseen[dik])
        ReleasesUnseen[dik] = true;
    // While the program holds the mouse its keys are its own: no scrolling on Space, no
    // find-as-you-type. Otherwise (a dialog on the page) the page's controls get them. Escape is
    // left to the browser (it leaves full screen and pointer lock where the keyboard is not
    // locked), and so are reload and the developer tools.
    return PointerWanted && dik != DIK_ESCAPE && dik != DIK_F5 && dik != DIK_F11 && dik != DIK_F12;
}

int ButtonIndex(unsigned short button)
{
    // The page numbers left 0, middle 1, right 2, back 3; the platform left, right, middle, back.
    switch (button)
    {
    case 0:
        return 0;
    case 1:
        return 2;
    case 2:
        return 1;
    case 3:
        return 3;
    default:
        return -1;
    }
}

EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* event, void*)
{
    if (type == EMSCRIPTEN_EVENT_MOUSEMOVE)
    {
        if (PointerLocked)
        {
            MotionX += event->movementX;
            MotionY += event->movementY;
        }
        return EM_FALSE;
    }
    const int index = ButtonIndex(event->button);
    if (index >= 0)
        Buttons[index] = type == EMSCRIPTEN_EVENT_MOUSEDOWN ? 0x80 : 0;
    // A click on the canvas means the page has the player's input, whether or not the browser
    // told the page it has focus (a headless one may not).
    if (type == EMSCRIPTEN_EVENT_MOUSEDOWN)
        NoteInputFromPlayer();
    return EM_FALSE;
}

// CSS pixels of the canvas element to mouse counts: the picture the page shows of the canvas
// (object-fit: contain, so the narrower of the element's width and the drawing's shape at its
// height) is kCountsAcrossPicture counts wide.
double CountsPerCssPixel()
{
    double cssWidth = 0.0, cssHeight = 0.0;
    int width = 0, height = 0;
    if (emscripten_get_element_css_size(kPageCanvas, &cssWidth, &cssHeight) !=
            EMSCRIPTEN_RESULT_SUCCESS ||
        emscripten_get_canvas_element_size(kPageCanvas, &width, &height) !=
            EMSCRIPTEN_RESULT_SUCCESS ||
        width <= 0 || height <= 0)
        return 1.0;
    const double pictureWidth = std::min(cssWidth, cssHeight * width / height);
    return pictureWidth > 0.0 ? kCountsAcrossPicture / pictureWidth : 1.0;
}

Finger* FindFinger(long id)
{
    auto found = std::find_if(Fingers.begin(), Fingers.end(),
                              [id](const Finger& finger) { return finger.Id == id; });
    return found == Fingers.end() ? nullptr : &*found;
}

// Fingers on the canvas: each one's motion is the mouse's (two fingers dragged add up), and a
// touch that stayed put is a click of the left button. Touches that began elsewhere (on an
// on-screen control) are not followed. The browser makes no mouse events of them.
EM_BOOL OnTouch(int type, const EmscriptenTouchEvent* event, void*)
{
    const double scale = CountsPerCssPixel();
    for (int i = 0; i < event->numTouches; ++i)
    {
        const EmscriptenTouchPoint& point = event->touches[i];
        if (!point.isChanged)
            continue;
        Finger* finger = FindFinger(point.identifier);
        if (type == EMSCRIPTEN_EVENT_TOUCHSTART)
        {
            if (!finger && point.onTarget)
                Fingers.push_back({point.identifier, point.targetX, point.targetY, 0.0});
            NoteInputFromPlayer();
            continue;
        }
        if (!finger)
            continue;
        const long dx = point.targetX - finger->X;
        const long dy = point.targetY - finger->Y;
        finger->X = point.targetX;
        finger->Y = point.targetY;
        finger->Travel += std::hypot(double(dx), double(dy));
        TouchCarryX += dx * scale;
        TouchCarryY += dy * scale;
        const double wholeX = std::trunc(TouchCarryX);
        const double wholeY = std::trunc(TouchCarryY);
        MotionX += LONG(wholeX);
        MotionY += LONG(wholeY);
        TouchCarryX -= wholeX;
        TouchCarryY -= wholeY;
        if (type == EMSCRIPTEN_EVENT_TOUCHEND || type == EMSCRIPTEN_EVENT_TOUCHCANCEL)
        {
            if (type == EMSCRIPTEN_EVENT_TOUCHEND && finger->Travel < kTapDistance)
                TapUnseen = true;
            Fingers.erase(Fingers.begin() + (finger - Fingers.data()));
        }
    }
    return EM_TRUE;
}

// An on-screen control touched or let go; a click on one (from a mouse, or a screen reader's
// activation) is a press the program reads once.
EM_BOOL OnControlTouch(int type, const EmscriptenTouchEvent*, void* data)
{
    Control& control = *static_cast<Control*>(data);
    if (type == EMSCRIPTEN_EVENT_TOUCHSTART)
    {
        control.Held = control.Unseen = true;
        NoteInputFromPlayer();
    }
    else
        control.Held = false;
    return EM_TRUE; // no click after the touch, no zoom on a double tap
}

EM_BOOL OnControlClick(int, const EmscriptenMouseEvent*, void* data)
{
    static_cast<Control*>(data)->Unseen = true;
    return EM_TRUE;
}

EM_BOOL OnWheel(int, const EmscriptenWheelEvent* event, void*)
{
    // Scrolling towards the page's top is the wheel turned forward.
    if (event->deltaY < 0)
        Wheel += 120;
    else if (event->deltaY > 0)
        Wheel -= 120;
    return EM_TRUE;
}

EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void*)
{
    Focused = type == EMSCRIPTEN_EVENT_FOCUS;
    if (!Focused)
        LoseFocus();
    NoteActivation();
    return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*)
{
    Visible = !event->hidden;
    if (!Visible)
        LoseFocus();
    NoteActivation();
    return EM_FALSE;
}

EM_BOOL OnPointerLock(int, const EmscriptenPointerlockChangeEvent* event, void*)
{
    PointerLocked = event->isActive;
    PointerEverLocked = PointerEverLocked || PointerLocked;
    // A locked pointer is the page's: it has the player's input.
    if (PointerLocked)
        Focused = true;
    NoteActivation();
    return EM_FALSE;
}

EM_BOOL OnFullscreen(int, const EmscriptenFullscreenChangeEvent* event, void*)
{
    // Leaving full screen leaves the game as leaving pointer lock does; the page's script lets
    // the pointer go with it.
    if (!event->isFullscreen)
        NoteActivation();
    return EM_FALSE;
}

// The page's script shows the box and calls back when OK is pressed.
// clang-format off
EM_JS(void, ShowPageBox, (const char* caption, const char* text), {
    if (typeof zendrillShowBox === "function")
        zendrillShowBox(UTF8ToString(caption), UTF8ToString(text));
    else
        Module.zendrillBoxClosed = true;
});

EM_JS(int, PageBoxClosed, (), {
    if (!Module.zendrillBoxClosed)
        return 0;
    Module.zendrillBoxClosed = false;
    return 1;
});

EM_JS(int, PageQuitRequested, (), {
    if (!Module.zendrillQuit)
        return 0;
    Module.zendrillQuit = false;
    return 1;
});

EM_JS(int, PageQuitPending, (), { return Module.zendrillQuit ? 1 : 0; });

EM_JS(void, AnnouncePointerWanted, (int wanted), {
    if (typeof zendrillPointerWanted === "function")
        zendrillPointerWanted(wanted != 0);
});
// clang-format on
} // namespace

void PageStart()
{
    if (Started)
        return;
    Started = true;
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    const char* document = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(window, nullptr, EM_TRUE, OnKey);
    emscripten_set_mousemove_callback(document, nullptr, EM_TRUE, OnMouse);
    emscripten_set_mousedown_callback(kPageCanvas, nullptr, EM_TRUE, OnMouse);
    emscripten_set_mouseup_callback(document, nullptr, EM_TRUE, OnMouse);
    emscripten_set_wheel_callback(kPageCanvas, nullptr, EM_TRUE, OnWheel);
    emscripten_set_touchstart_callback(kPageCanvas, nullptr, EM_TRUE, OnTouch);
    emscripten_set_touchmove_callback(kPageCanvas, nullptr, EM_TRUE, OnTouch);
    emscripten_set_touchend_callback(kPageCanvas, nullptr, EM_TRUE, OnTouch);
    emscripten_set_touchcancel_callback(kPageCanvas, nullptr, EM_TRUE, OnTouch);
    // The page shows the controls only while the game plays; the setup's run never sees them.
    // A page without them (the benchmark's) gets none: emscripten's registration throws on an
    // element that is not there.
    for (Control& control : Controls)
    {
        double width = 0, height = 0;
        if (emscripten_get_element_css_size(control.Selector, &width, &height) !=
            EMSCRIPTEN_RESULT_SUCCESS)
            continue;
        emscripten_set_touchstart_callback(control.Selector, &control, EM_TRUE, OnControlTouch);
        emscripten_set_touchend_callback(control.Selector, &control, EM_TRUE, OnControlTouch);
        emscripten_set_touchcancel_callback(control.Selector, &control, EM_TRUE, OnControlTouch);
        emscripten_set_click_callback(control.Selector, &control, EM_TRUE, OnControlClick);
    }
    // The window's own focus and blur only: focus moving between the page's elements (a click on
    // "click to play" takes it from the canvas) does not bubble, and is not the player leaving.
    emscripten_set_focus_callback(window, nullptr, EM_FALSE, OnFocus);
    emscripten_set_blur_callback(window, nullptr, EM_FALSE, OnFocus);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, OnVisibility);
    emscripten_set_pointerlockchange_callback(document, nullptr, EM_TRUE, OnPointerLock);
    emscripten_set_fullscreenchange_callback(document, nullptr, EM_TRUE, OnFullscreen);
    EmscriptenVisibilityChangeEvent visibility;
    if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS)
        Visible = !visibility.hidden;
    LastInFront = PageInFront();
    LastYield = emscripten_get_now();
}

bool PageHasFocus()
{
    return Focused && Visible;
}

bool PageInFront()
{
    if (!PageHasFocus())
        return false;
    return !(PointerWanted && PointerEverLocked) || PointerLocked;
}

uint32_t PageFocusLosses()
{
    return FocusLosses;
}

void PageTakePointer(bool take)
{
    PointerWanted = take;
    AnnouncePointerWanted(take ? 1 : 0);
    if (!take && PointerLocked)
        emscripten_exit_pointerlock();
}

void PageKeys(BYTE keys[256])
{
    for (int k = 0; k < 256; ++k)
    {
        if (ReleasesUnseen[k])
            keys[k] = 0; // a press since then stays unseen, for the next read
        else if (KeysUnseen[k])
            keys[k] = 0x80;
        else
            keys[k] = Keys[k];
        if (!ReleasesUnseen[k])
            KeysUnseen[k] = false;
        ReleasesUnseen[k] = false;
    }
    for (Control& control : Controls)
    {
        if (control.Held || control.Unseen)
            keys[control.Dik] = 0x80;
        control.Unseen = false;
    }
}

void PageTakeMotion(LONG* dx, LONG* dy, BYTE buttons[4])
{
    *dx = MotionX;
    *dy = MotionY;
    MotionX = MotionY = 0;
    std::memcpy(buttons, Buttons, sizeof Buttons);
    if (TapUnseen)
        buttons[0] = 0x80;
    TapUnseen = false;
}

LONG PageTakeWheel()
{
    const LONG wheel = Wheel;
    Wheel = 0;
    return wheel;
}

bool PageTakeActivation(bool* active)
{
    if (Activations.empty())
        return false;
    *active = Activations.front();
    Activations.pop_front();
    return true;
}

bool PageTakeQuit()
{
    return PageQuitRequested() != 0;
}

void PageYield()
{
    emscripten_sleep(0);
    LastYield = emscripten_get_now();
    ++Turns;
}

uint32_t PageTurns()
{
    return Turns;
}

bool PageEventPending()
{
    return !Activations.empty() || PageQuitPending() != 0;
}

void PageSleep(unsigned milliseconds)
{
    emscripten_sleep(milliseconds);
    LastYield = emscripten_get_now();
    ++Turns;
}

void PageYieldIfDue()
{
    // Often enough that the page stays responsive, seldom enough not to slow a busy loop.
    if (emscripten_get_now() - LastYield >= 8.0)
        PageYield();
}

void PageCanvasSize(int* width, int* height)
{
    if (emscripten_get_canvas_element_size(kPageCanvas, width, height) != EMSCRIPTEN_RESULT_SUCCESS)
        *width = *height = 0;
}

void PageSetCanvasSize(int width, int height)
{
    emscripten_set_canvas_element_size(kPageCanvas, width, height);
}

void PageScreenSize(int* width, int* height, int* refresh)
{
    // In device pixels. A phone or tablet (a coarse pointer) is played turned sideways, whichever
    // way it is held now, so its screen counts as wide.
    // clang-format off
    const int turn = EM_ASM_INT({
        return matchMedia("(pointer: coarse)").matches && screen.width < screen.height ? 1 : 0;
    });
    // clang-format on
    *width = EM_ASM_INT({ return (screen.width * (window.devicePixelRatio || 1)) | 0; });
    *height = EM_ASM_INT({ return (screen.height * (window.devicePixelRatio || 1)) | 0; });
    if (turn)
        std::swap(*width, *height);
    *refresh = 60; // the page cannot read the display's rate
}

void PageMessageBox(const char* caption, const char* text)
{
    ShowPageBox(caption, text);
    while (!PageBoxClosed())
        emscripten_sleep(50);
    LastYield = emscripten_get_now();
}
