// The page on a phone, for both drivers of the touch scenario (play_driver.mjs in Chromium,
// engine_driver.mjs in Firefox): what they read of the page and the fingers they put on it, over
// any browser of browser.mjs or engines.mjs (its evaluate), the touch events being the driver's.
//   phoneCommand(browser, fingers, command, args)   the scenario's commands every phone answers
//                     alike (setup, checked, game, tap, finger, lift, controls; see
//                     play_driver.mjs): its answer, or undefined for a command it does not know
import { waitFor } from "./browser.mjs";

// A phone held sideways, in CSS pixels.
export const kPhone = [844, 390];
const kWidth = 640;

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Put into every page before its own scripts: the phone's browser has neither pointer lock nor
// full screen, as iPhone Safari.
export const kNoLockNoFullScreen = `(() => {
  for (const [type, names] of [[Element, ["requestPointerLock", "requestFullscreen"]],
                               [Document, ["exitPointerLock", "exitFullscreen", "pointerLockElement",
                                           "fullscreenElement", "fullscreenEnabled"]]])
    for (const name of names) delete type.prototype[name];
})()`;

// The middle of a page element, in CSS pixels; it must show.
async function middle(browser, selector) {
  const at = await browser.evaluate(`(() => {
    const element = document.querySelector(${JSON.stringify(selector)});
    if (!element) return null;
    const r = element.getBoundingClientRect();
    return r.width > 0 && r.height > 0 ? { x: r.left + r.width / 2, y: r.top + r.height / 2 } : null;
  })()`);
  if (!at) throw new Error(`no ${selector} showing on the page`);
  return at;
}

// The phone's fingers, by number: the points down now (CSS pixels) in `down`. `send(type, n)`
// hands the page one touch event, "start" or "move" of finger n (every finger in `down`, as a
// touch screen reports them all), or "end", every finger lifted (`down` still holding them).
export function phoneFingers(browser, send) {
  const down = new Map();
  const fingers = {
    down,
    async on(n, selector) {
      down.set(n, await middle(browser, selector));
      await send("start", n);
    },
    // A drag: a move every 16 ms, 40 CSS pixels at a time (each waits for the page to take it,
    // which a busy machine makes slow, so no finer than that).
    async by(n, dx, dy) {
      const at = down.get(n);
      if (!at) throw new Error(`finger ${n} is not down`);
      const steps = Math.max(1, Math.ceil(Math.hypot(dx, dy) / 40));
      for (let i = 1; i <= steps; i++) {
        down.set(n, { x: at.x + (dx * i) / steps, y: at.y + (dy * i) / steps });
        await send("move", n);
        await sleep(16);
      }
    },
    async lift() {
      await send("end");
      down.clear();
    },
    async tap(selector) {
      await fingers.on(9, selector);
      await sleep(80);
      await fingers.lift();
    },
  };
  return fingers;
}

// The first visit: the setup dialog, once it has its modes.
export function setupShown(browser) {
  return waitFor("the setup dialog's modes", 180, () => browser.evaluate(
    `document.getElementById("setup-103")?.options.length > 0`));
}

// The game's first picture: its canvas has a picture that is not all black.
export function gameDrawn(browser) {
  return waitFor("the game's first picture", 180, () => browser.evaluate(`(() => {
    if (document.getElementById("setup")) return false;
    const source = document.getElementById("canvas");
    if (source.width !== ${kWidth}) return false;
    const copy = document.createElement("canvas");
    copy.width = 8; copy.height = 8;
    copy.getContext("2d").drawImage(source, 0, 0, 8, 8, 0, 0, 8, 8);
    return copy.getContext("2d").getImageData(0, 0, 8, 8).data.some((v, i) => i % 4 != 3 && v);
  })()`));
}

// Taps "tap to play" until it steps aside and the page shows its controls.
export async function tapToPlay(browser, fingers) {
  await waitFor("the page to ask for a tap to play", 120, () => browser.evaluate(
    `document.getElementById("play").classList.contains("shown")`));
  await waitFor("the page to hand the game to the fingers", 60, async () => {
    const ready = await browser.evaluate(`!document.getElementById("play").classList
      .contains("shown") && document.documentElement.classList.contains("playing")`);
    if (!ready) await fingers.tap("#play");
    return ready;
  });
}

// The setup's mode lines, the selected one, and whether Save and Cancel show inside the screen.
function setup(browser) {
  return browser.evaluate(`(() => {
    const modes = [...document.getElementById("setup-103").options].map((o) => o.text);
    const selected = document.getElementById("setup-103").selectedOptions[0]?.text ?? "none";
    const inside = (id) => {
      const r = document.getElementById(id).getBoundingClientRect();
      return r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight &&
             document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2) ===
               document.getElementById(id);
    };
    return modes.join(",") + "|" + selected + "|" +
           (inside("setup-100") && inside("setup-101") ? "yes" : "no");
  })()`);
}

// The on-screen controls against the picture (the canvas's drawing, contained in its element).
function controls(browser) {
  return browser.evaluate(`(() => {
    const canvas = document.getElementById("canvas");
    const c = canvas.getBoundingClientRect();
    const scale = Math.min(c.width / canvas.width, c.height / canvas.height);
    const w = canvas.width * scale, h = canvas.height * scale;
    const picture = { left: c.left + (c.width - w) / 2, top: c.top + (c.height - h) / 2, w, h };
    const batRowTop = picture.top + 0.6 * h;
    const shown = [...document.querySelectorAll(".touch-keys button")]
      .map((b) => [b, b.getBoundingClientRect()]).filter(([, r]) => r.width > 0);
    const named = shown.filter(([b]) => b.getAttribute("aria-label")).length;
    const small = shown.reduce((m, [, r]) => r.width * r.height < m[0] * m[1] ? [r.width, r.height] : m,
                               [Infinity, Infinity]);
    const overBat = shown.filter(([, r]) => r.bottom > batRowTop && r.right > picture.left &&
                                            r.left < picture.left + w).length;
    return shown.length + " " + named + " " + Math.round(small[0]) + "x" + Math.round(small[1]) +
           " " + overBat;
  })()`);
}

// The page's turn note once the page has taken a turn to a view `width` wide: yes or no.
export function turnNote(browser, width) {
  return waitFor("the page to take the turn", 20, () => browser.evaluate(
    `innerWidth === ${width} && (getComputedStyle(document.getElementById("turn")).display ===
     "none" ? "no" : "yes")`));
}

export async function phoneCommand(browser, fingers, command, args) {
  switch (command) {
  case "setup": return await setup(browser);
  case "checked":
    return await browser.evaluate(
      `document.querySelector(${JSON.stringify(args[0] + " input")})?.checked ? "yes" : "no"`);
  case "game": await gameDrawn(browser); return "";
  case "tap": await fingers.tap(args[0]); return "";
  case "finger":
    if (args[1] === "on") await fingers.on(Number(args[0]), args[2]);
    else await fingers.by(Number(args[0]), Number(args[2]), Number(args[3]));
    return "";
  case "lift": await fingers.lift(); return "";
  case "controls": return await controls(browser);
  default: return undefined;
  }
}
