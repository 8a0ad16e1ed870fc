// view.html, the 3DS scene player in the browser, against the desktop's
// brontavik-view --png of the same files, moments and views (PSNR of at
// least 35 dB):
//   stills   a scene both animated and textured, with a bump map
//            (make_view_scene, from a real photograph), at 0.5 s and 1.3 s,
//            chosen with the file control, its pictures found by their 8.3
//            name and in another case; the same after the graphics context
//            is lost and given back
//   keys     Right, F, W, Tab, Space as on the desktop (a paused frame after
//            Right equals the desktop's still of that frame), a drag and the
//            wheel turn and zoom the view, Escape closes the scene
//   refusals a file the loader refuses, dropped on the page: its one-line
//            reason, the desktop's; a real file whose picture is missing: the
//            desktop's warning line and the material's colours
//   address  ?file=URL of a real textured file, its picture fetched from
//            beside it under another case, at two device pixels to the CSS
//            pixel
//   offline  after one visit, the page and its program load with the
//            network cut, and play a file
// --bench: the time from choosing a file to its first frame and the frame
// times for the largest real 3DS file here and a generated one of a
// million faces, beside the desktop's brontavik-view --bench.
"use strict";
const {execFileSync, spawnSync} = require("child_process");
const fs = require("fs");
const path = require("path");
const {url, work, minimumPsnr, check, psnr, openPage} = require("./support");

const bin = process.env.BRONTAVIK_BIN;
const models = "/usr/share/assimp/models/3DS";
const scene = path.join(work, "view-scene");
const turning = ["turning.3ds", "brickwall.jpg", "ridges.png"].map((f) => path.join(scene, f));
// The page's bar above a 800x600 stage.
const viewport = {width: 800, height: 644};

// brontavik-view FILE --png from the file's folder, as a user runs it:
// {png, status, lines} (its messages without the program's name).
function desktopView(folder, file, args, name) {
  const png = path.join(work, `desktop-view-${name}.png`);
  const run = spawnSync(path.join(bin, "brontavik-view"), [file, "--png", png, ...args], {
    cwd: folder, encoding: "utf8",
    env: {...process.env, SDL_VIDEODRIVER: "offscreen", LIBGL_ALWAYS_SOFTWARE: "1"},
  });
  const lines = run.stderr.split("\n").filter(Boolean).map((l) => l.replace(/^brontavik-view: /, ""));
  return {png, status: run.status, lines};
}

const record = (page) => page.evaluate(() => {
  const r = window.brontavikView;
  return {state: r.state, title: r.title, warnings: r.warnings, refused: r.refused,
          outcomes: r.outcomes};
});

async function openView(browser, problems, query = "", options = {}) {
  const page = await openPage(browser, problems, {viewport, ...options});
  await page.goto(`${url}view.html${query}`);
  await page.waitForFunction(() => window.brontavikView &&
                                   ["waiting", "playing", "failed"].includes(window.brontavikView.state),
                             null, {timeout: 60000});
  return page;
}

// Gives the page files (`give`), then waits until they play or are refused.
async function settle(page, give) {
  const before = (await record(page)).outcomes;
  await give();
  await page.waitForFunction((n) => window.brontavikView.outcomes > n, before, {timeout: 60000});
  return record(page);
}
const choose = (page, files) => settle(page, () => page.setInputFiles("#files", files));

// The next frame the page draws, as a PNG file, with its title line.
async function capture(page, name) {
  const frame = await page.evaluate(() => window.brontavikView.captureFrame());
  const file = path.join(work, `browser-view-${name}.png`);
  fs.writeFileSync(file, Buffer.from(frame.png.split(",")[1], "base64"));
  return {file, title: frame.title};
}

