// The makers' run in the browser: ?sync= against a scripted sync editor on
// a WebSocket (sync_editor.js), ?tracks= against brontavik-capture --tracks
// on the same folder, the maker's keys, bad input from the editor and from
// a track file, and both in the single file opened from disk.
//   editor   no editor (the show plays on), the handshake and the track list,
//            a key on show:time = 20 against the desktop's --at 20, pause
//            holds the clock and silences the music, SET_ROW seeks the
//            picture and the music, the rows reported while playing, the
//            editor vanishing and returning, bad messages (too long, text,
//            unknown command, cut, wrong greeting) dropped while the show goes on
//   tracks   a played frame and a paused one against capture --tracks, the
//            maker's keys (Space, Right, Page Down, Home, Escape), a damaged
//            track file named on the page
//   single   brontavik.html from disk: ?sync= connects, ?tracks= says why not
//   address  how the page reads ?sync= and ?tracks=
"use strict";
const {execFileSync} = require("child_process");
const fs = require("fs");
const path = require("path");
const {pathToFileURL} = require("url");
const {url, work, minimumPsnr, check, desktopStill, psnr, openPage, waitForState, framesDrawn,
       waitForFrames} = require("./support");
const {SyncEditor, freePort, until} = require("./sync_editor");

const SHOW_TIME = 0;  // the track numbers the program asks for first
const TRACK_COUNT = 33;
// The browser's own line for each connection attempt no editor answers.
const refusedLine = /WebSocket connection to .* failed/;

// The program's lines on standard error (console warnings) as they come.
function programLines(page) {
  const lines = [];
  page.on("console", (m) => {
    if (m.text().startsWith("brontavik-edit: ")) lines.push(m.text().slice(16));
  });
  return lines;
}

const capture = (page) => page.evaluate(() => window.brontavik.captureFrame());

// The next frame drawn that passes `test`.
async function frameWhere(page, test, timeout = 15000) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const frame = await capture(page);
    if (test(frame) || Date.now() > deadline) return frame;
  }
}

function savePng(frame, name) {
  const file = path.join(work, `edit-${name}.png`);
  fs.writeFileSync(file, Buffer.from(frame.png.split(",")[1], "base64"));
  return file;
}

// The desktop capture tool's frame at demo time `at` shaped by the track
// files in `folder`.
function trackedStill(at, folder, name) {
  const file = path.join(work, `desktop-tracks-${name}.png`);
  execFileSync("./brontavik-capture", ["--tracks", folder, "--at", String(at), "--png", file], {
    cwd: process.env.BRONTAVIK_BIN,
    env: {...process.env, SDL_VIDEODRIVER: "offscreen", LIBGL_ALWAYS_SOFTWARE: "1"},
  });
  return file;
}

// A track file's bytes: little-endian int32 count, then per key int32 row,
// float32 value, uint8 interpolation.
function trackFile(keys) {
  const bytes = Buffer.alloc(4 + 9 * keys.length);
  bytes.writeInt32LE(keys.length, 0);
  keys.forEach(([row, value, interpolation], i) => {
    bytes.writeInt32LE(row, 4 + 9 * i);
    bytes.writeFloatLE(value, 8 + 9 * i);
    bytes.writeUInt8(interpolation, 12 + 9 * i);
  });
  return bytes;
}

// The music's loudness now (RMS of the analyser's last 1024 samples).
const loudness = (page) => page.evaluate(() => {
  const samples = new Float32Array(1024);
  window.brontavik.analyser().getFloatTimeDomainData(samples);
  return Math.sqrt(samples.reduce((sum, x) => sum + x * x, 0) / samples.length);
});

