// The page installed and played without the network, in headless Chromium: its manifest parses
// and the page is installable, the service worker controls it and keeps every file of the page;
// with the server stopped, a reload and a new tab bring the game back; and a changed build served
// in its place (another index.html and zendrill.js, the worker written anew for it by the build's
// own script) runs whole on the next visit, every file from it, and is what plays offline after.
//   node offline_web.mjs <page folder> <work folder> <cmake> <worker script> <worker template>
import { appendFileSync, cpSync, existsSync, mkdirSync, readFileSync, readdirSync, rmSync,
         statSync, writeFileSync } from "node:fs";
import { createHash } from "node:crypto";
import { execFileSync } from "node:child_process";
import { join, resolve } from "node:path";
import { findChromium, launch, pixel, press, readCanvas, serve, skip, waitFor } from "./browser.mjs";

const page = resolve(process.argv[2] ?? "");
const work = resolve(process.argv[3] ?? ".");
const [cmake, workerScript, workerTemplate] = process.argv.slice(4);
for (const file of ["index.html", "zendrill.js", "manifest.webmanifest", "sw.js"])
  if (!existsSync(join(page, file)))
    skip(`no ${file} in ${page} (cmake --preset web && cmake --build --preset web)`);
if (!findChromium()) skip("no chromium (scripts/install-deps.sh installs it)");
mkdirSync(work, { recursive: true });

let failures = 0;
const check = (ok, what) => {
  console.log(`${ok ? "ok" : "FAILED"}: ${what}`);
  if (!ok) failures++;
};

// Every file of a page folder but the worker, with the SHA-256 of its bytes.
function folderHashes(folder) {
  const hashes = {};
  for (const name of readdirSync(folder, { recursive: true }).map(String).sort())
    if (name !== "sw.js" && statSync(join(folder, name)).isFile())
      hashes[name] = createHash("sha256").update(readFileSync(join(folder, name))).digest("hex");
  return hashes;
}
const workerVersion = (folder) =>
  /const VERSION = "([0-9a-f]+)"/.exec(readFileSync(join(folder, "sw.js"), "utf8"))?.[1];

// What the page's worker keeps: { caches: [names], files: { name: SHA-256 } } for its one cache.
const kept = (tab) => tab.evaluate(`(async () => {
  const names = await caches.keys();
  const files = {};
  if (names.length === 1) {
    const cache = await caches.open(names[0]);
    for (const request of await cache.keys()) {
      const bytes = await (await cache.match(request)).arrayBuffer();
      const digest = new Uint8Array(await crypto.subtle.digest("SHA-256", bytes));
      files[new URL(request.url).pathname.slice(1)] =
        Array.from(digest, (b) => b.toString(16).padStart(2, "0")).join("");
    }
  }
  return { caches: names, files };
})()`);
const sameFiles = (a, b) => JSON.stringify(a) === JSON.stringify(Object.fromEntries(
  Object.keys(a).sort().map((name) => [name, b[name]])));

// The title screen in the saved mode (1024 wide), the sky in the top corner, drawn by a page
// opened after leave() marked the one before.
const leave = (tab) => tab.evaluate(`window.zendrillLeft = true`);
const titleDrawn = (tab, what) => waitFor(what, 180, async () => {
  if (await tab.evaluate(`window.zendrillLeft || document.getElementById("canvas").width`) !== 1024)
    return null;
  const [r, g, b] = pixel(await readCanvas(tab), 4, 4);
  return r === 155 && g === 155 && b === 255;
}).then(() => console.log(`ok: ${what}`));

