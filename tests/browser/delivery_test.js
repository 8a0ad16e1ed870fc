// The show as people keep, embed and watch it, in headless Chromium:
//   single file  build-web/brontavik.html opened from disk with every
//                network request blocked: stills at 5, 20 and 45 s against
//                the desktop, and it plays
//   offline      the served site, after one visit, plays with the network
//                cut; after an update the new build is served at once and
//                kept in place of the old one
//   from disk    the multi-file page opened from disk says what to do
//   embedding    in another site's frame, with and without
//                allow="autoplay; fullscreen"
//   phone        390x844 upright at three device pixels to the CSS pixel
// (SITE_DIR, SINGLE_FILE and SOURCE_DIR: the site, the single file and the
// sources, whose service-worker maker the update test runs.)
"use strict";
const {execFileSync} = require("child_process");
const fs = require("fs");
const path = require("path");
const {pathToFileURL} = require("url");
const {url, work, minimumPsnr, check, openPage, watchConsole, waitForState, waitForFrames,
       stillPsnr, serveFolder} = require("./support");

const site = process.env.SITE_DIR;
const singleFile = process.env.SINGLE_FILE;
const source = process.env.SOURCE_DIR;

// Started by `start` (a click on the start button), the show draws frames
// and the music's clock runs. `page` may be a frame.
async function plays(page, start = (p) => p.click("#start-button")) {
  await waitForState(page, ["ready"], 60000);
  await start(page);
  await waitForFrames(page, 10);
  const first = await page.evaluate(() => window.brontavik.audioTime());
  await page.waitForTimeout(1000);
  const [state, second] =
      await page.evaluate(() => [window.brontavik.state, window.brontavik.audioTime()]);
  return {ok: state === "playing" && second > first + 0.5,
          detail: `${state}, audio clock ${first.toFixed(2)} s then ${second.toFixed(2)} s`};
}

async function singleFileFromDisk(browser, problems) {
  const address = pathToFileURL(singleFile).href;
  const context = await browser.newContext({viewport: {width: 800, height: 600}});
  await context.setOffline(true);
  const blocked = [];
  await context.route((u) => u.protocol !== "file:" && u.protocol !== "data:", (route) => {
    blocked.push(route.request().url());
    return route.abort();
  });
  const requested = [];
  context.on("request", (r) => requested.push(r.url()));

  const results = [];
  for (const t of [5, 20, 45]) {
    const page = await context.newPage();
    watchConsole(page, problems);
    await page.goto(`${address}?at=${t}`);
    await waitForState(page, ["still", "ended", "failed"], 60000);
    results.push([t, await stillPsnr(page, t, `single-${t}`)]);
    await page.close();
  }
  check("the single file from disk matches the desktop at 5, 20 and 45 s",
        results.every(([, db]) => db >= minimumPsnr),
        results.map(([t, db]) => `${t} s: PSNR ${db.toFixed(2)} dB`).join(", "));

  const page = await context.newPage();
  watchConsole(page, problems);
  await page.goto(address);
  const played = await plays(page);
  check("the single file from disk plays", played.ok, played.detail);
  // The base64 text is decoded into the program's buffers and let go.
  const left = await page.evaluate(
      () => document.querySelectorAll('script[type="application/octet-stream"]').length);
  check("the single file keeps no copy of its inlined text", left === 0,
        `${left} data blocks left`);
  const elsewhere = requested.filter((r) => !r.startsWith(address) && !r.startsWith("data:"));
  check("the single file asks the network for nothing", blocked.length + elsewhere.length === 0,
        `${requested.length} requests, all of the file itself; ` +
            `elsewhere: ${JSON.stringify([...blocked, ...elsewhere])}`);

  // Copies cut short, as an interrupted download leaves them: inside the
  // data, and inside the program's glue before the page's scripts.
  const whole = fs.readFileSync(singleFile);
  const said = [];
  const cuts = [[0.6, /did not arrive whole: .*music and pictures \(brontavik\.data\)/],
                [0.02, /did not arrive whole/]];
  for (const [share, expected] of cuts) {
    const cut = path.join(work, `cut-${share}.html`);
    fs.writeFileSync(cut, whole.subarray(0, Math.floor(whole.length * share)));
    const page = await context.newPage();
    // The glue cut short is a syntax error of its own.
    watchConsole(page, problems,
                 {allowed: [/SyntaxError|Unexpected end of input|Invalid or unexpected token/]});
    await page.goto(pathToFileURL(cut).href);
    await page.waitForTimeout(1000);
    const text = await page.locator("#stage").innerText();
    said.push(`${share}: ${expected.test(text) ? "ok" : "not said"} (${JSON.stringify(text)})`);
    await page.close();
    fs.rmSync(cut);
  }
  check("a single file cut short says it did not arrive whole",
        said.every((s) => /: ok/.test(s)), said.join("; "));
  await context.close();
}

