// The page in Firefox or WebKitGTK on the test's X display, for tests/web/engine_web.sh: the
// browser opens and reads the page (engines.mjs), while the player's keys, mouse and screen are
// the X display's own (xdotool, import), as for the desktop builds.
//   node engine_driver.mjs <firefox|webkit> play <page folder> <d3d.ini to store> <page log>
//     then one command a line, each answered with "ok", "ok <value>" or "error <reason>":
//       start       opens the page with the settings stored; ok <X window> once the game runs
//       start touch (Firefox) a phone instead, as play_driver.mjs's: the page's view 844 x 390 CSS
//                   pixels on the display's screen of that size, the pointer a touch screen's
//                   and neither pointer lock nor full screen; the page opened for the first
//                   time, nothing stored: ok once the setup dialog has its modes. Then also
//                   setup, checked, game, tap, finger, lift, controls, turn, pageshot and shot
//                   as play_driver.mjs has them, the fingers WebDriver's touch pointers
//       play        clicks "click to play" until the game has the pointer and the screen (the
//                   pointer alone in WebKitGTK, played without full screen; on
//                   the phone, taps "tap to play" until it steps aside)
//       fullscreen  ok yes|no: the page is full screen and the canvas covers the screen
//       left        ok <how the page was left: blurred, hidden, pointer-released> or ok no
//       motion      ok <X> <Y> <N>: the pointer's motion the page has seen (movementX, movementY
//                   summed) in N events, since the first motion command
//       away, back  (Firefox) another tab in front of the game's: ok <how the page was left>;
//                   and the game's again (on the phone with a tap to play)
//       state       ok running | ok ended <exit code>
//       page        ok <the page's layers, pointer, full screen and focus, as JSON>
//       note        ok; as after every command, the page's state goes to the log if it changed
//       quit        closes the browser
//   node engine_driver.mjs <firefox|webkit> first-frame <bench folder> <settings> <W>x<H> <png>
//     bench/first_frame's page, the program's first frame as the browser shows it (its page's
//     screenshot, the canvas at the top left), and its "first frame presented" line
import { execFileSync } from "node:child_process";
import { appendFileSync, readFileSync, writeFileSync } from "node:fs";
import { createInterface } from "node:readline";
import { readCanvas, serve, waitFor, writePpm } from "./browser.mjs";
import { launchEngine } from "./engines.mjs";
import { kNoLockNoFullScreen, kPhone, phoneCommand, phoneFingers, setupShown, tapToPlay, turnNote }
  from "./touch_page.mjs";

const [engine, mode, ...args] = process.argv.slice(2);
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const xdotool = (...words) => execFileSync("xdotool", words.map(String), { encoding: "utf8" }).trim();

let server = null;
let browser = null;
let window_ = null;
let loggedLines = 0;

function flushLog(pageLog) {
  if (!browser || !pageLog) return;
  const lines = browser.console.slice(loggedLines);
  loggedLines = browser.console.length;
  if (lines.length) appendFileSync(pageLog, lines.join("\n") + "\n");
}

// The browser's top-level window on the display, moved to the top-left corner and as large as
// the screen allows; a click at its middle lands on the page.
async function browserWindow() {
  const id = await waitFor("the browser's window", 60, () => {
    try {
      return xdotool("search", "--onlyvisible", "--class", browser.windowClass).split("\n")[0];
    } catch { return null; }
  });
  xdotool("windowmove", id, 0, 0);
  return id;
}

async function clickWindow() {
  const geometry = xdotool("getwindowgeometry", "--shell", window_);
  const size = Object.fromEntries(geometry.split("\n").map((line) => line.split("=")));
  xdotool("mousemove", "--window", window_, Math.floor(size.WIDTH / 2),
          Math.floor(size.HEIGHT / 2));
  xdotool("click", 1);
}

const layers = () => browser.evaluate(`(() => {
  const shown = (id) => !!document.getElementById(id)?.classList.contains("shown");
  return { play: shown("play"), box: shown("box"), ended: shown("ended"),
           locked: document.pointerLockElement === document.getElementById("canvas"),
           full: !!document.fullscreenElement, focus: document.hasFocus(),
           visibility: document.visibilityState,
           sized: innerWidth === screen.width && innerHeight === screen.height,
           status: document.getElementById("status").textContent };
})()`);

// WebKitGTK on Xvfb stops showing the canvas's new frames while its window is full screen (its
// own screenshots too), though the page goes on taking keys and drawing. There the page is played
// as in a WebKit without full screen, as on an iPhone: the click takes the pointer alone. The
// page asks whether it can go full screen at each click, so taking the call away once the game
// runs is enough.
const kFullScreenPlay = engine !== "webkit";
const kNoFullScreen = `(delete Element.prototype.requestFullscreen,
                        delete Element.prototype.webkitRequestFullscreen, true)`;

