// The show in a real browser: Debian's Chromium, headless, WebGL 2 on
// SwiftShader, driven by playwright-core against the page served on
// 127.0.0.1. Usage: node browser_test.js URL WORK_DIR [--bench | --bench-view]
// (BRONTAVIK_BIN: the native build's bin folder, for desktop captures)
//   stills   ?at=5, 20, 45 and 79 against the desktop capture, PSNR >= 35 dB;
//            ?at=45 at two device pixels to the CSS pixel drawn at 1920x1440
//   show     start gesture, the first frame at demo time 0, the audio clock,
//            the music, the title's statistics line, a hidden page, a lost
//            GL context that comes back, Escape to the end state, play again
//   failures the data file answering 404, cut short or with a damaged picture,
//            a browser without WebGL 2
//   makers   the makers' run: ?sync= against a scripted sync editor on a
//            WebSocket, ?tracks= against capture --tracks (edit_test.js)
//   view     view.html, the 3DS scene player (view_test.js)
//   delivery the single file from disk, the site offline, the multi-file page
//            from disk, embedding, a phone (delivery_test.js); the single
//            file in Firefox (firefox_test.js)
//   console  no console error and no page error throughout
// --bench plays the whole show at 800x600 and a part of it at 1920x1440 and
// prints frame times, start-up times (served, from disk, from the offline
// cache), the sizes of the site and of the single file, and the frame times
// of the makers' run with and without an editor instead; --bench-view times
// view.html (view_test.js).
"use strict";
const fs = require("fs");
const path = require("path");
const {url, work, mode, minimumPsnr, launchChromium, counts, check, desktopStill, psnr, brightest,
       titleValue, openPage, waitForState, framesDrawn, waitForFrames} = require("./support");
const delivery = require("./delivery_test");
const edit = require("./edit_test");
const firefox = require("./firefox_test");
const view = require("./view_test");

const stillTimes = [5, 20, 45, 79];
async function stills(browser, problems) {
  for (const t of stillTimes) {
    const page = await openPage(browser, problems);
    await page.goto(`${url}?at=${t}`);
    await waitForState(page, ["still", "ended"], 60000);
    const file = path.join(work, `browser-${t}.png`);
    await page.locator("#canvas").screenshot({path: file});
    const db = psnr(file, desktopStill(t));
    check(`still at ${t} s matches the desktop`, db >= minimumPsnr, `PSNR ${db.toFixed(2)} dB`);
    await page.context().close();
  }
  // Two device pixels to the CSS pixel: the 960x720 canvas draws 1920x1440.
  const page = await openPage(browser, problems, {viewport: {width: 1280, height: 720}, scale: 2});
  await page.goto(`${url}?at=45`);
  await waitForState(page, ["still", "ended"], 60000);
  await page.waitForTimeout(500);
  const size = await page.evaluate(() => window.brontavik.canvasSize());
  const file = path.join(work, "browser-45-1920x1440.png");
  await page.locator("#canvas").screenshot({path: file});
  const db = psnr(file, desktopStill(45, "1920x1440"));
  check("a high-density screen gets the picture at its own pixels",
        size[0] === 1920 && size[1] === 1440 && db >= minimumPsnr,
        `drawing buffer ${size.join("x")}, PSNR ${db.toFixed(2)} dB`);
  await page.setViewportSize({width: 1000, height: 750});
  await page.waitForFunction(() => window.brontavik.canvasSize()[0] === 2000, null,
                             {timeout: 10000}).catch(() => {});
  const resized = await page.evaluate(() => window.brontavik.canvasSize());
  check("the drawing buffer follows the window", resized[0] === 2000 && resized[1] === 1500,
        resized.join("x"));
  await page.context().close();
}

// Emulates a hidden page (headless Chromium keeps every page visible).
const setHidden = (page, hidden) => page.evaluate((h) => {
  for (const [name, value] of [["hidden", h], ["visibilityState", h ? "hidden" : "visible"]])
    Object.defineProperty(document, name, {configurable: true, get: () => value});
  document.dispatchEvent(new Event("visibilitychange"));
}, hidden);

// The music's position and the page's clock, both in seconds.
const clocks = (page) =>
  page.evaluate(() => [window.brontavik.musicTime(), performance.now() / 1000]);