// The build the site's service worker holds: {version, files}.
const workerBuild = (folder) => JSON.parse(
    /const build = (\{[\s\S]*?\n\});/.exec(fs.readFileSync(path.join(folder, "service-worker.js"),
                                                         "utf8"))[1]);
// The caches the page's origin holds: [name, number of entries].
const keptCaches = (page) => page.evaluate(async () => {
  await navigator.serviceWorker.ready;
  const names = await caches.keys();
  return Promise.all(names.map(async (n) => [n, (await (await caches.open(n)).keys()).length]));
});
const hasMark = (page) =>
  page.evaluate(() => document.querySelector('meta[name="build-mark"]') !== null);

async function offlineSite(browser, problems) {
  // A copy of the site, since the test updates it.
  const folder = fs.mkdtempSync(path.join(work, "site-"));
  fs.cpSync(site, folder, {recursive: true});
  const server = await serveFolder(folder);
  const context = await browser.newContext({viewport: {width: 800, height: 600}});
  const page = await context.newPage();
  watchConsole(page, problems);
  try {
    const first = workerBuild(folder);
    await page.goto(server.url);
    await waitForState(page, ["ready"], 60000);
    const kept = await keptCaches(page);
    const firstVisit = server.requests();
    check("one visit keeps every file of the site",
          kept.length === 1 && kept[0][0].endsWith(first.version) &&
              kept[0][1] === Object.keys(first.files).length,
          `${JSON.stringify(kept)} for ${Object.keys(first.files).length} files; the visit ` +
              `asked the server ${firstVisit.length} times, ` +
              `${firstVisit.filter((r) => /" 304 /.test(r)).length} answered "not modified"`);

    await context.setOffline(true);
    const asked = server.requests().length;
    await page.reload();
    const played = await plays(page);
    check("after one visit the site reloads and plays with the network cut",
          played.ok && server.requests().length === asked,
          `${played.detail}; requests that reached the server: ` +
              JSON.stringify(server.requests().slice(asked)));

    // A new build on the server: a changed page, and its service worker
    // made again by the build's own maker.
    await context.setOffline(false);
    const index = path.join(folder, "index.html");
    fs.writeFileSync(index, fs.readFileSync(index, "utf8")
                                .replace("<head>", '<head>\n<meta name="build-mark" content="2">'));
    const tools = path.join(source, "platform/browser");
    execFileSync("python3", [path.join(tools, "site/make_service_worker.py"), "--site", folder,
                             "--template", path.join(tools, "page/service-worker.js"),
                             "--output", path.join(folder, "service-worker.js"),
                             ...Object.keys(first.files)]);
    const second = workerBuild(folder);
    await page.reload();
    await waitForState(page, ["ready"], 60000);
    check("an update is served at the first visit after it, not the kept build",
          await hasMark(page) && second.version !== first.version,
          `version ${first.version} then ${second.version}`);
    // The browser looks for a new service worker a moment after the page loads.
    for (let waited = 0; waited < 30000; waited += 250) {
      const kept = await keptCaches(page);
      if (kept.length === 1 && kept[0][0].endsWith(second.version)) break;
      await page.waitForTimeout(250);
    }
    await server.stop();
    await context.setOffline(true);
    await page.reload();
    await waitForState(page, ["ready", "failed"], 60000).catch(() => {});
    const state = await page.evaluate(() => window.brontavik.state);
    check("the update is kept for offline play in place of the old build",
          state === "ready" && await hasMark(page),
          `${state}, ${JSON.stringify(await keptCaches(page))}`);
  } finally {
    await context.close();
    await server.stop();
    fs.rmSync(folder, {recursive: true, force: true});
  }
}