const frameOf = (title) => Number((/ - frame (\d+)\//.exec(title) || [])[1]) - 1;

// The page's frame against the desktop's still; true when they agree.
async function sameAsDesktop(page, name, folder, file, args) {
  const shown = await capture(page, name);
  const desktop = desktopView(folder, file, args, name);
  const db = psnr(shown.file, desktop.png);
  check(`view.html: ${name} matches brontavik-view ${[file, ...args].join(" ")}`,
        db >= minimumPsnr, `PSNR ${db.toFixed(2)} dB; ${shown.title}`);
  return shown;
}

async function stillsAndKeys(browser, problems) {
  const page = await openView(browser, problems, "?at=0.5");
  const opened = await choose(page, turning);
  check("view.html: a scene and its pictures chosen together play, every picture found",
        opened.state === "playing" && opened.warnings.length === 0 &&
            /^turning\.3ds - frame 16\/61 - camera Camera01 - [\d.]+ fps - paused$/.test(opened.title),
        JSON.stringify(opened));
  const first = await sameAsDesktop(page, "turning-0.5s", scene, "turning.3ds", ["--at", "0.5"]);

  await page.keyboard.press("ArrowRight");
  const right = await capture(page, "right");
  const frame = frameOf(right.title);
  check("view.html: Right steps one frame on", frame === frameOf(first.title) + 1, right.title);
  const frameArgs = ["--frame", String(frame)];
  await sameAsDesktop(page, "after-right", scene, "turning.3ds", frameArgs);
  await page.keyboard.press("f");
  await sameAsDesktop(page, "front-view", scene, "turning.3ds", [...frameArgs, "--view", "front"]);
  await page.keyboard.press("w");
  await sameAsDesktop(page, "front-wire", scene, "turning.3ds",
                      [...frameArgs, "--view", "front", "--wire"]);
  await page.keyboard.press("w");
  await page.keyboard.press("Tab");
  const back = await sameAsDesktop(page, "tab-to-camera", scene, "turning.3ds", frameArgs);
  check("view.html: Tab goes back to the file's camera and keeps the focus on the scene",
        /camera Camera01/.test(back.title) &&
            await page.evaluate(() => document.activeElement.id === "canvas"), back.title);

  // A drag turns the view and the wheel zooms: the picture changes, lit.
  await page.mouse.move(400, 344);
  await page.mouse.down();
  await page.mouse.move(480, 364, {steps: 4});
  await page.mouse.up();
  const turned = await capture(page, "turned");
  await page.mouse.wheel(0, -300);
  const zoomed = await capture(page, "zoomed");
  const mean = (file) => parseFloat(execFileSync(
      "convert", [file, "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"], {encoding: "utf8"}));
  check("view.html: a drag turns the view and the wheel zooms",
        psnr(turned.file, back.file) < 30 && psnr(zoomed.file, turned.file) < 30 &&
            mean(zoomed.file) > 0.02,
        `${psnr(turned.file, back.file).toFixed(1)} dB and ` +
            `${psnr(zoomed.file, turned.file).toFixed(1)} dB from the picture before`);

  await page.keyboard.press(" ");
  const a = await capture(page, "playing-a");
  await page.waitForTimeout(200);
  const b = await capture(page, "playing-b");
  check("view.html: Space plays on", !/paused/.test(b.title) && frameOf(b.title) !== frameOf(a.title),
        `${a.title} | ${b.title}`);
  await page.keyboard.press("Escape");
  const closed = await record(page);
  check("view.html: Escape closes the scene and asks for another file",
        closed.state === "waiting" && closed.refused === null && closed.title === "" &&
            await page.locator("#waiting .prompt").isVisible(), JSON.stringify(closed));

  // A real file whose picture is not there.
  const missing = await choose(page, [path.join(models, "cubes_with_alpha.3DS")]);
  const warned = desktopView(models, "cubes_with_alpha.3DS", ["--at", "0.5"], "missing-picture");
  check("view.html: a missing picture gets the desktop's warning line on the page",
        missing.state === "playing" && warned.lines.length > 0 &&
            JSON.stringify(missing.warnings) === JSON.stringify(warned.lines) &&
            await page.locator("#warnings").isVisible(),
        `${JSON.stringify(missing.warnings)} against ${JSON.stringify(warned.lines)}`);
  await sameAsDesktop(page, "missing-picture", models, "cubes_with_alpha.3DS", ["--at", "0.5"]);

  // Pictures without a scene: said so, the last scene's warnings gone with it.
  const pictures = await choose(page, ["IMAGE1.jpg", "test.png"].map((f) => path.join(models, f)));
  check("view.html: files without a 3DS file among them are named",
        pictures.refused === "None of these files is a 3DS file (.3ds): IMAGE1.jpg, test.png." &&
            !await page.locator("#warnings").isVisible(), JSON.stringify(pictures));

  // A file the loader refuses, dropped on the page: its reason.
  const refusing = fs.mkdtempSync(path.join(work, "refused-"));
  fs.writeFileSync(path.join(refusing, "not.3ds"), "hello");
  const desktop = desktopView(refusing, "not.3ds", [], "refused");
  const refused = await settle(page, () => page.evaluate(() => {
    const data = new DataTransfer();
    data.items.add(new File(["hello"], "not.3ds"));
    document.body.dispatchEvent(new DragEvent("drop", {dataTransfer: data, bubbles: true}));
  }));
  const shown = await page.locator("#refused").textContent();
  check("view.html: a file the loader refuses gets its one-line reason, the desktop's",
        refused.state === "waiting" && desktop.status === 1 &&
            desktop.lines.length === 1 && shown === desktop.lines[0] &&
            await page.locator("#refused").isVisible(),
        `"${shown}" against "${desktop.lines.join(" | ")}"`);
  const again = await choose(page, turning);
  check("view.html: another file plays after a refusal",
        again.state === "playing" && !await page.locator("#refused").isVisible(),
        JSON.stringify(again));
  await page.context().close();
}

async function secondMoment(browser, problems) {
  const page = await openView(browser, problems, "?at=1.3");
  await choose(page, turning);
  const still = await sameAsDesktop(page, "turning-1.3s", scene, "turning.3ds", ["--at", "1.3"]);
  check("view.html: the scene moves between 0.5 s and 1.3 s",
        psnr(still.file, path.join(work, "browser-view-turning-0.5s.png")) < 30);
  // The graphics context lost and given back: the same picture again.
  await page.evaluate(() => {
    const lose = document.querySelector("#canvas").getContext("webgl2")
                     .getExtension("WEBGL_lose_context");
    lose.loseContext();
    setTimeout(() => lose.restoreContext(), 200);
  });
  await page.waitForFunction(
      () => !document.querySelector("#canvas").getContext("webgl2").isContextLost(), null,
      {timeout: 10000});
  await sameAsDesktop(page, "context-restored", scene, "turning.3ds", ["--at", "1.3"]);
  await page.context().close();
}

// ?file= of a real textured file named in capitals (TEST.PNG beside it as
// test.png), served from the test, at two device pixels to the CSS pixel.
async function fromAddress(browser, problems) {
  const page = await openPage(browser, problems, {viewport, scale: 2, refusals: true});
  await page.route("**/scenes/*", (route) => {
    const file = path.join(models, decodeURIComponent(new URL(route.request().url()).pathname)
                                       .split("/").pop());
    return fs.existsSync(file) ? route.fulfill({path: file}) : route.fulfill({status: 404});
  });
  await page.goto(`${url}view.html?at=0&file=scenes/cube_with_diffuse_texture.3DS`);
  await page.waitForFunction(() => window.brontavikView.outcomes > 0, null, {timeout: 60000});
  const shown = await record(page);
  const size = await page.evaluate(() => window.brontavikView.canvasSize());
  check("view.html: ?file= plays a served file with the picture beside it, at device pixels",
        shown.state === "playing" && shown.warnings.length === 0 && size.join("x") === "1600x1200",
        `${JSON.stringify(shown)}, drawing buffer ${size.join("x")}`);
  await sameAsDesktop(page, "address-2x", models, "cube_with_diffuse_texture.3DS",
                      ["--at", "0", "--size", "1600x1200"]);
  await page.context().close();
}

async function offline(browser, problems) {
  const page = await openView(browser, problems);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.context().setOffline(true);
  await page.reload();
  await page.waitForFunction(
      () => window.brontavikView && ["waiting", "failed"].includes(window.brontavikView.state), null,
      {timeout: 60000});
  const played = await choose(page, turning);
  check("view.html: after one visit the page and its program load and play offline",
        played.state === "playing", JSON.stringify(played));
  await page.context().close();
}

function makeScene() {
  execFileSync(path.join(bin, "make_view_scene"), [scene, path.join(models, "CWALL02.jpg")]);
}

async function run(browser, problems) {
  makeScene();
  await stillsAndKeys(browser, problems);
  await secondMoment(browser, problems);
  await fromAddress(browser, problems);
  await offline(browser, problems);
}

function percentile(values, p) {
  const sorted = [...values].sort((x, y) => x - y);
  return sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * p))];
}

