// Helpers for the browser tests: the page folder served on localhost, headless Chromium driven
// over its DevTools protocol (a pipe: JSON messages ended by NUL on file descriptors 3 and 4),
// and the canvas read back as pixels. Needs nothing beyond Node and Debian's chromium.
import { spawn } from "node:child_process";
import { createServer } from "node:http";
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { extname, join, normalize } from "node:path";

export const SKIP = 77;

// Ends the test as skipped, with the reason where ctest shows it.
export function skip(reason) {
  console.log(`SKIP: ${reason}`);
  process.exit(SKIP);
}

export function findChromium() {
  for (const name of ["/usr/bin/chromium", "/usr/bin/chromium-browser", "/usr/bin/google-chrome"])
    if (existsSync(name)) return name;
  return null;
}

const kTypes = {
  ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm",
  ".data": "application/octet-stream", ".webmanifest": "application/manifest+json",
  ".png": "image/png",
};

// Serves `folder` on 127.0.0.1 at `port` (a free one by default); resolves to { url, port, close }.
// close() stops the server, open connections too, and resolves once it has.
export function serve(folder, port = 0) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, "http://x").pathname));
    const file = join(folder, path.endsWith("/") ? path + "index.html" : path);
    if (!file.startsWith(folder) || !existsSync(file)) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { "Content-Type": kTypes[extname(file)] || "application/octet-stream",
                              "Cache-Control": "no-store" });
    response.end(readFileSync(file));
  });
  return new Promise((resolve) => server.listen(port, "127.0.0.1", () => resolve({
    url: `http://127.0.0.1:${server.address().port}/`,
    port: server.address().port,
    close: () => new Promise((closed) => {
      server.close(closed);
      server.closeAllConnections();
    }),
  })));
}

// How Chromium draws: SwiftShader, its own software GL, unless ZENDRILL_CHROMIUM_GL gives other
// flags (the benchmarks draw through the system's GL with them; see bench/report.sh).
function glFlags() {
  const flags = process.env.ZENDRILL_CHROMIUM_GL;
  if (!flags) return ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"];
  return flags.split(/\s+/).filter((flag) => flag);
}