async function start(pageFolder, settingsFile) {
  server = await serve(pageFolder);
  browser = await launchEngine(engine);
  window_ = await browserWindow();
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
  await waitFor("the game to run", 180, () => browser.evaluate(
    `!document.getElementById("setup") && document.getElementById("canvas").width === 640 &&
     typeof FS !== "undefined" && document.getElementById("status").textContent === ""`));
  if (!kFullScreenPlay) await browser.evaluate(kNoFullScreen);
  return window_;
}

// Clicks "click to play" (a real click on the display) until the game holds the pointer and the
// page is full screen, and still does two seconds later. A click asks for both; after one, the
// next waits until the window has become the screen (up to a few seconds, when the browser said
// no): Firefox ends with an X error now and then when the pointer is asked for while its window
// is still changing to full screen.
async function clickToPlay() {
  await waitFor("the page to ask for a click to play", 120, async () => (await layers()).play);
  let settled = 0;
  await waitFor("the game to keep the pointer and the screen", 90, async () => {
    const now = await layers();
    if (now.locked && (now.full || !kFullScreenPlay) && !now.play) return ++settled >= 8;
    settled = 0;
    if (now.play) {
      await clickWindow();
      if (!kFullScreenPlay) return false;
      try {
        await waitFor("full screen", 5, async () => {
          const after = await layers();
          return after.full && after.sized;
        });
      } catch { /* no full screen from that click: another one */ }
    }
    return false;
  });
}

// The phone's fingers, each a touch pointer of WebDriver's input (finger N its source "fingerN"),
// held down between commands until lifted.
let fingers = null;
const finger = (n, actions) => ({ type: "pointer", id: `finger${n}`,
                                  parameters: { pointerType: "touch" }, actions });
async function touch(type, n) {
  if (type === "end") {
    for (const id of fingers.down.keys())
      await browser.performActions([finger(id, [{ type: "pointerUp", button: 0 }])]);
    return;
  }
  const at = fingers.down.get(n);
  await browser.performActions([finger(n, [
    { type: "pointerMove", x: Math.round(at.x), y: Math.round(at.y) },
    ...(type === "start" ? [{ type: "pointerDown", button: 0 }] : [])])]);
}

// The phone (Firefox's): the screen is the display's, of the phone's size (touch_web.sh runs
// the driver on one); the page's view is set to it whatever the window's frame takes.
async function startPhone(pageFolder) {
  if (engine !== "firefox") throw new Error(`no phone in ${engine}'s driver`);
  server = await serve(pageFolder);
  browser = await launchEngine(engine, { touchScreen: true });
  window_ = await browserWindow();
  fingers = phoneFingers(browser, touch);
  await browser.setViewport(...kPhone);
  await browser.beforePageScripts(kNoLockNoFullScreen);
  await browser.navigate(server.url);
  await setupShown(browser);
  return "";
}

async function turn(way) {
  const [width, height] = way === "portrait" ? [kPhone[1], kPhone[0]] : kPhone;
  await browser.setViewport(width, height);
  return turnNote(browser, width);
}

async function left() {
  const now = await layers();
  const left = [now.visibility === "hidden" ? "hidden" : "", now.focus ? "" : "blurred",
                now.locked ? "" : "pointer-released"].filter(Boolean).join(",");
  return /hidden|blurred/.test(left) ? left : "no";
}

async function fullscreen() {
  const covers = await browser.evaluate(`(() => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return !!document.fullscreenElement && r.left === 0 && r.top === 0 &&
           r.width === screen.width && r.height === screen.height;
  })()`);
  return covers ? "yes" : "no";
}

