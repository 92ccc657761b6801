// The page played as a person plays it, one command a line for the shell driver
// (tests/web/web_driver.sh): the page folder served on localhost, headless Chromium with a
// 640 x 480 screen, the game started with a stored d3d.ini, and then keys, the mouse, tab switches
// and screenshots as asked. Every command is answered with one line: "ok", "ok <value>" or
// "error <reason>".
//   node play_driver.mjs <page folder> <d3d.ini to store> <page log>
// Commands:
//   start [pad]       opens the page with the settings stored; ok once the game has drawn.
//                     With "pad" the page's navigator.getGamepads is replaced by one "standard"
//                     gamepad of the driver's, unplugged until padplug
//   start touch       a phone instead (844 x 390, touch only, in landscape) whose browser has
//                     neither pointer lock nor full screen, as iPhone Safari; the page opened for
//                     the first time, nothing stored: ok once the setup dialog has its modes
//   setup             ok <the mode lines>|<the selected one>|<Save's and Cancel's rectangles
//                     inside the screen: yes or no>
//   checked SELECTOR  ok yes|no: the check box or radio button in the setup's element is checked
//   game              ok once the game has drawn its first picture (after the setup's Save)
//   play              clicks "click to play" until the game has the pointer and the screen (on
//                     the phone, taps "tap to play" until it steps aside)
//   tap SELECTOR      a finger's tap on the middle of the page's element
//   finger N on SELECTOR    finger N put down on the middle of the element (others stay down)
//   finger N by DX DY       finger N dragged that far, in CSS pixels
//   lift              every finger lifted
//   controls          ok <on-screen controls shown> <of them named by aria-label> <the smallest,
//                     W x H CSS pixels> <of them over the picture's lower 40 %, the bat's row>
//   turn portrait|landscape   the phone turned; ok <whether the page's turn note shows: yes|no>
//   pageshot FILE     the page as the screen shows it, as a PNG file
//   shot FILE         the screen (the canvas filling it) as a PPM file
//   keydown CODE, keyup CODE   a key by its KeyboardEvent.code
//   down, up          the left mouse button
//   move DX DY        the pointer moved by DX, DY
//   away              another tab in front; ok <how the game's page was left>
//   back              the game's tab in front again, and a click to play
//   fullscreen        ok yes|no: the page is full screen and the canvas covers the screen
//   state             ok running | ok ended <exit code>
//   memory            ok js_heap=<KiB> wasm=<KiB>: the page's script heap in use and the
//                     WebAssembly memory's size
//   padplug, padunplug   the driver's gamepad plugged in (with the page's gamepadconnected
//                     event, as a browser sends it on the first press) or pulled out
//   padbutton N 0|1   button N of the standard mapping released or pressed
//   padaxis N VALUE   axis N (0, 1 left stick x, y; 2, 3 right stick) to VALUE in -1..1
//   padnote           ok <the page's gamepad note>
//   quit              closes the browser
import { appendFileSync, readFileSync, writeFileSync } from "node:fs";
import { createInterface } from "node:readline";
import { launch, readCanvas, serve, waitFor, writePpm } from "./browser.mjs";
import { gameDrawn, kNoLockNoFullScreen, kPhone, phoneCommand, phoneFingers, setupShown, tapToPlay,
         turnNote } from "./touch_page.mjs";

const [pageFolder, settingsFile, pageLog] = process.argv.slice(2);
const kWidth = 640;
const kHeight = 480;
let phone = false;

let server = null;
let browser = null;
let otherTab = null;
// Where the pointer is; under pointer lock a move's motion is its distance from the last one.
let pointer = { x: kWidth / 2, y: kHeight / 2 };
let loggedLines = 0;

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The page's console so far, appended to the page log.
function flushLog() {
  if (!browser || !pageLog) return;
  const lines = browser.console.slice(loggedLines);
  loggedLines = browser.console.length;
  if (lines.length) appendFileSync(pageLog, lines.join("\n") + "\n");
}

const kKeys = {
  Space: [" ", 32], Escape: ["Escape", 27], Enter: ["Enter", 13], Tab: ["Tab", 9],
};
function keyEvent(type, code) {
  let [key, keyCode] = kKeys[code] ?? [code, 0];
  if (/^Key[A-Z]$/.test(code)) [key, keyCode] = [code[3].toLowerCase(), code.charCodeAt(3)];
  const text = type === "keyDown" && key.length === 1 ? key : "";
  return browser.page("Input.dispatchKeyEvent", {
    type: type === "keyDown" && !text ? "rawKeyDown" : type, code, key, text,
    windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode,
  });
}

