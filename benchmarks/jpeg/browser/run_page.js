// Opens the decode page in headless Chromium and prints what it measured.
"use strict";
const {chromium} = require("playwright-core");

(async () => {
  const browser = await chromium.launch({
    executablePath: "/usr/bin/chromium", headless: true,
    args: ["--no-sandbox", "--disable-background-networking", "--disable-component-update"],
  });
  let status = 0;
  try {
    const page = await browser.newPage();
    page.on("console", (m) => console.log(m.text()));
    await page.goto(process.argv[2]);
    await page.waitForFunction(() => window.jpegDecodeResult !== undefined, null, {timeout: 300000});
    const result = await page.evaluate(() => window.jpegDecodeResult);
    if (result.error) status = 1;
  } catch (e) {
    console.log(String(e && e.stack || e));
    status = 1;
  } finally {
    await browser.close();
  }
  process.exit(status);
})();