async function handle(line, [pageFolder, settingsFile]) {
  const [command, ...args] = line.trim().split(/\s+/);
  const onPhone = fingers ? await phoneCommand(browser, fingers, command, args) : undefined;
  if (onPhone !== undefined) return onPhone;
  switch (command) {
  case "start":
    return args[0] === "touch" ? await startPhone(pageFolder) : await start(pageFolder, settingsFile);
  case "play": await (fingers ? tapToPlay(browser, fingers) : clickToPlay()); return "";
  case "turn": return await turn(args[0]);
  case "pageshot": writeFileSync(args[0], await browser.screenshot()); return "";
  case "shot": writePpm(args[0], await readCanvas(browser)); return "";
  case "fullscreen": return await fullscreen();
  case "left": return await left();
  case "motion": return await browser.evaluate(`window.driverMotion ? driverMotion.join(" ") :
    (window.driverMotion = [0, 0, 0], document.addEventListener("mousemove", (e) => {
       driverMotion[0] += e.movementX; driverMotion[1] += e.movementY; driverMotion[2]++;
     }, true), "0 0 0")`);
  case "away":
    await browser.otherTab();
    return await waitFor("the game's page to be left", 20, async () => {
      const how = await left();
      return how === "no" ? null : how;
    });
  case "back":
    await browser.backToPage();
    if (fingers) await tapToPlay(browser, fingers);
    return "";
  case "state": {
    const now = await layers();
    const code = /Ended \((-?\d+)\)/.exec(now.status);
    return now.ended && code ? `ended ${code[1]}` : "running";
  }
  case "page": {
    const { status, sized, ...now } = await layers();
    return JSON.stringify(now);
  }
  case "note": return "";
  case "quit": return "";
  default: throw new Error(`no command "${command}"`);
  }
}

// The page's layers, pointer, full screen and focus into the page log whenever they have changed
// since the last command, and the keys the page has seen since (down or up, the key's code, the
// page's clock in ms; a held key's repeats left out), so a failed run shows when the game lost
// the player or whether a key reached the page.
let lastState = "";
const kKeysSeen = `window.driverKeys ? driverKeys.splice(0).join(" ") :
  (window.driverKeys = [], ["keydown", "keyup"].forEach((type) => window.addEventListener(type,
     (e) => e.repeat || driverKeys.push(type.slice(3) + ":" + e.code + "@" +
                                        Math.round(performance.now())), true)), "")`;
async function noteState(line, pageLog) {
  if (!browser || !pageLog) return;
  let state, keys;
  try {
    const { status, sized, ...now } = await layers();
    state = JSON.stringify(now);
    keys = await browser.evaluate(kKeysSeen);
  } catch {
    return;
  }
  if (state !== lastState) appendFileSync(pageLog, `[driver] after "${line}": ${state}\n`);
  if (keys) appendFileSync(pageLog, `[driver] keys by "${line}": ${keys}\n`);
  lastState = state;
}

async function playSession([pageFolder, settingsFile, pageLog]) {
  const input = createInterface({ input: process.stdin });
  for await (const line of input) {
    if (!line.trim()) continue;
    let reply;
    try {
      const value = await handle(line, [pageFolder, settingsFile]);
      reply = value ? `ok ${value}` : "ok";
    } catch (error) {
      reply = `error ${error.message.replace(/\s+/g, " ")}`;
    }
    flushLog(pageLog);
    await noteState(line.trim(), pageLog);
    process.stdout.write(reply + "\n");
    if (line.trim() === "quit") break;
  }
}

// bench/first_frame's page at W x H; its screenshot cut to the canvas is written as PNG (the
// shell cuts it: node has no PNG codec).
async function firstFrame([benchFolder, settings, size, out]) {
  const [width, height] = size.split("x").map(Number);
  server = await serve(benchFolder);
  browser = await launchEngine(engine);
  window_ = await browserWindow();
  await browser.navigate(`${server.url}first_frame.html?settings=${settings}`);
  const lines = await waitFor("the program's first frame", 300, () => browser.evaluate(
    `window.firstFrameLines && window.firstFrameLines.length >= 1 && window.firstFrameLines`));
  for (const line of lines)
    console.log(`${line.text} (at ${(line.at / 1000).toFixed(2)} s after opening the page)`);
  const canvas = await browser.evaluate(`(() => {
    const c = document.getElementById("canvas");
    return [c.width, c.height, innerWidth, innerHeight]; })()`);
  if (canvas[0] !== width || canvas[1] !== height)
    throw new Error(`the canvas is ${canvas[0]} x ${canvas[1]}`);
  if (canvas[2] < width || canvas[3] < height)
    throw new Error(`the page's view (${canvas[2]} x ${canvas[3]}) is smaller than the canvas`);
  // The frame stays on the canvas; the screenshot is taken once the browser has composited it.
  await sleep(1000);
  writeFileSync(out, await browser.screenshot());
}

let status = 0;
try {
  if (mode === "play") await playSession(args);
  else if (mode === "first-frame") await firstFrame(args);
  else throw new Error(`no mode "${mode}"`);
} catch (error) {
  console.log(`error: ${error.message}`);
  if (browser) console.log(browser.console.join("\n"));
  status = 1;
} finally {
  if (mode === "play") flushLog(args[2]);
  if (browser) await browser.close();
  if (server) server.close();
}
process.exit(status);