async function multiFileFromDisk(browser, problems) {
  const page = await openPage(browser, problems, {
    refusals: true, allowed: [/blocked by CORS policy/, /Fetch API cannot load/]});
  await page.goto(pathToFileURL(path.join(site, "index.html")).href);
  await waitForState(page, ["failed"], 30000).catch(() => {});
  const said = await page.locator("#failed").innerText().catch(() => "");
  check("the site's page opened from disk says to open brontavik.html or serve the folder",
        /brontavik\.html/.test(said) && /python3 -m http\.server/.test(said) &&
            !/connection/.test(said), JSON.stringify(said));
  await page.context().close();
}

// The canvas in its window (or frame): exactly 4:3, centred, as large as
// fits or nearly (framing.js gives up to a twentieth for a size that falls
// on whole device pixels).
const framing = (page) => page.evaluate(() => {
  const r = document.querySelector("#canvas").getBoundingClientRect();
  const [w, h, pixel] = [innerWidth, innerHeight, 1 / devicePixelRatio];
  const largest = Math.min(w, h * 4 / 3);
  const ok = Math.abs(r.width * 3 - r.height * 4) < 0.1 && r.width <= largest + 0.01 &&
             r.width > 0.95 * largest - 4 * pixel && Math.abs(r.left - (w - r.width) / 2) < 2 &&
             Math.abs(r.top - (h - r.height) / 2) < 2;
  return {ok, text: `${r.width}x${r.height} at ${r.left},${r.top} in ${w}x${h}`};
});

// The show in a frame of another site. With allow="autoplay; fullscreen"
// it goes full screen with its start, as on its own page, and the F key
// leaves it; without, it fills the frame and the control switches that.
// Either way leaving is not the viewer's Escape: the show plays on.
async function embedded(browser, problems, allow) {
  // The other site: localhost, another site than 127.0.0.1 but on this
  // machine, so the browser lets its page frame the show.
  const folder = fs.mkdtempSync(path.join(work, "embedder-"));
  const attribute = allow ? ' allow="autoplay; fullscreen"' : "";
  fs.writeFileSync(path.join(folder, "index.html"),
                   "<!doctype html><title>A party's page</title>" +
                   '<link rel="icon" href="data:,">' +
                   `<body style="margin:0"><iframe src="${url}" width="640" height="400"` +
                   `${attribute} style="border:0"></iframe>`);
  const embedder = await serveFolder(folder);
  const page = await openPage(browser, problems);
  await page.goto(embedder.url.replace("127.0.0.1", "localhost"));
  const frame = await (await page.waitForSelector("iframe")).contentFrame();
  const how = allow ? "with allow" : "without allow";
  const played = await plays(frame);
  const started = await frame.evaluate(() => ({
    mode: window.brontavik.fullscreen(), boxes: document.querySelector("#boxes").innerText}));
  const wanted = allow ? "fullscreen" : "filled";
  check(`embedded ${how}, the start button starts the show and it goes ${wanted}`,
        played.ok && started.mode === wanted && started.boxes === "",
        `${played.detail}, ${started.mode}${started.boxes ? ", boxes: " + started.boxes : ""}`);

  if (allow) {
    await page.keyboard.press("f");
  } else {
    await frame.locator("#canvas").hover();  // the control shows while the pointer moves
    await frame.click("#fullscreen-button");
  }
  await frame.waitForFunction(() => window.brontavik.fullscreen() === "off", null,
                              {timeout: 5000}).catch(() => {});
  await page.waitForTimeout(500);
  const left = await frame.evaluate(() => [window.brontavik.fullscreen(), window.brontavik.state]);
  const framed = await framing(frame);
  check(`embedded ${how}, ${allow ? "the F key" : "the control"} leaves ${wanted} and the show ` +
            "plays on, framed in the frame",
        left[0] === "off" && left[1] === "playing" && framed.ok,
        `${left.join(", ")}, ${framed.text}`);
  await page.context().close();
  await embedder.stop();
  fs.rmSync(folder, {recursive: true, force: true});
}