async function show(browser, problems) {
  const page = await openPage(browser, problems);
  await page.goto(url);
  await waitForState(page, ["ready"], 60000);
  const waiting = await page.evaluate(() => window.brontavik.audioTime());
  await page.waitForTimeout(300);
  check("the page waits for the start gesture, the music silent",
        await page.locator("#start-button").isVisible() &&
            (await page.evaluate(() => window.brontavik.audioTime())) === waiting);
  await page.click("#start-button");
  await waitForFrames(page, 10);
  const start = await page.evaluate(() => ({
    title: window.brontavik.firstTitle,
    wait: window.brontavik.firstFrame - window.brontavik.startGesture,
  }));
  const firstTime = titleValue(start.title, "Time:");
  check("the show starts on the gesture at demo time 0", firstTime >= 0 && firstTime < 0.05,
        `the title's Time:${firstTime} on the first frame, ` +
            `${start.wait.toFixed(1)} ms after the click`);
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

  // Hidden for 5 s: no frames, the music goes on, and in step again after.
  const before = await page.evaluate(() => window.brontavik.captureFrame());
  await setHidden(page, true);
  await page.waitForTimeout(300);
  const framesHidden = await framesDrawn(page);
  const [musicHidden, hiddenAt] = await clocks(page);
  await page.waitForTimeout(5000);
  const framesLater = await framesDrawn(page);
  const [musicLater, shownAt] = await clocks(page);
  await setHidden(page, false);
  await page.waitForTimeout(1000);
  const back = await page.evaluate(() => window.brontavik.captureFrame());
  const lag = back.demoTime - back.musicTime;
  // The demo clock steps over the pause on the timer, as after a minimised
  // window, and its pull towards the music adds 5 % of the pause on that
  // step (the program's correction), which fades by 5 % a frame; a sound
  // device slower than the timer leaves it that much further ahead.
  const drift = (shownAt - hiddenAt) - (musicLater - musicHidden);
  check("a hidden page draws no frames while the music plays on",
        framesLater === framesHidden && musicLater - musicHidden > 4,
        `${framesLater - framesHidden} frames, ` +
            `${(musicLater - musicHidden).toFixed(2)} s of music`);
  check("shown again, the show is in step with the music", Math.abs(lag) < 0.5 + Math.abs(drift),
        `demo clock ${lag >= 0 ? "ahead of" : "behind"} the music by ` +
            `${Math.abs(lag).toFixed(3)} s, ` +
        `the music ${drift.toFixed(3)} s behind the timer over the pause ` +
        `(${(before.demoTime - before.musicTime).toFixed(3)} s before it was hidden)`);

  // The GL context lost at about 10 s and given back a second later.
  await page.waitForFunction(() => /Time:(\S+)/.exec(document.title)[1] >= 10, null,
                             {timeout: 30000}).catch(() => {});
  await page.evaluate(() => {
    window.loseContext = document.querySelector("#canvas").getContext("webgl2")
                             .getExtension("WEBGL_lose_context");
    window.loseContext.loseContext();
  });
  await page.waitForTimeout(200);
  const framesLost = await framesDrawn(page);
  await page.waitForTimeout(800);
  const lostNotice = await page.locator("#notice").isVisible();
  const framesStill = await framesDrawn(page);
  await page.evaluate(() => window.loseContext.restoreContext());
  await waitForFrames(page, framesStill + 5, 15000).catch(() => {});
  const frame = await page.evaluate(() => window.brontavik.captureFrame());
  const restored = path.join(work, "browser-restored.png");
  fs.writeFileSync(restored, Buffer.from(frame.png.split(",")[1], "base64"));
  // The title's six digits of scene time, exact: the film grain is seeded by it.
  const sceneTime = frame.sceneTime.toPrecision(17);
  const db = psnr(restored, desktopStill(sceneTime));
  check("a lost GL context stops the frames and tells the viewer",
        framesStill === framesLost && lostNotice, `${framesStill - framesLost} frames while lost`);
  check("the show goes on after the context comes back",
        db >= minimumPsnr && Math.abs(titleValue(frame.title, "Aux:") - frame.sceneTime) < 1e-3,
        `scene time ${sceneTime} s (${frame.title.trim()}), ` +
            `PSNR ${db.toFixed(2)} dB against the desktop`);

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
  await waitForFrames(page, 10);
  check("play again starts the show afresh",
        await page.evaluate(() => window.brontavik.state === "playing" && window.brontavik.audioTime() > 0));

  // A context that does not come back ends the show with a word and a way on.
  await page.evaluate(() => document.querySelector("#canvas").getContext("webgl2")
                                .getExtension("WEBGL_lose_context").loseContext());
  await waitForState(page, ["ended"], 15000).catch(() => {});
  const gone = await page.locator("#ended").innerText().catch(() => "");
  await page.waitForSelector("#again-button:not([disabled])", {timeout: 30000}).catch(() => {});
  check("a context that stays lost ends the show and offers to play again",
        /WebGL context/.test(gone) && await page.locator("#again-button").isEnabled(),
        JSON.stringify(gone));
  await page.context().close();
}

