// Serves the folder given on 127.0.0.1, opens decode.html from it in
// headless Chromium and prints what the page measured.
// Usage: node run_page.js FOLDER
"use strict";
const {chromium} = require("playwright-core");
const fs = require("fs");
const http = require("http");
const path = require("path");

const folder = process.argv[2];
const types = {".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm"};
const server = http.createServer((request, response) => {
  const file = path.join(folder, path.basename(new URL(request.url, "http://x").pathname));
  fs.readFile(file, (error, data) => {
    if (error) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {"Content-Type": types[path.extname(file)] || "application/octet-stream"});
    response.end(data);
  });
});

server.listen(0, "127.0.0.1", async () => {
  const browser = await chromium.launch({
    executablePath: "/usr/bin/chromium", headless: true,
    args: ["--no-sandbox", "--disable-background-networking", "--disable-component-update"],
  });
  let status = 0;
  try {
    const page = await browser.newPage();
    page.on("console", (m) => { if (m.type() !== "error") console.log(m.text()); });
    await page.goto(`http://127.0.0.1:${server.address().port}/decode.html`);
    await page.waitForFunction(() => window.jpegDecodeResult !== undefined, null, {timeout: 300000});
    if ((await page.evaluate(() => window.jpegDecodeResult)).error) status = 1;
  } catch (e) {
    console.log(String(e && e.stack || e));
    status = 1;
  } finally {
    await browser.close();
    server.close();
  }
  process.exit(status);
});
