// The page a program runs in, as the stand-in's libraries see it in a browser: the canvas that is
// the program's one window, the keyboard and pointer from the page's events, whether the player
// is with the game, and the browser's turn to run. Fed by emscripten's html5.h; internal to
// compat/ (the window, input and device libraries read it).
#pragma once

#include <cstdint>

#include "windows.h"

// The canvas the window draws into, as the CSS selector html5.h takes.
constexpr const char* kPageCanvas = "#canvas";

// Registers the page's event handlers; called by whatever needs the page first, again harmless.
void PageStart();

// Whether the page is visible and has the keyboard focus: input reaches the program.
bool PageHasFocus();
// Whether the player is with the game: the page has focus and, once the program has taken the
// pointer (PageTakePointer), the pointer is still locked to the canvas. Leaving pointer lock or
// full screen, switching tab or window, or hiding the page is switching away.
bool PageInFront();
// How many times the page lost focus or was hidden since it started; a change since the last look
// means a focus loss happened in between, even if the focus is back.
uint32_t PageFocusLosses();

// The program wants the pointer (an exclusive mouse was acquired) or lets it go. Pointer lock and
// full screen need a click on the page: the page's own script asks for them ("click to play").
void PageTakePointer(bool take);

// The keys held down now, as DirectInput's 256 bytes by DIK code (0x80 down); an on-screen
// control touched since the previous call counts as down once even if it was let go already.
void PageKeys(BYTE keys[256]);
// The pointer's motion since the previous call (the locked pointer's movementX/Y, and fingers
// dragged over the canvas), and the buttons held (0x80 down: left, right, middle, back); a tap
// since the previous call is the left button down once.
void PageTakeMotion(LONG* dx, LONG* dy, BYTE buttons[4]);
// The wheel's motion since the previous call, 120 a notch, forward positive.
LONG PageTakeWheel();

// Activation changes since the previous call, oldest first; false when there is none.
bool PageTakeActivation(bool* active);
// Whether the page asked the program to end (the page is being closed).
bool PageTakeQuit();
// Whether an activation change or a request to end is waiting to be taken.
bool PageEventPending();

// Lets the browser run (draw the canvas, deliver events) before carrying on.
void PageYield();
// How many turns the browser has had so far (yields and sleeps): what was sampled from the page
// in one turn stays as it was until the next.
uint32_t PageTurns();
// Yields when the program has not let the browser run for a while, so a loop that never presents
// (waiting for a device reset) does not freeze the tab.
void PageYieldIfDue();
// Lets the browser run for `milliseconds` before carrying on.
void PageSleep(unsigned milliseconds);

// The canvas's drawing buffer and the screen, in pixels.
void PageCanvasSize(int* width, int* height);
void PageSetCanvasSize(int width, int height);
void PageScreenSize(int* width, int* height, int* refresh);

// Shows `text` under `caption` in a modal box on the page and waits until the player presses OK.
void PageMessageBox(const char* caption, const char* text);