async function editor(browser, problems) {
  const port = await freePort();
  const where = `127.0.0.1:${port}`;
  const page = await openPage(browser, problems, {allowed: [refusedLine]});
  const lines = programLines(page);
  await page.goto(`${url}?sync=ws://${where}`);
  await waitForState(page, ["ready"], 60000);
  await page.click("#start-button");
  await waitForFrames(page, 5);

  // No editor yet: the show plays, trying again about once a second.
  const alone = await capture(page);
  const framesAlone = await framesDrawn(page);
  const started = Date.now();
  await page.waitForTimeout(3000);
  const later = await capture(page);
  const frames = await framesDrawn(page) - framesAlone;
  const seconds = (Date.now() - started) / 1000;
  const refusals = lines.filter((l) => l.startsWith(`no sync editor at ${where}`));
  check("with no editor the show plays on and says so once",
        later.demoTime - alone.demoTime > 2 && frames > 2 * seconds && refusals.length === 1,
        `${frames} frames in ${seconds.toFixed(1)} s, demo time ${alone.demoTime.toFixed(2)} ` +
            `then ${later.demoTime.toFixed(2)} s; ${JSON.stringify(refusals)}`);

  const sync = new SyncEditor(port);
  try {
    await sync.listen();
    let editorSide = await sync.accept(15000);
    const names = await editorSide.waitForTracks(TRACK_COUNT);
    const commands = editorSide.commands();
    check("the greeting as a text message, then each track asked for in one binary message",
          names.length === TRACK_COUNT && names[0] === "show:time" &&
              names[1] === "show:brightness" && new Set(names).size === TRACK_COUNT &&
              commands.every((c) => c.command !== "bad" && c.command !== "text"),
          `${names.length} tracks: ${names.slice(0, 4).join(", ")}, ...`);

    // As GNU Rocket's editor does on a connection: pause, and its row.
    editorSide.pause(true);
    editorSide.setRow(0);
    editorSide.setKey(SHOW_TIME, 0, 20, 0);
    const keyed = await frameWhere(page, (f) => f.sceneTime === 20 && f.demoTime === 0);
    const db20 = psnr(savePng(keyed, "key-20"), desktopStill(20));
    check("a key on show:time = 20 draws what --at 20 draws",
          keyed.sceneTime === 20 && db20 >= minimumPsnr,
          `demo time ${keyed.demoTime}, scene time ${keyed.sceneTime}, PSNR ${db20.toFixed(2)} dB`);

    const held = await capture(page);
    const framesHeld = await framesDrawn(page);
    const levels = [await loudness(page)];
    await page.waitForTimeout(1000);
    const stillHeld = await capture(page);
    levels.push(await loudness(page));
    check("paused, the clock stands, the picture is drawn and the music is silent",
          held.demoTime === 0 && stillHeld.demoTime === 0 &&
              await framesDrawn(page) > framesHeld + 2 && Math.max(...levels) < 1e-4,
          `demo time ${held.demoTime} then ${stillHeld.demoTime}, ` +
              `RMS ${levels.map((l) => l.toExponential(1)).join(" then ")}`);

    // SET_ROW 640 while paused: the picture at 40 s at once.
    editorSide.deleteKey(SHOW_TIME, 0);
    editorSide.setRow(640);
    const at40 = await frameWhere(page, (f) => f.demoTime === 40 && f.sceneTime === 40);
    const db40 = psnr(savePng(at40, "row-640"), desktopStill(40));
    check("SET_ROW seeks the picture exactly", at40.demoTime === 40 && db40 >= minimumPsnr,
          `demo time ${at40.demoTime}, PSNR ${db40.toFixed(2)} dB against --at 40`);

    // Playing on: the music from 40 s, and the rows reported as they change.
    // The music as heard runs behind by the audio output's latency; placed
    // anywhere else, it would be seconds away.
    const rowsBefore = editorSide.rows().length;
    editorSide.pause(false);
    const playing = await frameWhere(page, (f) => f.demoTime > 40.5);
    const reported = (await editorSide.waitForRows(rowsBefore + 3)).slice(rowsBefore);
    check("played from the row, the music with it, and the rows told to the editor",
          Math.abs(playing.musicTime - playing.demoTime) < 0.25 && reported[0] >= 640 &&
              reported.every((row, i) => i === 0 || row > reported[i - 1]),
          `demo time ${playing.demoTime.toFixed(3)} s, music ${playing.musicTime.toFixed(3)} s; ` +
              `rows ${reported.slice(0, 5).join(", ")}`);

    // The editor's save: a page has no folder to write to, and says so.
    editorSide.save();
    await until(() => lines.some((l) => /asked to save the tracks/.test(l)), 10000, "answer")
        .catch(() => {});
    check("the editor's save is answered with a line: a page cannot write the files",
          lines.some((l) => /no folder to write them in; the keys stay in the editor/.test(l)) &&
              !editorSide.closed);

    // SET_ROW while playing: both jump to row 320 (20 s).
    editorSide.setRow(320);
    const jumped = await frameWhere(page, (f) => f.demoTime >= 20 && f.demoTime < 21);
    const jumpedLater = await frameWhere(page, (f) => f.demoTime > jumped.demoTime + 0.3);
    check("SET_ROW while playing moves the music too",
          Math.abs(jumpedLater.musicTime - jumpedLater.demoTime) < 0.25,
          `demo time ${jumpedLater.demoTime.toFixed(3)} s, ` +
              `music ${jumpedLater.musicTime.toFixed(3)} s`);

    // The editor goes away: the show goes on, and asks again when it is back.
    const before = await capture(page);
    editorSide.drop();
    editorSide = await sync.accept(15000);
    const again = await editorSide.waitForTracks(TRACK_COUNT);
    const after = await capture(page);
    check("the editor vanishing and returning: the show goes on and asks for its tracks again",
          after.demoTime > before.demoTime + 0.5 && again.length === TRACK_COUNT &&
              lines.some((l) => l.startsWith(`sync editor at ${where}: the connection to the ` +
                                             "editor was lost; connection dropped")),
          `demo time ${before.demoTime.toFixed(2)} then ${after.demoTime.toFixed(2)} s; ` +
              JSON.stringify(lines.slice(-2)));

    // Bad messages, each on a connection of its own: dropped with one line,
    // the show going on, and the next connection a second later.
    const bad = [
      ["too long", (e) => e.send(Buffer.alloc(5000, 4)), /a message of 5000 bytes/],
      ["unknown command", (e) => e.send([9]), /unknown command 9/],
      ["a text message", (e) => e.socket.send("hello"), /text message/],
      ["cut", (e) => e.send([3, 0, 0]), /message from the editor was cut/],
    ];
    const results = [];
    for (const [what, send, expected] of bad) {
      const framesBefore = await framesDrawn(page);
      send(editorSide);
      await editorSide.waitForClose().catch(() => {});
      editorSide = await sync.accept(15000);
      await editorSide.waitForTracks(TRACK_COUNT);
      const told = lines.filter((l) => expected.test(l)).length;
      results.push(`${what}: told ${told}, reconnected, ` +
                   `${await framesDrawn(page) - framesBefore} frames`);
      if (told !== 1 || await framesDrawn(page) <= framesBefore + 5) results.push("FAILED");
    }
    // A wrong answer to the greeting, on the connection after this one.
    editorSide.drop();
    const wrong = await sync.next();
    await wrong.greeting();
    wrong.answer("hello, world");
    await wrong.waitForClose().catch(() => {});
    editorSide = await sync.accept(15000);
    await editorSide.waitForTracks(TRACK_COUNT);
    const told = lines.filter((l) => /greeting is wrong/.test(l)).length;
    results.push(`wrong greeting: told ${told}`);
    if (told !== 1 || !wrong.closed) results.push("FAILED");
    check("bad messages drop the connection with one line while the show goes on",
          !results.includes("FAILED") && (await page.evaluate(() => window.brontavik.state)) ===
                                             "playing",
          results.join("; "));

    // Escape ends the run as it ends the show, and lets the editor go.
    await page.keyboard.press("Escape");
    await waitForState(page, ["ended"], 15000).catch(() => {});
    await editorSide.waitForClose().catch(() => {});
    check("Escape ends the run and its connection to the editor",
          (await page.evaluate(() => window.brontavik.state)) === "ended" && editorSide.closed);
  } catch (e) {
    check("the scripted editor's session completes", false,
          `${e && e.stack || e}; the program said ${JSON.stringify(lines.slice(-8))}`);
  } finally {
    await sync.close();
    await page.context().close();
  }
}

