// The single file in Firefox: Debian's firefox-esr, driven through WebDriver
// BiDi, with Firefox's own rule for pages opened from disk (playwright-core
// relaxes it). Opened from disk with the network off, the still at 20 s
// matches the desktop and the show plays: frames drawn, the demo clock
// running. This machine has no sound device, so Firefox's audio clock
// stands at 0 and is not checked (given a PulseAudio null sink it runs,
// but Firefox 153 then at times locks up in its audio graph). The site's
// page opened from disk says what to do. Firefox draws WebGL only with a
// display: the run needs DISPLAY (an X server of its own, run.sh).
"use strict";
const {firefox} = require("playwright-core");
const path = require("path");
const {pathToFileURL} = require("url");
const {minimumPsnr, check, watchConsole, waitForState, waitForFrames, framesDrawn, titleValue,
       stillPsnr} =
    require("./support");

async function run(problems) {
  const browser = await firefox.launch({
    channel: "moz-firefox", executablePath: "/usr/bin/firefox-esr", headless: false,
    firefoxUserPrefs: {"security.fileuri.strict_origin_policy": true},
  });
  try {
    const context = await browser.newContext({viewport: {width: 800, height: 600}});
    await context.setOffline(true);
    const page = await context.newPage();
    watchConsole(page, problems);
    const address = pathToFileURL(process.env.SINGLE_FILE).href;
    await page.goto(`${address}?at=20`);
    await waitForState(page, ["still", "ended", "failed"], 60000);
    const db = await stillPsnr(page, 20, "firefox-single-20");
    check("Firefox: the single file from disk matches the desktop at 20 s", db >= minimumPsnr,
          `PSNR ${db.toFixed(2)} dB`);

    await page.goto(address);
    await waitForState(page, ["ready"], 60000);
    await page.click("#start-button");
    await waitForFrames(page, 10);
    const first = titleValue(await page.title(), "Time:");
    const drawn = await framesDrawn(page);
    await page.waitForTimeout(1000);
    const [state, title] = await page.evaluate(() => [window.brontavik.state, document.title]);
    const frames = await framesDrawn(page) - drawn;
    const second = titleValue(title, "Time:");
    // Without the audio clock the demo clock is held back towards it.
    check("Firefox: the single file from disk plays",
          state === "playing" && frames >= 5 && second > first,
          `${state}, ${frames} frames in a second, demo time ${first} s then ${second} s`);

    await context.close();

    // Not watched: Firefox reports the refused reads as page errors.
    const disk = await (await browser.newContext()).newPage();
    await disk.goto(pathToFileURL(path.join(process.env.SITE_DIR, "index.html")).href);
    await waitForState(disk, ["failed"], 30000).catch(() => {});
    const said = await disk.locator("#failed").innerText().catch(() => "");
    check("Firefox: the site's page opened from disk says to open brontavik.html or serve it",
          /brontavik\.html/.test(said) && /python3 -m http\.server/.test(said),
          JSON.stringify(said));
    await disk.context().close();
  } finally {
    await browser.close();
  }
}

module.exports = {run};
