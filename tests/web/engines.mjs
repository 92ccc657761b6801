// Two more browser engines for the page's tests, both headful on the test's X display: Firefox
// driven over WebDriver BiDi (a WebSocket to its remote agent) and WebKitGTK's MiniBrowser driven
// by WebKitWebDriver over classic WebDriver (HTTP). Both give the same few calls:
//   { name, windowClass, evaluate(expression), navigate(url), screenshot() (PNG), console, close() }
// evaluate awaits a promise and returns the value through JSON, so any plain value comes back.
import { spawn } from "node:child_process";
import { existsSync, mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { createServer } from "node:net";
import { tmpdir } from "node:os";
import { join } from "node:path";

export const kFirefox = "/usr/bin/firefox-esr";
export const kWebKitDriver = "/usr/bin/WebKitWebDriver";
export const kMiniBrowser = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";

// Whether the engine is installed; null when it is, otherwise what is missing.
export function missing(engine) {
  if (engine === "firefox") return existsSync(kFirefox) ? null : kFirefox;
  if (engine === "webkit") {
    for (const file of [kWebKitDriver, kMiniBrowser]) if (!existsSync(file)) return file;
    return null;
  }
  return `no engine "${engine}"`;
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function freePort() {
  return new Promise((resolve, reject) => {
    const server = createServer();
    server.on("error", reject);
    server.listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// The expression's value, awaited, as JSON text: both protocols hand strings back unchanged.
const asJson = (expression) => `(async () => JSON.stringify(await (${expression})))()`;
const fromJson = (text) => (text === undefined || text === null ? null : JSON.parse(text));

function child(command, args, options = {}) {
  const process_ = spawn(command, args, { stdio: ["ignore", "pipe", "pipe"], ...options });
  let chatter = "";
  const keep = (chunk) => { chatter = (chatter + chunk).slice(-8000); };
  process_.stdout.on("data", keep);
  process_.stderr.on("data", keep);
  return { process: process_, chatter: () => chatter };
}

async function ended(process_, ms) {
  if (process_.exitCode !== null || process_.signalCode !== null) return;
  const gone = new Promise((resolve) => process_.on("exit", resolve));
  const timer = setTimeout(() => process_.kill("SIGKILL"), ms);
  await gone;
  clearTimeout(timer);
}

// Firefox with a profile of its own. Its preferences keep it from first-run pages and updates and
// let full screen and pointer lock come without their notices' delay. With `touchScreen` it takes
// the system's pointer for a touch screen's (coarse, no hover), as a phone's browser does.
export async function launchFirefox({ touchScreen = false } = {}) {
  const profile = mkdtempSync(join(tmpdir(), "zendrill-firefox-"));
  writeFileSync(join(profile, "user.js"), [
    ["browser.shell.checkDefaultBrowser", false],
    ["browser.startup.homepage_override.mstone", "ignore"],
    ["browser.aboutwelcome.enabled", false],
    ["datareporting.policy.dataSubmissionEnabled", false],
    ["toolkit.telemetry.reportingpolicy.firstRun", false],
    ["app.update.disabledForTesting", true],
    ["full-screen-api.warning.timeout", 0],
    ["full-screen-api.transition-duration.enter", "0 0"],
    ["full-screen-api.transition-duration.leave", "0 0"],
    ["pointer-lock-api.warning.timeout", 0],
    ["dom.disable_open_during_load", false],
    ...(touchScreen ? [["ui.primaryPointerCapabilities", 1], ["ui.allPointerCapabilities", 1]] : []),
  ].map(([name, value]) => `user_pref(${JSON.stringify(name)}, ${JSON.stringify(value)});\n`)
    .join(""));
  const port = await freePort();
  // Opened on about:blank, Firefox keeps the focus in its address bar until a click on the page;
  // a phone's browser gives the page the focus, as Firefox does when it opens on a page.
  const first = touchScreen ? "data:text/html,<title>zendrill</title>" : "about:blank";
  const firefox = child(kFirefox, ["--no-remote", "--new-instance", "--profile", profile,
                                   `--remote-debugging-port=${port}`, first]);
  const died = new Promise((_, reject) => firefox.process.on("exit", (code) => reject(
    new Error(`firefox ended (${code}):\n${firefox.chatter()}`))));
  died.catch(() => {});

  // The remote agent listens once it says so; until then connections are refused.
  let socket = null;
  for (let i = 0; i < 600 && !socket; i++) {
    if (/WebDriver BiDi listening/.test(firefox.chatter())) {
      socket = await new Promise((resolve) => {
        const s = new WebSocket(`ws://127.0.0.1:${port}/session`);
        s.onopen = () => resolve(s);
        s.onerror = () => resolve(null);
      });
    }
    if (!socket) await Promise.race([died, sleep(200)]);
  }
  if (!socket) throw new Error(`firefox's remote agent did not answer:\n${firefox.chatter()}`);

  let nextId = 1;
  const waiting = new Map();
  const console_ = [];
  socket.onmessage = (event) => {
    const message = JSON.parse(event.data);
    if (message.id && waiting.has(message.id)) {
      const { resolve, reject } = waiting.get(message.id);
      waiting.delete(message.id);
      if (message.type === "error") reject(new Error(`${message.error}: ${message.message}`));
      else resolve(message.result);
    } else if (message.method === "log.entryAdded") {
      console_.push(`${message.params.level}: ${message.params.text}`);
    }
  };
  const send = (method, params = {}) => Promise.race([died, new Promise((resolve, reject) => {
    const id = nextId++;
    waiting.set(id, { resolve, reject });
    socket.send(JSON.stringify({ id, method, params }));
  })]);

  await send("session.new", { capabilities: {} });
  const tree = await send("browsingContext.getTree", {});
  const context = tree.contexts[0].context;
  await send("session.subscribe", { events: ["log.entryAdded"] });
  let other = null;
  return {
    name: "Firefox",
    windowClass: "firefox",
    console: console_,
    async evaluate(expression) {
      const answer = await send("script.evaluate", {
        expression: asJson(expression), target: { context }, awaitPromise: true,
        resultOwnership: "none",
      });
      if (answer.type === "exception")
        throw new Error(`in the page: ${answer.exceptionDetails.text}`);
      return fromJson(answer.result.value);
    },
    async navigate(url) {
      await send("browsingContext.navigate", { context, url, wait: "complete" });
    },
    async screenshot() {
      const { data } = await send("browsingContext.captureScreenshot", { context });
      return Buffer.from(data, "base64");
    },
    // The page's view as large as that, in CSS pixels, whatever the window's size.
    async setViewport(width, height) {
      await send("browsingContext.setViewport", { context, viewport: { width, height } });
    },
    // An expression evaluated in every page opened from now on, before the page's own scripts.
    async beforePageScripts(expression) {
      await send("script.addPreloadScript",
                 { functionDeclaration: `() => ${expression}`, contexts: [context] });
    },
    // WebDriver's input actions: one tick list per input source (a finger is a touch pointer of
    // its own, and stays down between calls until its pointerUp).
    async performActions(actions) {
      await send("input.performActions", { context, actions });
    },
    // Another tab in front of the page's, and the page's in front again, the other one closed.
    // (Under openbox another window in front of a full-screen Firefox leaves it the focus.)
    async otherTab() {
      ({ context: other } = await send("browsingContext.create", { type: "tab" }));
      await send("browsingContext.activate", { context: other });
    },
    async backToPage() {
      await send("browsingContext.activate", { context });
      if (other) await send("browsingContext.close", { context: other });
      other = null;
    },
    async close() {
      try {
        await Promise.race([send("browser.close"), sleep(5000)]);
      } catch { /* already gone */ }
      socket.close();
      await ended(firefox.process, 10000);
      rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
    },
  };
}

// MiniBrowser started by WebKitWebDriver for a classic WebDriver session.
export async function launchWebKit() {
  const port = await freePort();
  const driver = child(kWebKitDriver, [`--port=${port}`, "--host=127.0.0.1"]);
  const died = new Promise((_, reject) => driver.process.on("exit", (code) => reject(
    new Error(`WebKitWebDriver ended (${code}):\n${driver.chatter()}`))));
  died.catch(() => {});
  const base = `http://127.0.0.1:${port}`;
  const request = async (method, path, body) => {
    const response = await Promise.race([died, fetch(base + path, {
      method, headers: { "Content-Type": "application/json" },
      body: body === undefined ? undefined : JSON.stringify(body),
    })]);
    const answer = await response.json();
    // A lost session ("page crash or hang") is the browser gone: its last words say why.
    if (!response.ok || (answer.value && answer.value.error))
      throw new Error(`WebDriver ${method} ${path}: ${JSON.stringify(answer.value)}` +
                      (session ? `\nWebKitWebDriver and MiniBrowser said:\n${driver.chatter()}` : ""));
    return answer.value;
  };
  let session = null;
  for (let i = 0; i < 300 && !session; i++) {
    try {
      const value = await request("POST", "/session", { capabilities: { alwaysMatch: {
        browserName: "MiniBrowser",
        "webkitgtk:browserOptions": { binary: kMiniBrowser, args: ["--automation"] },
      } } });
      session = value.sessionId;
    } catch (error) {
      if (!/fetch failed|ECONNREFUSED/.test(String(error.cause ?? error.message))) throw error;
      await Promise.race([died, sleep(200)]);
    }
  }
  if (!session) throw new Error(`WebKitWebDriver did not answer:\n${driver.chatter()}`);
  const at = `/session/${session}`;
  return {
    name: "WebKitGTK",
    windowClass: "MiniBrowser",
    console: [],
    async evaluate(expression) {
      return fromJson(await request("POST", `${at}/execute/sync`,
                                    { script: `return ${asJson(expression)};`, args: [] }));
    },
    async navigate(url) {
      await request("POST", `${at}/url`, { url });
    },
    async screenshot() {
      return Buffer.from(await request("GET", `${at}/screenshot`), "base64");
    },
    async close() {
      try {
        await Promise.race([request("DELETE", at), sleep(10000)]);
      } catch { /* already gone */ }
      driver.process.kill();
      await ended(driver.process, 10000);
    },
  };
}

export function launchEngine(engine, options) {
  return engine === "firefox" ? launchFirefox(options) : launchWebKit();
}
