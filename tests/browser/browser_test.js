// The show in a real browser: Debian's Chromium, headless, WebGL 2 on
// SwiftShader, driven by playwright-core against the page served on
// 127.0.0.1. Usage: node browser_test.js URL WORK_DIR [--bench]
//   stills   ?at=5, 20, 45 and 79 against the desktop capture, PSNR >= 35 dB
//   show     start gesture, the audio clock advances, the music sounds, the
//            title shows the statistics line, Escape fades out to the page's
//            end state, and the show plays again from there
//   console  no console error and no page error throughout
// --bench plays the whole show and prints frame times, start-up times and
// the folder's download size instead.
"use strict";
const {chromium} = require("playwright-core");
const {execFileSync} = require("child_process");
const fs = require("fs");
const path = require("path");

const [url, work, mode] = process.argv.slice(2);
const stillTimes = [5, 20, 45, 79];
const minimumPsnr = 35;

const chromiumArgs = [
  "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox", "--disable-quic",
  "--no-first-run", "--disable-background-networking", "--disable-component-update",
  "--disable-sync", "--autoplay-policy=user-gesture-required",
];

let passed = 0, failed = 0;
function check(name, ok, detail) {
  if (ok) passed += 1; else failed += 1;
  console.log(`${ok ? "ok" : "not ok"} - ${name}${detail ? ": " + detail : ""}`);
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

async function openPage(browser, problems) {
  const page = await browser.newPage({viewport: {width: 800, height: 600}, deviceScaleFactor: 1});
  page.on("console", (m) => { if (m.type() === "error") problems.push("console: " + m.text()); });
  page.on("pageerror", (e) => problems.push("page error: " + e.message));
  return page;
}

const waitForState = (page, states, timeout) =>
  page.waitForFunction((s) => s.includes(window.brontavik.state), states, {timeout});

async function stills(browser, problems) {
  for (const t of stillTimes) {
    const page = await openPage(browser, problems);
    await page.goto(`${url}?at=${t}`);
    await waitForState(page, ["still", "ended"], 60000);
    const file = path.join(work, `browser-${t}.png`);
    await page.locator("#canvas").screenshot({path: file});
    const db = psnr(file, path.join(work, `desktop-${t}.png`));
    check(`still at ${t} s matches the desktop`, db >= minimumPsnr, `PSNR ${db.toFixed(2)} dB`);
    await page.close();
  }
}

async function show(browser, problems) {
  const page = await openPage(browser, problems);
  await page.goto(url);
  await waitForState(page, ["ready"], 60000);
  check("the page waits for the start gesture",
        await page.locator("#start-button").isVisible() &&
            (await page.evaluate(() => window.brontavik.audioTime())) === null);
  await page.click("#start-button");
  await page.waitForFunction(() => window.brontavik.passMilliseconds.length > 10, null, {timeout: 30000});
  const first = await page.evaluate(() => window.brontavik.audioTime());
  await page.waitForTimeout(1000);
  const second = await page.evaluate(() => window.brontavik.audioTime());
  check("the audio clock advances after the gesture", first > 0 && second > first + 0.5,
        `${first.toFixed(3)} s, then ${second.toFixed(3)} s`);
  const level = await page.evaluate(() => {
    const samples = new Float32Array(1024);
    window.brontavik.analyser().getFloatTimeDomainData(samples);
    return Math.sqrt(samples.reduce((sum, x) => sum + x * x, 0) / samples.length);
  });
  check("the music sounds", level > 0.001, `RMS ${level.toFixed(4)}`);
  const title = await page.title();
  check("the title shows the statistics line",
        /^X: \S+ +Y: \S+ +Time:\S+ +Fps:\S+ +Aux:\S+/.test(title), JSON.stringify(title));
  // Escape held for a tenth of a second, as a viewer presses it.
  const pressed = Date.now();
  await page.keyboard.down("Escape");
  await page.waitForTimeout(100);
  await page.keyboard.up("Escape");
  await page.waitForTimeout(1400);
  const gain = await page.evaluate(() => window.brontavik.musicGain());
  check("the music fades with the picture", gain > 0.2 && gain < 0.8, `gain ${gain} halfway`);
  await waitForState(page, ["ended"], 15000).catch(() => {});
  const state = await page.evaluate(() => window.brontavik.state);
  const seconds = (Date.now() - pressed) / 1000;
  check("Escape fades out to the end state", state === "ended" && seconds > 2,
        `${state} after ${seconds.toFixed(1)} s`);
  const end = path.join(work, "browser-end.png");
  await page.locator("#canvas").screenshot({path: end});
  check("the canvas is left black with a way to play again",
        brightest(end) === 0 && await page.locator("#again-button").isVisible(),
        `brightest ${brightest(end)}`);
  await page.waitForSelector("#again-button:not([disabled])", {timeout: 30000});
  await page.click("#again-button");
  await page.waitForFunction(() => window.brontavik.passMilliseconds.length > 10, null, {timeout: 30000});
  check("play again starts the show afresh",
        await page.evaluate(() => window.brontavik.state === "playing" && window.brontavik.audioTime() > 0));
  await page.close();
}

function percentile(values, p) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * p))];
}

async function bench(browser, problems) {
  const page = await openPage(browser, problems);
  const loadStart = Date.now();
  await page.goto(url);
  await waitForState(page, ["ready"], 60000);
  const ready = Date.now() - loadStart;
  await page.click("#start-button");
  await waitForState(page, ["ended"], 200000);
  const r = await page.evaluate(() => ({
    gestureToFirstFrame: window.brontavik.firstFrame - window.brontavik.startGesture,
    gestureToInitialised: window.brontavik.initialised - window.brontavik.startGesture,
    loadToFirstFrame: window.brontavik.firstFrame,
    pass: window.brontavik.passMilliseconds,
    interval: window.brontavik.frameIntervals,
  }));
  const mean = (v) => v.reduce((a, b) => a + b, 0) / v.length;
  console.log(`frames ${r.pass.length}`);
  console.log(`program time per frame: mean ${mean(r.pass).toFixed(3)} ms, median ${
      percentile(r.pass, 0.5).toFixed(3)} ms, p95 ${percentile(r.pass, 0.95).toFixed(3)} ms`);
  console.log(`frame interval: mean ${mean(r.interval).toFixed(3)} ms, median ${
      percentile(r.interval, 0.5).toFixed(3)} ms, p95 ${percentile(r.interval, 0.95).toFixed(3)} ms`);
  console.log(`page load to start state ${ready} ms; start gesture to first frame ${
      r.gestureToFirstFrame.toFixed(1)} ms (initialisation ${r.gestureToInitialised.toFixed(1)} ms)`);
  const site = process.env.SITE_DIR;
  if (site) {
    const bytes = fs.readdirSync(site).reduce((n, f) => n + fs.statSync(path.join(site, f)).size, 0);
    console.log(`download size ${bytes} bytes`);
  }
  await page.close();
}

(async () => {
  const browser = await chromium.launch({executablePath: "/usr/bin/chromium", headless: true,
                                         args: chromiumArgs});
  const problems = [];
  try {
    if (mode === "--bench") {
      await bench(browser, problems);
    } else {
      await stills(browser, problems);
      await show(browser, problems);
      check("no console error or page error", problems.length === 0, problems.join(" | "));
    }
  } catch (e) {
    check("the browser run completes", false, String(e && e.stack || e));
  } finally {
    await browser.close();
  }
  if (mode !== "--bench") console.log(`browser: ${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
})();