async function phone(browser, problems) {
  const page = await openPage(browser, problems,
                              {viewport: {width: 390, height: 844}, scale: 3, mobile: true});
  await page.goto(`${url}?at=45`);
  await waitForState(page, ["still", "ended"], 60000);
  await page.waitForTimeout(500);
  const framed = await framing(page);
  const size = await page.evaluate(() => window.brontavik.canvasSize());
  const db = await stillPsnr(page, 45, "phone-45");
  // 390 CSS pixels are 1170 device pixels: 291 blocks of 4 by 3 (292 would
  // be 389.33 CSS pixels wide, which the layout cannot give exactly).
  check("a phone held upright shows the picture framed at 4:3 at its device pixels",
        framed.ok && size[0] === 1164 && size[1] === 873 && db >= minimumPsnr,
        `${framed.text}, drawing buffer ${size.join("x")}, PSNR ${db.toFixed(2)} dB`);

  await page.goto(url);
  await waitForState(page, ["ready"], 60000);
  const button = await page.evaluate(() => {
    const b = document.querySelector("#start-button");
    const r = b.getBoundingClientRect();
    return {tag: b.tagName, text: b.textContent, width: r.width, height: r.height};
  });
  const played = await plays(page, (p) => p.tap("#start-button"));
  check("on a phone the start is a button a finger can hit, and a tap starts the show",
        button.tag === "BUTTON" && button.width >= 48 && button.height >= 48 && played.ok,
        `${JSON.stringify(button)}, ${played.detail}`);
  await page.context().close();
}

// --bench: the time from opening the page to the show ready for its start
// gesture (performance.now() then, which counts from the navigation), as
// the median of `rounds` fresh browser profiles: the served site at the
// first visit and the next, the site from its offline cache, and the
// single file from disk; and the sizes of the site and of the single file.
async function startupFigures(browser, problems, rounds = 5) {
  const times = {"served, first visit": [], "served, next visit": [], "offline cache": [],
                 "single file from disk": []};
  const readyAt = async (page) => {
    await waitForState(page, ["ready"], 60000);
    return page.evaluate(() => window.brontavik.readyAt);
  };
  // What the page's JavaScript holds once ready, after a garbage collection:
  // the single file's inlined text must not stay behind.
  const heap = async (address) => {
    const page = await openPage(browser, problems);
    await page.goto(address);
    await waitForState(page, ["ready"], 60000);
    const session = await page.context().newCDPSession(page);
    await session.send("HeapProfiler.collectGarbage");
    const {usedSize} = await session.send("Runtime.getHeapUsage");
    await page.context().close();
    return usedSize;
  };
  const server = await serveFolder(site);
  const heaps = {};
  try {
    for (let round = 0; round < rounds; round++) {
      const page = await openPage(browser, problems);
      await page.goto(server.url);
      times["served, first visit"].push(await readyAt(page));
      await keptCaches(page);
      await page.reload();
      times["served, next visit"].push(await readyAt(page));
      await page.context().setOffline(true);
      await page.reload();
      times["offline cache"].push(await readyAt(page));
      await page.context().close();
      const disk = await openPage(browser, problems);
      await disk.goto(pathToFileURL(singleFile).href);
      times["single file from disk"].push(await readyAt(disk));
      await disk.context().close();
    }
    heaps.served = await heap(server.url);
    heaps.single = await heap(pathToFileURL(singleFile).href);
  } finally {
    await server.stop();
  }
  const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
  for (const [label, values] of Object.entries(times)) {
    console.log(`page open to ready, ${label}: median ${median(values).toFixed(0)} ms ` +
                `(${values.map((v) => v.toFixed(0)).join(", ")})`);
  }
  console.log(`JavaScript heap once ready, after a collection: served ${heaps.served} bytes, ` +
              `single file ${heaps.single} bytes`);
  const files = fs.readdirSync(site);
  const bytes = files.reduce((n, f) => n + fs.statSync(path.join(site, f)).size, 0);
  console.log(`site folder ${bytes} bytes in ${files.length} files; ` +
              `single file ${fs.statSync(singleFile).size} bytes`);
}

async function run(browser, problems) {
  await singleFileFromDisk(browser, problems);
  await offlineSite(browser, problems);
  await multiFileFromDisk(browser, problems);
  await embedded(browser, problems, true);
  await embedded(browser, problems, false);
  await phone(browser, problems);
}

module.exports = {run, startupFigures};