function mouse(type, extra = {}) {
  return browser.page("Input.dispatchMouseEvent",
                      { type, x: pointer.x, y: pointer.y, button: "none", ...extra });
}

async function click(x, y) {
  pointer = { x, y };
  await mouse("mouseMoved");
  await mouse("mousePressed", { button: "left", buttons: 1, clickCount: 1 });
  await sleep(50);
  await mouse("mouseReleased", { button: "left", buttons: 0, clickCount: 1 });
}

// What the player sees of the page's own layers, and whether the game has the pointer.
const layers = () => browser.evaluate(`(() => {
  const shown = (id) => !!document.getElementById(id)?.classList.contains("shown");
  return { play: shown("play"), box: shown("box"), ended: shown("ended"),
           locked: document.pointerLockElement === document.getElementById("canvas"),
           full: !!document.fullscreenElement,
           status: document.getElementById("status").textContent };
})()`);

// Clicks "click to play" until the game holds the pointer and the page is full screen, and still
// does two seconds later: the browser lets go of the pointer as it enters full screen (later on a
// busy machine), and the page then asks for another click, which a player gives.
async function clickToPlay() {
  if (phone) return tapToPlay(browser, fingers);
  await waitFor("the page to ask for a click to play", 120, async () => (await layers()).play);
  let settled = 0;
  await waitFor("the game to keep the pointer and the screen", 60, async () => {
    const now = await layers();
    if (now.locked && now.full && !now.play) return ++settled >= 8;
    settled = 0;
    if (now.play) await click(kWidth / 2, kHeight / 2);
    return false;
  });
  pointer = { x: kWidth / 2, y: kHeight / 2 };
}

// The phone's fingers, handed to the page as the DevTools protocol's touch events, each listing
// every point down (its touchEnd lifts them all).
let fingers = null;
const touch = (type) => browser.page("Input.dispatchTouchEvent", {
  type: { start: "touchStart", move: "touchMove", end: "touchEnd" }[type],
  touchPoints: type === "end" ? [] : [...fingers.down].map(([id, at]) => ({
    id, x: at.x, y: at.y, radiusX: 4, radiusY: 4, force: 1 })),
});

async function startPhone() {
  phone = true;
  server = await serve(pageFolder);
  browser = await launch(kPhone, { mobile: true });
  fingers = phoneFingers(browser, touch);
  await browser.page("Page.addScriptToEvaluateOnNewDocument", { source: kNoLockNoFullScreen });
  await browser.navigate(server.url);
  await setupShown(browser);
}

async function turn(way) {
  const [width, height] = way === "portrait" ? [kPhone[1], kPhone[0]] : kPhone;
  await browser.page("Emulation.setDeviceMetricsOverride", {
    width, height, deviceScaleFactor: 1, mobile: true, screenWidth: width, screenHeight: height,
    screenOrientation: way === "portrait" ? { type: "portraitPrimary", angle: 0 }
                                          : { type: "landscapePrimary", angle: 90 },
  });
  return turnNote(browser, width);
}

async function pageshot(file) {
  const { data } = await browser.page("Page.captureScreenshot", { format: "png" });
  writeFileSync(file, Buffer.from(data, "base64"));
}

// The driver's gamepad, put into every page before its own scripts run: headless Chromium has
// no gamepad of its own, nor a protocol call to plug one in. navigator.getGamepads answers with
// it while plugged (a null slot otherwise, as a browser keeps the slot of a pad pulled out).
const kTestPad = `(() => {
  const pad = { id: "Driver pad (STANDARD GAMEPAD)", index: 0, connected: false,
                mapping: "standard", timestamp: 0, axes: [0, 0, 0, 0],
                buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false,
                                                              value: 0 })) };
  window.driverPad = pad;
  Navigator.prototype.getGamepads = function () { return [pad.connected ? pad : null]; };
  window.driverPadEvent = (type) => {
    pad.connected = type === "gamepadconnected";
    pad.timestamp = performance.now();
    const event = new Event(type);
    Object.defineProperty(event, "gamepad", { value: pad });
    window.dispatchEvent(event);
  };
})()`;