async function tracks(browser, problems) {
  // A folder of exported tracks, fetched from beside the page.
  const folder = path.join(work, "exported");
  fs.rmSync(folder, {recursive: true, force: true});
  fs.mkdirSync(folder);
  const files = {
    "sync_show-3Atime.track": trackFile([[0, 12, 1], [160, 30, 0]]),
    "sync_show-3Abrightness.track": trackFile([[0, 0.8, 0]]),
    "sync_camera-3Afov.track": trackFile([[0, 60, 2], [48, 90, 0]]),
    "sync_floor-3Ablue.track": trackFile([[0, 0.9, 0]]),
  };
  for (const [name, bytes] of Object.entries(files)) fs.writeFileSync(path.join(folder, name), bytes);
  const serve = (page, damaged = {}) => page.route(/\/exported\/[^/]*$/, (route) => {
    const name = decodeURIComponent(new URL(route.request().url()).pathname.split("/").pop());
    const bytes = damaged[name] || files[name];
    return bytes ? route.fulfill({status: 200, body: bytes})
                 : route.fulfill({status: 404, body: "Not found"});
  });

  const page = await openPage(browser, problems, {refusals: true});
  await serve(page);
  await page.goto(`${url}?tracks=exported/`);
  await waitForState(page, ["ready"], 60000);
  await page.click("#start-button");
  await waitForFrames(page, 5);
  // Playing: the scene time follows show:time's keys (12 s, linear to 30 s at row 160).
  const played = await frameWhere(page, (f) => f.demoTime > 0.5);
  const expected = 12 + 18 * Math.min(played.demoTime * 16, 160) / 160;
  check("?tracks= plays the show shaped by the exported tracks",
        Math.abs(played.sceneTime - expected) < 1e-3,
        `demo time ${played.demoTime.toFixed(3)} s draws scene time ` +
            `${played.sceneTime.toFixed(3)} s (the keys give ${expected.toFixed(3)})`);

  // The maker's keys: Space pauses, Right and Page Down seek, Home to the start.
  await page.keyboard.press("Space");
  const paused = await frameWhere(page, () => true);
  await page.waitForTimeout(500);
  const stillPaused = await capture(page);
  await page.keyboard.press("ArrowRight");
  const right = await frameWhere(page, (f) => f.demoTime !== stillPaused.demoTime);
  await page.keyboard.press("PageDown");
  const down = await frameWhere(page, (f) => f.demoTime !== right.demoTime);
  await page.keyboard.press("Home");
  const home = await frameWhere(page, (f) => f.demoTime === 0);
  const dbHome = psnr(savePng(home, "tracks-home"), trackedStill(0, folder, "home"));
  check("the maker's keys: Space pauses, Right 1 s, Page Down 10 s, Home the start",
        paused.demoTime === stillPaused.demoTime && right.demoTime === paused.demoTime + 1 &&
            down.demoTime === right.demoTime + 10 && home.demoTime === 0,
        `paused at ${paused.demoTime.toFixed(3)} s, then ${right.demoTime.toFixed(3)}, ` +
            `${down.demoTime.toFixed(3)} and ${home.demoTime} s`);
  check("?tracks= draws what brontavik-capture --tracks draws from the same folder",
        home.sceneTime === 12 && dbHome >= minimumPsnr,
        `at demo time 0, scene time ${home.sceneTime}: PSNR ${dbHome.toFixed(2)} dB`);

  await page.keyboard.press("Escape");
  await waitForState(page, ["ended"], 15000).catch(() => {});
  check("Escape ends the makers' run as it ends the show",
        (await page.evaluate(() => window.brontavik.state)) === "ended");
  await page.context().close();

  // A track file cut short: named with its reason, and the show not played.
  const damagedPage = await openPage(browser, problems, {refusals: true});
  await serve(damagedPage, {"sync_floor-3Ablue.track": Buffer.from([2, 0, 0, 0, 1, 0])});
  await damagedPage.goto(`${url}?tracks=exported/`);
  await waitForState(damagedPage, ["ended", "failed"], 60000).catch(() => {});
  const said = await damagedPage.locator("#stage").innerText().catch(() => "");
  check("a damaged track file is named with its reason and not played",
        /exported\/sync_floor-3Ablue\.track: cut short/.test(said) &&
            (await damagedPage.evaluate(() => window.brontavik.state)) === "ended" &&
            !(await damagedPage.locator("#start-button").isVisible()),
        JSON.stringify(said));
  await damagedPage.context().close();
}