let server = await serve(page);
const url = server.url;
const browser = await launch();
try {
  // First visit, from the server: the setup dialog.
  await browser.navigate(url);
  await waitFor("the setup dialog", 120, () => browser.evaluate(
    `document.getElementById("setup-103")?.options.length > 0`));

  // The manifest: no parse errors, the fields an installed game needs, and nothing that keeps
  // the page from installing.
  const manifest = await browser.page("Page.getAppManifest");
  check(manifest.url === url + "manifest.webmanifest" && manifest.errors.length === 0,
        `the manifest parses: ${manifest.url} ${JSON.stringify(manifest.errors)}`);
  const data = JSON.parse(manifest.data || "{}");
  check(data.display === "fullscreen" && data.orientation === "landscape" &&
        data.icons?.map((i) => i.sizes).join() === "192x192,512x512",
        `full screen, landscape, icons ${data.icons?.map((i) => i.sizes).join()}`);
  await waitFor("the worker to control the page", 120, () => browser.evaluate(
    `!!navigator.serviceWorker.controller`));
  let installability = null;
  await waitFor("the page to be installable", 60, async () => {
    installability = (await browser.page("Page.getInstallabilityErrors")).installabilityErrors;
    return installability.length === 0;
  }).catch(() => {});
  check(installability?.length === 0, `installable: ${JSON.stringify(installability)}`);
  const firstFiles = folderHashes(page);
  const firstKept = await kept(browser);
  check(firstKept.caches.length === 1 && sameFiles(firstFiles, firstKept.files),
        `the worker keeps every file of the page: ${Object.keys(firstKept.files).join(" ")} ` +
        `in ${JSON.stringify(firstKept.caches)}`);

  // Space saves the settings; the game starts (from the worker now) and draws its title.
  await leave(browser);
  await press(browser, "Space");
  await titleDrawn(browser, "the title after Save");

  // The server stops: a reload and a new tab still bring the game back.
  await server.close();
  const refused = await fetch(url).then(() => false, () => true);
  check(refused, "the server is gone");
  await leave(browser);
  await browser.page("Page.reload");
  await titleDrawn(browser, "the title after a reload without the server");
  // The new tab gets the first one's screen (the saved mode must fit it), then opens the page.
  const { targetId } = await browser.send("Target.createTarget", { url: "about:blank" });
  const { sessionId } = await browser.send("Target.attachToTarget", { targetId, flatten: true });
  await browser.send("Emulation.setDeviceMetricsOverride", {
    width: 1024, height: 768, deviceScaleFactor: 1, mobile: false, screenWidth: 1024,
    screenHeight: 768,
  }, sessionId);
  await browser.send("Page.navigate", { url }, sessionId);
  const tab = {
    async evaluate(expression) {
      const result = await browser.send("Runtime.evaluate",
                                        { expression, awaitPromise: true, returnByValue: true },
                                        sessionId);
      if (result.exceptionDetails) throw new Error(JSON.stringify(result.exceptionDetails));
      return result.result.value;
    },
  };
  await titleDrawn(tab, "the title in a new tab without the server");
  await browser.send("Target.closeTarget", { targetId });
  // Closed for the worker too: with another page of the game open a new build waits.
  await waitFor("the new tab to close", 60, async () =>
    !(await browser.send("Target.getTargets")).targetInfos.some((t) => t.targetId === targetId));

  // A changed build in the old one's place, on the same address: its own index.html and
  // zendrill.js, and its worker written by the build's script.
  const next = join(work, "next");
  rmSync(next, { recursive: true, force: true });
  cpSync(page, next, { recursive: true });
  writeFileSync(join(next, "index.html"), readFileSync(join(next, "index.html"), "utf8")
    .replace("<head>", `<head>\n<meta name="zendrill-build" content="next">`));
  appendFileSync(join(next, "zendrill.js"), `\nwindow.zendrillBuild = "next";\n`);
  execFileSync(cmake, [`-DPAGE_DIR=${next}`, `-DTEMPLATE=${workerTemplate}`, "-P", workerScript]);
  const nextVersion = workerVersion(next);
  check(nextVersion && nextVersion !== workerVersion(page),
        `the changed build has a version of its own: ${workerVersion(page)} -> ${nextVersion}`);
  server = await serve(next, new URL(url).port);

  // The next visit runs the changed build, whole.
  await browser.page("Page.bringToFront");
  await leave(browser);
  await browser.navigate(url);
  await waitFor("the changed build's page and program", 180, () => browser.evaluate(
    `!!document.querySelector('meta[name="zendrill-build"]') && window.zendrillBuild === "next"`));
  await titleDrawn(browser, "the changed build's title");
  const nextFiles = folderHashes(next);
  const nextKept = await kept(browser);
  check(nextKept.caches.length === 1 && nextKept.caches[0].endsWith(nextVersion) &&
        sameFiles(nextFiles, nextKept.files),
        `the worker keeps the changed build alone, every file of it: ${JSON.stringify(nextKept.caches)}`);

  // And it is what plays once the server is gone again.
  await server.close();
  server = null;
  await leave(browser);
  await browser.page("Page.reload");
  await titleDrawn(browser, "the changed build's title without the server");
  check(await browser.evaluate(`window.zendrillBuild === "next"`),
        "without the server the changed build plays");
} catch (error) {
  console.log(`FAILED: ${error.message}`);
  failures++;
} finally {
  if (failures) console.log("--- the page's console:\n" + browser.console.join("\n"));
  await browser.close();
  if (server) await server.close();
}
process.exit(failures ? 1 : 0);
