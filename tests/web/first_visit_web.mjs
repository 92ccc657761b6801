// The page in headless Chromium, as a new player meets it: the first visit opens the setup dialog
// (one adapter, the browser's renderer; modes from 640 x 480 up), Space saves and the game draws
// its title screen on WebGL 2; a reload keeps the settings (the game starts at once); and each
// damaged file of tests/bad_files.sh (settings in the browser's storage, a bitmap, a mesh) gives
// the game's own message on the page, not a blank canvas or a crash. The title picture is saved
// as title.ppm in the work folder.
//   node first_visit_web.mjs <page folder> <work folder>
import { execFileSync } from "node:child_process";
import { existsSync, mkdirSync, readFileSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";
import {
  findChromium, launch, pixel, press, readCanvas, serve, skip, waitFor, writePpm,
} from "./browser.mjs";

const page = resolve(process.argv[2] ?? "");
const work = resolve(process.argv[3] ?? ".");
for (const file of ["zendrill.js", "zendrill-setup.js", "index.html"])
  if (!existsSync(join(page, file)))
    skip(`no ${file} in ${page} (cmake --preset web && cmake --build --preset web)`);
if (!findChromium()) skip("no chromium (scripts/install-deps.sh installs it)");
mkdirSync(work, { recursive: true });

let failures = 0;
const check = (ok, what) => {
  console.log(`${ok ? "ok" : "FAILED"}: ${what}`);
  if (!ok) failures++;
};

// The title screen in the saved mode (`width` wide, 4:3): sky in the top corner, the title
// picture over the middle of the top band. Resolves to the picture once it shows.
async function titleScreen(browser, what, width) {
  const picture = await waitFor(what, 180, async () => {
    const size = await browser.evaluate(`document.getElementById("canvas").width`);
    if (size !== width) return null;
    const shot = await readCanvas(browser);
    const [r, g, b] = pixel(shot, 4, 4);
    return r === 155 && g === 155 && b === 255 ? shot : null;
  });
  const f = width / 640;
  let notSky = 0;
  for (let y = Math.round(43 * f); y < 128 * f; y++)
    for (let x = Math.round(80 * f); x < 560 * f; x++) {
      const [r, g, b] = pixel(picture, x, y);
      if (Math.abs(r - 155) + Math.abs(g - 155) + Math.abs(b - 255) > 24) notSky++;
    }
  check(notSky > 5000 * f * f,
        `${what}: the title picture is drawn at ${picture.width} x ${picture.height} ` +
        `(${notSky} pixels unlike the sky)`);
  return picture;
}

// The damaged-file cases and, for one, the file it damages, the message the game shows and the
// damaged bytes (base64), made by tests/bad_files.sh from the page's own assets (../run).
const testsFolder = resolve(dirname(fileURLToPath(import.meta.url)), "..");
const badFiles = (command) => execFileSync("bash", ["-c",
  `source "${testsFolder}/bad_files.sh"; ${command}`], { encoding: "utf8" });
const badFileCases = () => badFiles(`echo "\${BadFileCases[@]}"`).trim().split(" ");
function badFile(name) {
  const folder = join(work, "bad", name);
  mkdirSync(folder, { recursive: true });
  const assets = resolve(page, "../run");
  const [file, text] = badFiles(`cd "${folder}" && ln -sfn "${assets}/textures" textures &&
    ln -sfn "${assets}/models" models && bad_file ${name} . "${assets}"`).split("\n");
  return { file, text, bytes: readFileSync(join(folder, file)).toString("base64") };
}
// A page script that puts the damaged bytes in the game's folder once its files are loaded and
// before its main starts: it wraps the onRuntimeInitialized of the page's Module.
const damageOnStart = (file, bytes) => `(() => {
  let module;
  Object.defineProperty(window, "Module", { configurable: true, get: () => module, set: (value) => {
    module = value;
    if (value.damageWrapped) return;
    const initialized = value.onRuntimeInitialized;
    value.damageWrapped = true;
    value.onRuntimeInitialized = () => {
      FS.writeFile("/zendrill/${file}", Uint8Array.from(atob("${bytes}"), (c) => c.charCodeAt(0)));
      if (initialized) initialized();
    };
  } });
})()`;

const boxText = (browser) => browser.evaluate(
  `document.getElementById("box").classList.contains("shown") &&
   document.getElementById("box-text").textContent`);

const server = await serve(page);
const browser = await launch();
try {
  // First visit: the setup dialog, with Save focused.
  await browser.navigate(server.url);
  const dialog = await waitFor("the setup dialog", 120, () => browser.evaluate(`(() => {
    const frame = document.getElementById("setup");
    if (!frame) return null;
    const adapters = [...document.getElementById("setup-102").options].map((o) => o.text);
    const modes = [...document.getElementById("setup-103").options].map((o) => o.text);
    if (!modes.length) return null;
    return { caption: frame.firstChild.textContent, adapters, modes,
             focused: document.activeElement && document.activeElement.id };
  })()`));
  check(dialog.caption === "3D Zendrill Setup", `the setup dialog opens first: "${dialog.caption}"`);
  check(dialog.adapters.length === 1 && /\(.+\)/.test(dialog.adapters[0]),
        `one adapter, named by its renderer: ${JSON.stringify(dialog.adapters)}`);
  check(dialog.modes.includes("640 x 480 - 32 bit") &&
        dialog.modes.every((m) => { const [w, , h] = m.split(" "); return +w >= 640 && +h >= 480; }),
        `modes from 640 x 480 up: ${JSON.stringify(dialog.modes)}`);
  check(dialog.focused === "setup-100", `Save has the focus (${dialog.focused})`);
  // The screen's own mode is selected at first, as on the desktop.
  const selected = await browser.evaluate(
    `document.getElementById("setup-103").selectedOptions[0]?.text`);
  check(selected === "1024 x 768 - 32 bit", `the screen's mode is selected: ${selected}`);

  // Space saves; the page keeps the settings and starts the game.
  await browser.evaluate(`window.zendrillFirstLoad = true`);
  await press(browser, "Space");
  await waitFor("the game's page after Save", 60, () => browser.evaluate(
    `!window.zendrillFirstLoad && !document.getElementById("setup")`));
  const title = await titleScreen(browser, "after Save", 1024);
  writePpm(join(work, "title.ppm"), title);

  // A reload starts the game at once with the kept settings.
  await browser.navigate(server.url);
  await titleScreen(browser, "after a reload", 1024);
  check(!(await browser.evaluate(`!!document.getElementById("setup")`)),
        "the reload went straight to the game");

  // Damaged files, one at a time (tests/bad_files.sh): each shows the game's own message on the
  // page, OK ends the game, and nothing else is lost. A damaged bitmap or mesh is put in the
  // game's folder before the game starts (a script of ours wraps the page's start-up); damaged
  // settings go into the browser's storage, last, as a player's earlier visit may have left them.
  const stored = () => browser.evaluate(`FS.readFile("/store/d3d.ini", { encoding: "utf8" })`);
  const saved = await stored();
  const cases = badFileCases();
  for (const name of [...cases.filter((c) => !c.startsWith("settings")),
                      ...cases.filter((c) => c.startsWith("settings"))]) {
    const { file, text, bytes } = badFile(name);
    let script = null;
    if (file === "d3d.ini") {
      await browser.evaluate(`new Promise((done, fail) => {
        FS.writeFile("/store/d3d.ini", Uint8Array.from(atob("${bytes}"), (c) => c.charCodeAt(0)));
        FS.syncfs(false, (error) => error ? fail(error) : done(true));
      })`);
    } else {
      ({ identifier: script } = await browser.page("Page.addScriptToEvaluateOnNewDocument",
                                                   { source: damageOnStart(file, bytes) }));
    }
    browser.console.length = 0;
    await browser.navigate(server.url);
    const shown = await waitFor(`the game's message (${name})`, 120, () => boxText(browser));
    check(shown === text, `${name} (${file}) shows the game's message: "${shown}"`);
    check(browser.console.some((line) => line.includes(`Fatal Error!: ${text}`)),
          `${name}: the same line reached the console`);
    await browser.evaluate(`document.getElementById("box-ok").click()`);
    await waitFor(`the page to say the game ended (${name})`, 60, () => browser.evaluate(
      `document.getElementById("ended").classList.contains("shown")`));
    const crashed = browser.console.find((line) => /Aborted|RuntimeError|exception/i.test(line));
    check(!crashed, `${name}: OK ends the game without a crash${crashed ? `: ${crashed}` : ""}`);
    if (script) {
      await browser.page("Page.removeScriptToEvaluateOnNewDocument", { identifier: script });
      check(await stored() === saved, `${name}: the stored settings are as they were`);
    }
  }
} catch (error) {
  console.log(`FAILED: ${error.message}`);
  failures++;
} finally {
  if (failures) console.log("--- the page's console:\n" + browser.console.join("\n"));
  await browser.close();
  server.close();
}
process.exit(failures ? 1 : 0);