async function singleFile(browser, problems) {
  const address = pathToFileURL(process.env.SINGLE_FILE).href;
  const port = await freePort();
  const sync = new SyncEditor(port);
  await sync.listen();
  const page = await openPage(browser, problems);
  try {
    await page.goto(`${address}?sync=127.0.0.1:${port}`);
    await waitForState(page, ["ready"], 60000);
    await page.click("#start-button");
    const editorSide = await sync.accept(15000);
    const names = await editorSide.waitForTracks(TRACK_COUNT);
    check("the single file from disk connects to the editor's WebSocket",
          names.length === TRACK_COUNT, `${names.length} tracks asked for`);
  } catch (e) {
    check("the single file from disk connects to the editor's WebSocket", false, String(e));
  } finally {
    await sync.close();
  }
  await page.goto(`${address}?tracks=exported/`);
  await waitForState(page, ["failed"], 60000).catch(() => {});
  const said = await page.locator("#failed").innerText().catch(() => "");
  check("the single file from disk says why it cannot fetch a track folder",
        /opened from disk/.test(said) && /sync_show-3Atime\.track/.test(said) &&
            /http\.server/.test(said), JSON.stringify(said));
  await page.context().close();
}

// The tracks keyed with the show's own values (README's table), so the
// picture stays the show's while every keyed track is read each frame.
const OWN_VALUES = {
  "show:brightness": 1, "camera:fov": 75, "light:dir.x": -1, "light:dir.y": 0.3,
  "light:dir.z": 0, "light:ambient": 1, "spheres:cage": 0.2, "spheres:spacing": 2.4,
  "sky:size": 13, "stars:radius": 60, "stars:size": 0.3, "clouds:height": 12,
  "clouds:opacity": 1, "points:size": 4, "spires:size": 0.05, "floor:height": -0.41,
  "floor:blue": 0.4, "floor:opacity": 0.8, "sprites:size": 0.05, "film:strength": 0.8,
  "timeline:part1.start": 80, "timeline:part2.start": 85.14, "envelope:damping": 6.4,
  "envelope:swing.fast": 2, "envelope:swing.mid": 1.55, "envelope:swing.slow": 0.9,
};

