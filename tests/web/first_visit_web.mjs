// The page in headless Chromium, as a new player meets it: the first visit opens the setup dialog
// (one adapter, the browser's renderer; modes from 640 x 480 up), Space saves and the game draws
// its title screen on WebGL 2; a reload keeps the settings (the game starts at once); and a
// damaged stored d3d.ini gives the game's own message on the page, not a blank canvas. The title
// picture is saved as title.ppm in the work folder.
//   node first_visit_web.mjs <page folder> <work folder>
import { existsSync, mkdirSync } from "node:fs";
import { join, resolve } from "node:path";
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

  // A damaged d3d.ini in the storage: the game reads what it can (the height is no number, so it
  // and everything after it stay zero) and its device creation fails with its own message,
  // which shows on the page.
  await browser.evaluate(`new Promise((done, fail) => {
    FS.writeFile("/store/d3d.ini", "0\\n640\\nfour hundred and eighty\\n");
    FS.syncfs(false, (error) => error ? fail(error) : done(true));
  })`);
  await browser.navigate(server.url);
  const shown = await waitFor("the game's message", 120, () => boxText(browser));
  check(shown === "Create D3D Device Failed.",
        `a damaged d3d.ini shows the game's message: "${shown}"`);
  check(browser.console.some((line) => line.includes("Fatal Error!: Create D3D Device Failed.")),
        "the same line reached the console");
  await browser.evaluate(`document.getElementById("box-ok").click()`);
  await waitFor("the page to say the game ended", 60, () => browser.evaluate(
    `document.getElementById("ended").classList.contains("shown")`));
  check(true, "OK ends the game and the page offers another");
} catch (error) {
  console.log(`FAILED: ${error.message}`);
  failures++;
} finally {
  if (failures) console.log("--- the page's console:\n" + browser.console.join("\n"));
  await browser.close();
  server.close();
}
process.exit(failures ? 1 : 0);