// Headless Chromium with one page attached; `size` is the window's [width, height]. With
// `mobile`, a phone held sideways: touch only (five points, `pointer: coarse`), a mobile viewport
// of that size in landscape, one device pixel a CSS pixel.
export async function launch(size = [1024, 768], { mobile = false } = {}) {
  const chromium = findChromium();
  const profile = mkdtempSync(join(tmpdir(), "zendrill-chromium-"));
  const child = spawn(chromium, [
    "--headless=new", ...glFlags(),
    "--remote-debugging-pipe", `--user-data-dir=${profile}`, "--no-first-run",
    "--no-default-browser-check", "--disable-background-timer-throttling",
    "--disable-renderer-backgrounding", "--disable-backgrounding-occluded-windows",
    `--window-size=${size[0]},${size[1]}`,
    // Chromium refuses its sandbox to root (CI containers run as root).
    ...(process.getuid && process.getuid() === 0 ? ["--no-sandbox"] : []),
    "about:blank",
  ], { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
  let chatter = "";
  child.stderr.on("data", (chunk) => { chatter = (chatter + chunk).slice(-4000); });
  const died = new Promise((_, reject) => child.on("exit", (code) => reject(
    new Error(`chromium ended (${code}):\n${chatter}`))));
  died.catch(() => {});
  const toBrowser = child.stdio[3];
  const fromBrowser = child.stdio[4];
  let nextId = 1;
  const waiting = new Map();
  const listeners = [];
  let buffered = Buffer.alloc(0);
  toBrowser.on("error", () => {});
  fromBrowser.on("error", () => {});
  fromBrowser.on("data", (chunk) => {
    buffered = Buffer.concat([buffered, chunk]);
    for (let end; (end = buffered.indexOf(0)) >= 0;) {
      const message = JSON.parse(buffered.subarray(0, end).toString("utf8"));
      buffered = buffered.subarray(end + 1);
      if (message.id && waiting.has(message.id)) {
        const { resolve, reject } = waiting.get(message.id);
        waiting.delete(message.id);
        if (message.error) reject(new Error(JSON.stringify(message.error)));
        else resolve(message.result);
      } else if (message.method) {
        for (const listener of listeners) listener(message);
      }
    }
  });
  const send = (method, params = {}, sessionId) => Promise.race([died, new Promise(
    (resolve, reject) => {
      const id = nextId++;
      waiting.set(id, { resolve, reject });
      toBrowser.write(JSON.stringify({ id, method, params, sessionId }) + "\0");
    })]);
  const { targetId } = await send("Target.createTarget", { url: "about:blank" });
  const { sessionId } = await send("Target.attachToTarget", { targetId, flatten: true });
  const page = (method, params) => send(method, params, sessionId);
  const console = [];
  listeners.push((message) => {
    if (message.sessionId !== sessionId) return;
    if (message.method === "Runtime.consoleAPICalled")
      console.push(message.params.args.map((a) => a.value ?? a.description ?? "").join(" "));
    if (message.method === "Runtime.exceptionThrown")
      console.push("exception: " + JSON.stringify(message.params.exceptionDetails.exception?.description ?? message.params.exceptionDetails.text));
  });
  await page("Runtime.enable");
  await page("Page.enable");
  // A headless browser's screen is 800 x 600 whatever its window; the page offers the modes that
  // fit the screen, so give it one of the window's size.
  if (mobile) await page("Emulation.setTouchEmulationEnabled", { enabled: true, maxTouchPoints: 5 });
  await page("Emulation.setDeviceMetricsOverride", {
    width: size[0], height: size[1], deviceScaleFactor: 1, mobile,
    screenWidth: size[0], screenHeight: size[1],
    ...(mobile ? { screenOrientation: { type: "landscapePrimary", angle: 90 } } : {}),
  });
  return {
    page,
    console,
    send, // browser-level commands (tabs)
    targetId,
    // Evaluates an expression in the page (awaiting a promise) and returns its value.
    async evaluate(expression) {
      const result = await page("Runtime.evaluate",
                                { expression, awaitPromise: true, returnByValue: true });
      if (result.exceptionDetails)
        throw new Error(`in the page: ${JSON.stringify(result.exceptionDetails)}`);
      return result.result.value;
    },
    async navigate(url) {
      await page("Page.navigate", { url });
    },
    async close() {
      const exited = new Promise((resolve) => {
        if (child.exitCode !== null) resolve();
        else child.on("exit", resolve);
      });
      try { await send("Browser.close"); } catch { /* already gone */ }
      const timer = setTimeout(() => child.kill("SIGKILL"), 10000);
      await exited;
      clearTimeout(timer);
      rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
    },
  };
}

// Waits until `check()` returns a truthy value, polling (a check that throws, as one does while
// the page is still loading, counts as not yet); throws `what` after `seconds`.
export async function waitFor(what, seconds, check) {
  const deadline = Date.now() + seconds * 1000;
  let lastError = null;
  for (;;) {
    let value = null;
    try { value = await check(); } catch (error) { lastError = error; }
    if (value) return value;
    if (Date.now() > deadline && lastError)
      throw new Error(`timed out after ${seconds} s waiting for ${what} (${lastError.message})`);
    if (Date.now() > deadline) throw new Error(`timed out after ${seconds} s waiting for ${what}`);
    await new Promise((r) => setTimeout(r, 250));
  }
}

// The canvas's current picture: { width, height, rgb } (rgb a Buffer, 3 bytes a pixel, rows from
// the top). While the game runs it is read from the game's own WebGL context (the frame it last
// presented, kept by preserveDrawingBuffer): that read comes in line with the game's drawing,
// so it shows the last frame drawn. A copy through a 2-D canvas shows what the compositor last
// had: in the slow runs of the play session it took seconds to come, and keys showed their
// effect seconds late or twice over. Before the game has a context, the 2-D copy it is.
export async function readCanvas(browser) {
  const value = await browser.evaluate(`(() => {
    const source = document.getElementById("canvas");
    const w = source.width, h = source.height;
    const gl = typeof GL !== "undefined" && GL.currentContext ? GL.currentContext.GLctx : null;
    let rgba, bottomUp = false;
    if (gl && gl.canvas === source) {
      const read = gl.getParameter(gl.READ_FRAMEBUFFER_BINDING);
      const pack = gl.getParameter(gl.PIXEL_PACK_BUFFER_BINDING);
      gl.bindFramebuffer(gl.READ_FRAMEBUFFER, null);
      gl.bindBuffer(gl.PIXEL_PACK_BUFFER, null);
      rgba = new Uint8Array(w * h * 4);
      gl.readPixels(0, 0, w, h, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
      gl.bindFramebuffer(gl.READ_FRAMEBUFFER, read);
      gl.bindBuffer(gl.PIXEL_PACK_BUFFER, pack);
      bottomUp = true;
    } else {
      const copy = document.createElement("canvas");
      copy.width = w; copy.height = h;
      const context = copy.getContext("2d");
      context.drawImage(source, 0, 0);
      rgba = context.getImageData(0, 0, w, h).data;
    }
    const rgb = new Uint8Array(w * h * 3);
    for (let y = 0; y < h; y++) {
      let from = (bottomUp ? h - 1 - y : y) * w * 4, to = y * w * 3;
      for (let x = 0; x < w; x++, from += 4, to += 3) {
        rgb[to] = rgba[from]; rgb[to + 1] = rgba[from + 1]; rgb[to + 2] = rgba[from + 2];
      }
    }
    let text = "";
    for (let i = 0; i < rgb.length; i += 8192)
      text += String.fromCharCode.apply(null, rgb.subarray(i, i + 8192));
    return { width: w, height: h, rgb: btoa(text) };
  })()`);
  return { width: value.width, height: value.height, rgb: Buffer.from(value.rgb, "base64") };
}

export function pixel(picture, x, y) {
  const at = (y * picture.width + x) * 3;
  return [picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]];
}

export function writePpm(path, picture) {
  writeFileSync(path, Buffer.concat([
    Buffer.from(`P6\n${picture.width} ${picture.height}\n255\n`), picture.rgb]));
}

// A key pressed and released, by its KeyboardEvent.code ("Space", "KeyP", "Escape", ...), held
// for `holdMs` so a game step sees it down.
export async function press(browser, code, holdMs = 150) {
  let key = code, keyCode = 0, text = "";
  if (code === "Space") { key = " "; keyCode = 32; text = " "; }
  else if (/^Key[A-Z]$/.test(code)) { key = code[3].toLowerCase(); keyCode = code.charCodeAt(3); text = key; }
  else if (/^Digit[0-9]$/.test(code)) { key = code[5]; keyCode = code.charCodeAt(5); text = key; }
  else keyCode = { Escape: 27, Enter: 13, Pause: 19, Tab: 9 }[code] ?? 0;
  const event = { code, key, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode };
  await browser.page("Input.dispatchKeyEvent", { type: text ? "keyDown" : "rawKeyDown", text, ...event });
  await new Promise((r) => setTimeout(r, holdMs));
  await browser.page("Input.dispatchKeyEvent", { type: "keyUp", ...event });
}