// Frame times of the page at `address` over `seconds` of play from the
// start (after `prepare`, given the page once it plays).
async function benchPage(browser, problems, label, address, seconds, prepare = async () => {}) {
  const page = await openPage(browser, problems, {allowed: [refusedLine]});
  await page.goto(address);
  await waitForState(page, ["ready"], 60000);
  await page.click("#start-button");
  await waitForFrames(page, 5);
  await prepare(page);
  await page.evaluate(() => {
    window.brontavik.passMilliseconds.length = 0;
    window.brontavik.frameIntervals.length = 0;
  });
  await page.waitForTimeout(seconds * 1000);
  const r = await page.evaluate(() => ({pass: window.brontavik.passMilliseconds,
                                        interval: window.brontavik.frameIntervals}));
  const sorted = (v) => [...v].sort((a, b) => a - b);
  const at = (v, p) => sorted(v)[Math.min(v.length - 1, Math.floor(v.length * p))];
  console.log(`${label}: ${r.pass.length} frames in ${seconds} s; program time per frame ` +
              `median ${at(r.pass, 0.5).toFixed(2)} ms, p95 ${at(r.pass, 0.95).toFixed(2)} ms; ` +
              `frame interval median ${at(r.interval, 0.5).toFixed(2)} ms, ` +
              `p95 ${at(r.interval, 0.95).toFixed(2)} ms`);
  await page.context().close();
}