async function padSet(change) {
  await browser.evaluate(`(() => { const pad = driverPad; ${change};
    pad.timestamp = performance.now(); return true; })()`);
}

async function start(withPad) {
  server = await serve(pageFolder);
  browser = await launch([kWidth, kHeight]);
  if (withPad) await browser.page("Page.addScriptToEvaluateOnNewDocument", { source: kTestPad });
  // The first visit opens the setup; the settings are stored as its Save would store them, and
  // the page opened again starts the game with them.
  await browser.navigate(server.url);
  await waitFor("the page's storage", 120, () => browser.evaluate(
    `typeof FS !== "undefined" && FS.analyzePath("/store").exists`));
  const settings = JSON.stringify(readFileSync(settingsFile, "latin1"));
  await browser.evaluate(`new Promise((done, fail) => {
    FS.writeFile("/store/d3d.ini", ${settings});
    FS.syncfs(false, (error) => error ? fail(error) : done(true));
  })`);
  await browser.navigate(server.url);
  await gameDrawn(browser);
}

// The canvas's last presented picture, which fills the screen while the game is played. (Read
// from the page, it takes a tenth of the time of the browser's own screenshot.)
async function shot(file) {
  writePpm(file, await readCanvas(browser));
}

// The pointer moved by dx, dy as the page sees it (the locked pointer's movementX/Y, which the
// game reads): one motion event from the browser's input, as a relative move of the desktop's
// pointer is. What the page received is read back by a listener of the driver's own. Headless
// Chromium gets the locked pointer wrong at times: it measures the first motion from a stale
// position, and in some runs it re-centres the pointer on an empty window after every motion,
// which comes back to the page as the opposite motion at once, so nothing arrives. A desktop
// mouse does neither; what the browser left missing is then handed to the page as a mousemove
// event of the driver's making, which goes through the page's handlers like the browser's own.
async function move(dx, dy) {
  await browser.evaluate(`window.driverMotion || (window.driverMotion = { x: 0, y: 0, events: 0 },
    document.addEventListener("mousemove", (e) => {
      driverMotion.x += e.movementX; driverMotion.y += e.movementY; driverMotion.events++;
    }, true), true)`);
  const motion = () => browser.evaluate(`({ ...driverMotion })`);
  const before = await motion();
  pointer = { x: pointer.x + dx, y: pointer.y + dy };
  await mouse("mouseMoved");
  await waitFor("the page to see the motion", 20, () => browser.evaluate(
    `driverMotion.events > ${before.events}`));
  await sleep(1500); // a re-centring comes with the page's next frame
  let now = await motion();
  const missing = { x: dx - (now.x - before.x), y: dy - (now.y - before.y) };
  if (missing.x || missing.y) {
    await browser.evaluate(`document.dispatchEvent(new MouseEvent("mousemove", {
      bubbles: true, movementX: ${missing.x}, movementY: ${missing.y} }))`);
    now = await motion();
  }
  if (now.x - before.x !== dx || now.y - before.y !== dy)
    throw new Error(`the page saw a motion of ${now.x - before.x}, ${now.y - before.y}`);
  return missing.x || missing.y ? `(${missing.x}, ${missing.y} made up by the driver)` : "";
}

// Another tab comes to the front, as when the player switches tabs. Answers how the game's page
// was left: hidden, blurred, pointer released.
async function away() {
  const { targetId } = await browser.send("Target.createTarget", { url: "about:blank" });
  otherTab = targetId;
  await browser.send("Target.activateTarget", { targetId });
  return waitFor("the game's page to be left", 20, async () => {
    const left = await browser.evaluate(`[
      document.visibilityState === "hidden" ? "hidden" : "",
      document.hasFocus() ? "" : "blurred",
      document.pointerLockElement ? "" : "pointer-released"].filter(Boolean).join(",")`);
    return left.includes("hidden") || left.includes("blurred") ? left : null;
  });
}

async function back() {
  await browser.send("Target.activateTarget", { targetId: browser.targetId });
  if (otherTab) await browser.send("Target.closeTarget", { targetId: otherTab });
  otherTab = null;
  await waitFor("the game's page in front", 20, () => browser.evaluate(
    `document.visibilityState === "visible"`));
  await clickToPlay();
}

