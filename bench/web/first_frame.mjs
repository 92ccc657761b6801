// bench/first_frame on its page (first_frame.html) in headless Chromium, for bench/web_vs_native.sh:
// the first frame's picture, or a timed run of title-screen frames, with the time from opening
// the page to the first frame.
//   node first_frame.mjs <bench folder> <settings, comma-separated> <W>x<H> shot <out.ppm>
//   node first_frame.mjs <bench folder> <settings, comma-separated> <W>x<H> frames <N>
// Prints the program's lines as they come, each with its time since the page was opened. With
// ZENDRILL_WEB_PROFILE set, the page's main thread is sampled meanwhile and its time printed by
// kind: WebAssembly (the game and the stand-in), the JavaScript glue (emscripten's WebGL and
// runtime functions), idle (waiting for the browser: compositing, the GPU process), and the rest.
// With ZENDRILL_WEB_CALLS set, every WebGL 2 call is counted instead (which slows the page) and
// the calls per frame printed by name: a figure the machine's load does not change.
import { launch, readCanvas, serve, waitFor, writePpm } from "../../tests/web/browser.mjs";

const [folder, settings, size, mode, argument] = process.argv.slice(2);
const [width, height] = size.split("x").map(Number);

// The sampled time by kind of code, as shares of the whole.
function printProfile(profile) {
  const kindOf = new Map();
  for (const node of profile.nodes) {
    const frame = node.callFrame;
    const name = frame.functionName;
    let kind = "other JavaScript";
    if (name === "(idle)") kind = "idle";
    else if (name === "(program)") kind = "browser (program)";
    else if (name === "(garbage collector)") kind = "garbage collector";
    else if (/^\$|wasm-function|\.wasm/.test(name + frame.url) || frame.url.startsWith("wasm://"))
      kind = "WebAssembly";
    else if (/first_frame\.js$/.test(frame.url)) kind = "JavaScript glue (WebGL, runtime)";
    kindOf.set(node.id, kind);
  }
  const totals = new Map();
  for (let i = 0; i < profile.samples.length; i++) {
    const kind = kindOf.get(profile.samples[i]);
    totals.set(kind, (totals.get(kind) ?? 0) + (profile.timeDeltas[i] ?? 0));
  }
  const all = [...totals.values()].reduce((a, b) => a + b, 0);
  const share = (micro) => `${(micro / 1e6).toFixed(2)} s (${(100 * micro / all).toFixed(1)} %)`;
  for (const [kind, micro] of [...totals].sort((a, b) => b[1] - a[1]))
    console.log(`  main thread: ${kind}: ${share(micro)}`);
  // The functions that took most of it themselves.
  const byFunction = new Map();
  const nodes = new Map(profile.nodes.map((node) => [node.id, node]));
  for (let i = 0; i < profile.samples.length; i++) {
    const name = nodes.get(profile.samples[i]).callFrame.functionName || "(anonymous)";
    byFunction.set(name, (byFunction.get(name) ?? 0) + (profile.timeDeltas[i] ?? 0));
  }
  for (const [name, micro] of [...byFunction].sort((a, b) => b[1] - a[1]).slice(0, 6))
    console.log(`    ${name}: ${share(micro)}`);
}

const server = await serve(folder);
const browser = await launch([width, height]);
let status = 0;
try {
  const profile = !!process.env.ZENDRILL_WEB_PROFILE;
  if (profile) {
    await browser.page("Profiler.enable");
    await browser.page("Profiler.setSamplingInterval", { interval: 1000 });
    await browser.page("Profiler.start");
  }
  const calls = !!process.env.ZENDRILL_WEB_CALLS;
  if (calls) {
    await browser.page("Page.addScriptToEvaluateOnNewDocument", { source: `(() => {
      const counts = window.webglCalls = {};
      const proto = WebGL2RenderingContext.prototype;
      for (const name of Object.getOwnPropertyNames(proto)) {
        const call = Object.getOwnPropertyDescriptor(proto, name).value;
        if (typeof call !== "function" || name === "constructor") continue;
        proto[name] = function (...args) {
          counts[name] = (counts[name] || 0) + 1;
          return call.apply(this, args);
        };
      }
    })()` });
  }
  const query = `settings=${settings}` + (mode === "frames" ? `&frames=${argument}` : "");
  await browser.navigate(`${server.url}first_frame.html?${query}`);
  const lines = await waitFor("the program's figures", 900, () => browser.evaluate(
    `window.firstFrameLines && window.firstFrameLines.length >= 1 &&
     window.firstFrameLines`));
  for (const line of lines)
    console.log(`${line.text} (at ${(line.at / 1000).toFixed(2)} s after opening the page)`);
  if (profile) printProfile((await browser.page("Profiler.stop")).profile);
  if (calls) {
    // The first frame and the timed ones; a shot has the first frame only.
    const perFrame = mode === "frames" ? Number(argument) + 1 : 1;
    const counts = Object.entries(await browser.evaluate("window.webglCalls"));
    const all = counts.reduce((sum, [, n]) => sum + n, 0);
    console.log(`  WebGL calls: ${(all / perFrame).toFixed(1)} a frame`);
    for (const [name, n] of counts.sort((a, b) => b[1] - a[1]).slice(0, 12))
      console.log(`    ${name}: ${(n / perFrame).toFixed(1)}`);
  }
  if (mode === "shot") {
    const picture = await readCanvas(browser);
    if (picture.width !== width || picture.height !== height)
      throw new Error(`the canvas is ${picture.width} x ${picture.height}`);
    writePpm(argument, picture);
  }
} catch (error) {
  console.log(`error: ${error.message}`);
  console.log(browser.console.join("\n"));
  status = 1;
} finally {
  await browser.close();
  server.close();
}
process.exit(status);