// --bench: the show's own page, the makers' run with no editor, and with an
// editor whose tracks are keyed on every row of the show.
async function bench(browser, problems) {
  const seconds = 15;
  await benchPage(browser, problems, "show", url, seconds);
  const port = await freePort();
  await benchPage(browser, problems, "makers' run, no editor", `${url}?sync=127.0.0.1:${port}`,
                  seconds);
  const sync = new SyncEditor(port);
  await sync.listen();
  let keys = 0;
  await benchPage(browser, problems, "makers' run, editor", `${url}?sync=127.0.0.1:${port}`,
                  seconds, async (page) => {
    const editorSide = await sync.accept(15000);
    const names = await editorSide.waitForTracks(TRACK_COUNT);
    for (let row = 0; row <= 1340; ++row) {
      editorSide.setKey(SHOW_TIME, row, row / 16, 1);
      keys += 1;
      names.forEach((name, track) => {
        if (!(name in OWN_VALUES)) return;
        editorSide.setKey(track, row, OWN_VALUES[name], 1);
        keys += 1;
      });
    }
    await page.waitForTimeout(2000);  // taken in over the first frames
  });
  console.log(`makers' run, editor: ${keys} keys on ${Object.keys(OWN_VALUES).length + 1} ` +
              "tracks, every row of the show");
  await sync.close();
}

// What the page makes of ?sync= and ?tracks= (read before the program loads).
async function addresses(browser, problems) {
  // The pages load on while they are read: their track files are not there.
  const page = await openPage(browser, problems, {refusals: true});
  const read = async (query) => {
    await page.goto(`${url}${query}`, {waitUntil: "domcontentloaded"});
    return page.evaluate(() => JSON.stringify([pageAddress.sync, pageAddress.tracks,
                                               pageAddress.notes.length]));
  };
  const cases = [
    ["?sync", [{host: "127.0.0.1", port: 1339}, null, 0]],
    ["?sync=studio", [{host: "studio", port: 1339}, null, 0]],
    ["?sync=ws://[::1]:80/x", [{host: "[::1]", port: 80}, null, 0]],
    ["?sync=wss://studio:1339", [null, null, 1]],
    ["?tracks=", [null, `${url}sync/`, 0]],
    ["?tracks=../t&sync=h:5", [{host: "h", port: 5}, null, 1]],
    ["?at=3&tracks=t", [null, null, 1]],
  ];
  const wrong = [];
  for (const [query, expected] of cases) {
    const got = await read(query);
    if (got !== JSON.stringify(expected)) wrong.push(`${query}: ${got}`);
  }
  check("?sync= and ?tracks= are read as the README says", wrong.length === 0, wrong.join("; "));
  await page.context().close();
}

async function run(browser, problems) {
  await addresses(browser, problems);
  await editor(browser, problems);
  await tracks(browser, problems);
  await singleFile(browser, problems);
}

module.exports = {run, bench};
