// What the browser tests share: the checks' tally, the desktop frames to
// compare with and the comparison, pages with their console watched, the
// page's states, and a static server of a folder of one's own.
"use strict";
const {chromium} = require("playwright-core");
const {execFileSync, spawn} = require("child_process");
const fs = require("fs");
const path = require("path");

const [url, work, mode] = process.argv.slice(2);

const minimumPsnr = 35;

const chromiumArgs = [
  "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox", "--disable-quic",
  "--no-first-run", "--disable-background-networking", "--disable-component-update",
  "--disable-sync", "--autoplay-policy=user-gesture-required",
];

// Debian's Chromium, headless, as the tests run it.
function launchChromium(extraArgs = []) {
  return chromium.launch({executablePath: "/usr/bin/chromium", headless: true,
                          args: [...chromiumArgs, ...extraArgs]});
}

const counts = {passed: 0, failed: 0};
function check(name, ok, detail) {
  if (ok) counts.passed += 1; else counts.failed += 1;
  console.log(`${ok ? "ok" : "not ok"} - ${name}${detail ? ": " + detail : ""}`);
}

// The desktop program's frame at scene time `at`, framed at `size`.
function desktopStill(at, size = "800x600") {
  const file = path.join(work, `desktop-${at}-${size}.png`);
  if (!fs.existsSync(file)) {
    execFileSync("./brontavik-capture", ["--at", String(at), "--size", size, "--png", file], {
      cwd: process.env.BRONTAVIK_BIN,
      env: {...process.env, SDL_VIDEODRIVER: "offscreen", LIBGL_ALWAYS_SOFTWARE: "1"},
    });
  }
  return file;
}

// ImageMagick's PSNR over the colour channels, in dB ("inf" when equal).
function psnr(a, b) {
  let out;
  try {
    out = execFileSync("compare", ["-alpha", "off", "-metric", "PSNR", a, b, "null:"],
                       {encoding: "utf8", stdio: ["ignore", "pipe", "pipe"]});
  } catch (e) {
    out = String(e.stderr || "");  // exit 1 means "different", not a failure
  }
  const text = String(out).trim();
  return text === "inf" ? Infinity : parseFloat(text);
}

// The brightest channel value (0 to 1) of the picture's top 150 rows, above
// the page's end-state text.
function brightest(file) {
  return parseFloat(execFileSync("convert", [file, "-alpha", "off", "-crop", "800x150+0+0",
                                             "-format", "%[fx:maxima]", "info:"], {encoding: "utf8"}));
}

// A number of the title's statistics line ("Time:", "Aux:", ...).
const titleValue = (title, label) =>
  parseFloat((new RegExp(label + "(\\S+)").exec(title) || [])[1]);

// Problems the page must not have. A failed download's own line from the
// browser ("Failed to load resource") is only allowed where `refusals` says,
// other lines and page errors where `allowed` (regular expressions) says. `mobile` makes a
// phone: a touch screen and the page's own viewport.
async function openPage(browser, problems, options = {}) {
  const context = await browser.newContext({
    viewport: options.viewport || {width: 800, height: 600},
    deviceScaleFactor: options.scale || 1,
    isMobile: Boolean(options.mobile),
    hasTouch: Boolean(options.mobile),
  });
  const page = await context.newPage();
  watchConsole(page, problems, options);
  return page;
}

function watchConsole(page, problems, options = {}) {
  page.on("console", (m) => {
    if (m.type() !== "error") return;
    if (options.refusals && /Failed to load resource/.test(m.text())) return;
    if (options.boxes && options.boxes.some((b) => m.text().includes(b))) return;
    if (options.allowed && options.allowed.some((r) => r.test(m.text()))) return;
    problems.push("console: " + m.text());
  });
  page.on("pageerror", (e) => {
    if (options.allowed && options.allowed.some((r) => r.test(e.message))) return;
    problems.push("page error: " + e.message);
  });
}

const waitForState = (page, states, timeout) =>
  page.waitForFunction((s) => window.brontavik && s.includes(window.brontavik.state), states,
                      {timeout});
const framesDrawn = (page) => page.evaluate(() => window.brontavik.passMilliseconds.length);
const waitForFrames = (page, count, timeout = 30000) => page.waitForFunction(
    (n) => window.brontavik.passMilliseconds.length >= n, count, {timeout});

// The canvas as shown, against the desktop program's frame at scene time
// `at` drawn at the canvas's size in device pixels; PSNR in dB. The canvas
// is cut out of the page's picture at its device pixels (an element's
// picture is cut at whole CSS pixels, a row too many where it sits between).
async function stillPsnr(page, at, name) {
  const box = await page.evaluate(() => {
    const r = document.querySelector("#canvas").getBoundingClientRect();
    const ratio = window.devicePixelRatio;
    return {x: Math.round(r.left * ratio), y: Math.round(r.top * ratio),
            size: window.brontavik.canvasSize()};
  });
  const [width, height] = box.size;
  const file = path.join(work, `browser-${name}.png`);
  await page.screenshot({path: file});
  execFileSync("convert", [file, "-crop", `${width}x${height}+${box.x}+${box.y}`, "+repage", file]);
  return psnr(file, desktopStill(at, `${width}x${height}`));
}

// Python's static server on a free port of 127.0.0.1, serving `folder`;
// `requests()` is what it has answered so far, one line each.
async function serveFolder(folder) {
  // It ends with the tests even when they are killed (setpriv --pdeathsig).
  const server = spawn("setpriv", ["--pdeathsig", "KILL", "python3", "-u", "-m", "http.server",
                                   "--bind", "127.0.0.1", "--directory", folder, "0"],
                       {stdio: ["ignore", "pipe", "pipe"]});
  let log = "";
  server.stdout.on("data", (d) => { log += d; });
  server.stderr.on("data", (d) => { log += d; });
  const port = await new Promise((resolve, reject) => {
    const timer = setInterval(() => {
      const found = /Serving HTTP on \S+ port (\d+)/.exec(log);
      if (found) resolve(found[1]);
      if (found || server.exitCode !== null) clearInterval(timer);
      if (!found && server.exitCode !== null) reject(new Error("the server did not start: " + log));
    }, 50);
  });
  return {
    url: `http://127.0.0.1:${port}/`,
    requests: () => log.split("\n").filter((line) => /"GET /.test(line)),
    stop: () => new Promise((resolve) => {
      if (server.exitCode !== null || server.signalCode !== null) return resolve();
      server.on("exit", resolve);
      server.kill();
    }),
  };
}

module.exports = {url, work, mode, minimumPsnr, launchChromium, counts, check, desktopStill, psnr,
                  brightest, titleValue, openPage, watchConsole, waitForState, framesDrawn,
                  waitForFrames, stillPsnr, serveFolder};