async function failures(browser, problems) {
  const page = await openPage(browser, problems, {refusals: true});
  await page.route("**/brontavik.data", (route) => route.fulfill({status: 404, body: "Not found"}));
  await page.goto(url);
  await waitForState(page, ["failed"], 30000).catch(() => {});
  const text = await page.locator("#failed").innerText().catch(() => "");
  check("a data file that is not there is named", /brontavik\.data/.test(text) && /404/.test(text),
        JSON.stringify(text));
  await page.context().close();

  // Half of it, as a server that cut the download short says it whole.
  const cut = await openPage(browser, problems);
  await cut.route("**/brontavik.data", async (route) => {
    const whole = await (await route.fetch()).body();
    await route.fulfill({status: 200, body: whole.subarray(0, whole.length >> 1)});
  });
  await cut.goto(url);
  await waitForState(cut, ["failed"], 30000).catch(() => {});
  const short = await cut.locator("#failed").innerText().catch(() => "");
  check("a data file cut short is named", /brontavik\.data\) arrived incomplete/.test(short),
        JSON.stringify(short));
  await cut.context().close();

  // The first picture damaged inside a whole data file (its frame header
  // claims 9-bit samples): the decoder refuses it, the catch that reports
  // it works in WebAssembly too, and the show names the file in a "Jpg !" box.
  const damaged = await openPage(browser, problems, {boxes: ["Jpg !"]});
  let sofAt = -1;
  await damaged.route("**/brontavik.data", async (route) => {
    const whole = Buffer.from(await (await route.fetch()).body());
    const jfif = whole.indexOf(Buffer.from([0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46]));
    const sofs = [0xc0, 0xc1, 0xc2].map((m) => whole.indexOf(Buffer.from([0xff, m]), jfif));
    sofAt = Math.min(...sofs.filter((at) => at > jfif));
    if (jfif >= 0 && sofAt > jfif) whole[sofAt + 4] = 9;
    await route.fulfill({status: 200, body: whole});
  });
  await damaged.goto(url);
  await waitForState(damaged, ["ended", "failed"], 60000).catch(() => {});
  const boxText = await damaged.locator("#boxes").innerText().catch(() => "");
  check("a damaged picture is named in a \"Jpg !\" box", sofAt > 0 && /Jpg !/.test(boxText) &&
        /textures\/\w+\.jpg/.test(boxText), JSON.stringify(boxText));
  await damaged.context().close();

  const without = await launchChromium(["--disable-webgl2"]);
  const box = "Can't Create A GL Rendering Context.";
  const bare = await openPage(without, problems, {boxes: [box]});
  await bare.goto(url);
  await waitForState(bare, ["ended", "failed"], 60000).catch(() => {});
  const said = await bare.locator("#stage").innerText().catch(() => "");
  check("a browser without WebGL 2 is told why", said.includes("WebGL 2") && said.includes(box),
        JSON.stringify(said));
  await without.close();
}

function percentile(values, p) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * p))];
}

// Plays the show (to its end, or for `seconds`) and prints its timings.
async function benchPlay(browser, problems, label, options, seconds) {
  const page = await openPage(browser, problems, options);
  await page.goto(url);
  await waitForState(page, ["ready"], 60000);
  await page.click("#start-button");
  if (seconds) {
    await page.waitForTimeout(seconds * 1000);
  } else {
    await waitForState(page, ["ended"], 200000);
  }
  const r = await page.evaluate(() => ({
    downloaded: window.brontavik.downloadedAt,
    ready: window.brontavik.readyAt,
    gestureToFirstFrame: window.brontavik.firstFrame - window.brontavik.startGesture,
    firstTitle: window.brontavik.firstTitle,
    pass: window.brontavik.passMilliseconds,
    interval: window.brontavik.frameIntervals,
    size: window.brontavik.canvasSize(),
  }));
  const mean = (v) => v.reduce((a, b) => a + b, 0) / v.length;
  const stats = (v) => `mean ${mean(v).toFixed(3)} ms, ` +
                       `median ${percentile(v, 0.5).toFixed(3)} ms, ` +
                       `p95 ${percentile(v, 0.95).toFixed(3)} ms`;
  console.log(`${label}: drawing buffer ${r.size.join("x")}, frames ${r.pass.length}`);
  console.log(`${label}: program time per frame: ${stats(r.pass)}`);
  console.log(`${label}: frame interval: ${stats(r.interval)}`);
  console.log(`${label}: page load to files downloaded ${r.downloaded.toFixed(1)} ms, ` +
              `to ready ${r.ready.toFixed(1)} ms; ` +
              `start gesture to first frame ${r.gestureToFirstFrame.toFixed(1)} ms ` +
              `at demo time ${titleValue(r.firstTitle, "Time:")} s`);
  await page.context().close();
}

async function bench(browser, problems) {
  await benchPlay(browser, problems, "800x600", {}, 0);
  await benchPlay(browser, problems, "1920x1440",
                  {viewport: {width: 1280, height: 720}, scale: 2}, 20);
  await delivery.startupFigures(browser, problems);
  await edit.bench(browser, problems);
}

(async () => {
  const browser = await launchChromium();
  const problems = [];
  try {
    if (mode === "--bench") {
      await bench(browser, problems);
    } else if (mode === "--bench-view") {
      await view.bench(browser, problems);
    } else {
      await stills(browser, problems);
      await show(browser, problems);
      await failures(browser, problems);
      await edit.run(browser, problems);
      await delivery.run(browser, problems);
      await view.run(browser, problems);
      await firefox.run(problems);
      check("no console error or page error", problems.length === 0, problems.join(" | "));
    }
  } catch (e) {
    check("the browser run completes", false, String(e && e.stack || e));
  } finally {
    await browser.close();
  }
  if (!mode) console.log(`browser: ${counts.passed} passed, ${counts.failed} failed`);
  process.exit(counts.failed === 0 ? 0 : 1);
})();