async function fullscreen() {
  const covers = await browser.evaluate(`(() => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return !!document.fullscreenElement && r.left === 0 && r.top === 0 &&
           r.width === screen.width && r.height === screen.height;
  })()`);
  return covers ? "yes" : "no";
}

async function handle(line) {
  const [command, ...args] = line.trim().split(/\s+/);
  const onPhone = phone ? await phoneCommand(browser, fingers, command, args) : undefined;
  if (onPhone !== undefined) return onPhone;
  switch (command) {
  case "start":
    if (args[0] === "touch") await startPhone();
    else await start(args[0] === "pad");
    return "";
  case "turn": return await turn(args[0]);
  case "pageshot": await pageshot(args[0]); return "";
  case "padplug": await browser.evaluate(`driverPadEvent("gamepadconnected")`); return "";
  case "padunplug": await browser.evaluate(`driverPadEvent("gamepaddisconnected")`); return "";
  case "padbutton": {
    const [n, down] = [Number(args[0]), args[1] === "1"];
    await padSet(`pad.buttons[${n}] = { pressed: ${down}, touched: ${down}, value: ${down ? 1 : 0} }`);
    return "";
  }
  case "padaxis": await padSet(`pad.axes[${Number(args[0])}] = ${Number(args[1])}`); return "";
  case "padnote":
    return await browser.evaluate(`document.getElementById("pad-note").textContent`);
  case "play": await clickToPlay(); return "";
  case "shot": await shot(args[0]); return "";
  case "keydown": await keyEvent("keyDown", args[0]); return "";
  case "keyup": await keyEvent("keyUp", args[0]); return "";
  case "down": await mouse("mousePressed", { button: "left", buttons: 1, clickCount: 1 }); return "";
  case "up": await mouse("mouseReleased", { button: "left", buttons: 0, clickCount: 1 }); return "";
  case "move": return await move(Number(args[0]), Number(args[1]));
  case "away": return await away();
  case "back": await back(); return "";
  case "fullscreen": return await fullscreen();
  case "state": {
    const now = await layers();
    const code = /Ended \((-?\d+)\)/.exec(now.status);
    return now.ended && code ? `ended ${code[1]}` : "running";
  }
  case "memory": {
    const { usedSize } = await browser.page("Runtime.getHeapUsage");
    const wasm = await browser.evaluate(`typeof wasmMemory !== "undefined" ?
      wasmMemory.buffer.byteLength : (Module.HEAP8 ? Module.HEAP8.length : -1024)`);
    return `js_heap=${Math.round(usedSize / 1024)} wasm=${Math.round(wasm / 1024)}`;
  }
  case "quit": return "";
  default: throw new Error(`no command "${command}"`);
  }
}

// The page's own state (layers, pointer, full screen, focus) into the page log whenever it has
// changed since the last command, so a failed run shows when the game lost the player.
let lastState = "";
async function noteState(line) {
  if (!browser) return;
  let state;
  try {
    state = JSON.stringify(await browser.evaluate(`(() => {
      const shown = (id) => !!document.getElementById(id)?.classList.contains("shown");
      return { play: shown("play"), box: shown("box"), ended: shown("ended"),
               locked: !!document.pointerLockElement, full: !!document.fullscreenElement,
               focus: document.hasFocus(), visibility: document.visibilityState };
    })()`));
  } catch {
    return;
  }
  if (state !== lastState && pageLog)
    appendFileSync(pageLog, `[driver] after "${line}": ${state}\n`);
  lastState = state;
}

async function close() {
  flushLog();
  if (browser) await browser.close();
  if (server) server.close();
}

// Each command, when it came (seconds since the driver started) and how long it took, goes into
// the page log, so a failed run shows where its time went.
const driverStart = Date.now();
const input = createInterface({ input: process.stdin });
for await (const line of input) {
  if (!line.trim()) continue;
  let reply;
  const began = Date.now();
  try {
    const value = await handle(line);
    reply = value ? `ok ${value}` : "ok";
  } catch (error) {
    reply = `error ${error.message.replace(/\s+/g, " ")}`;
  }
  flushLog();
  if (pageLog)
    appendFileSync(pageLog, `[driver] ${((began - driverStart) / 1000).toFixed(2)} s: "${line.trim()}"` +
      ` took ${Date.now() - began} ms\n`);
  await noteState(line.trim());
  process.stdout.write(reply + "\n");
  if (line.trim() === "quit") break;
}
await close();
process.exit(0);