// The time from choosing the file to its first frame, and the frames'
// times over `seconds` of play, in the browser; then the desktop's bench.
async function benchFile(browser, problems, file, seconds) {
  const page = await openView(browser, problems);
  const opened = await choose(page, [file]);
  await page.waitForTimeout(seconds * 1000);
  const r = await page.evaluate(() => {
    const v = window.brontavikView;
    return {first: v.firstFrameAt - v.openedAt, steps: v.steps, pass: v.passMilliseconds,
            interval: v.frameIntervals, memory: v.memoryBytes()};
  });
  const name = path.basename(file);
  const stats = (v) => `median ${percentile(v, 0.5).toFixed(1)} ms, ` +
                       `p95 ${percentile(v, 0.95).toFixed(1)} ms`;
  if (opened.state !== "playing") {
    console.log(`${name}: not played in the browser: ${opened.refused}`);
  } else {
    console.log(`${name}: browser: chosen to first frame ${r.first.toFixed(0)} ms ` +
                `(loading ${r.steps.load.toFixed(0)} ms, textures and first frame ` +
                `${r.steps.play.toFixed(0)} ms); ` +
                `${r.pass.length} frames: program time ${stats(r.pass)}, ` +
                `frame interval ${stats(r.interval)}; memory ${(r.memory / 2 ** 20).toFixed(0)} MB`);
  }
  const desktop = spawnSync(path.join(bin, "brontavik-view"), [file, "--bench", "60"], {
    encoding: "utf8", env: {...process.env, SDL_VIDEODRIVER: "offscreen"}});
  for (const line of desktop.stdout.split("\n").filter(Boolean)) console.log(`${name}: desktop: ${line}`);
  await page.context().close();
}

async function bench(browser, problems) {
  const big = path.join(work, "big.3ds");
  execFileSync(path.join(bin, "make_big_3ds"), [big]);
  const program = ["brontavik-view.js", "brontavik-view.wasm"].map(
      (f) => fs.statSync(path.join(process.env.SITE_DIR, f)).size);
  console.log(`view.html's program: ${program.join(" + ")} bytes`);
  await benchFile(browser, problems, "/usr/share/s3d/objs/wtf.3ds", 5);
  await benchFile(browser, problems, big, 10);
}

module.exports = {run, bench};
