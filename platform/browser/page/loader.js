// Loads a program Emscripten built (NAME.js, NAME.wasm and, with preloaded
// files, NAME.data) and makes instances of it; any page of the site can use
// it for its own program. The files come from the site over HTTP, or from
// the page itself where the build wrote them into it (the single-file page):
// the glue as a script before the page's own, the WebAssembly and the data
// as base64 text in data blocks at the end, each decoded, once the page is
// parsed, straight into the one buffer that is then used, and the text let
// go. A single-file page cut short is missing its data, and says so.
// Every failure is a LoadProblem that says, in the viewer's
// words, what failed and what to do.
"use strict";
const programLoader = (() => {
  const advice = {
    download: "Check the connection and reload the page. If this keeps happening, the site " +
              "does not offer the show's files whole.",
    browser: "Open the page in a current Chrome, Edge, Firefox or Safari.",
    serve: "Serve this folder: run this command in it, then open http://127.0.0.1:8000/ in " +
           "the browser.",
  };

  // What failed, what the viewer can do, and the command that does it, if one does.
  class LoadProblem extends Error {
    constructor(what, help, command = null) {
      super(what);
      this.help = help;
      this.command = command;
    }
  }

  // --- From the page itself --------------------------------------------

  const sextets = new Uint8Array(128).fill(255);
  [..."ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"].forEach(
      (c, i) => { sextets[c.charCodeAt(0)] = i; });

  // The data block's base64 text, decoded into `bytes`, which it must fill
  // exactly. The parser may have split the text into several nodes: they are
  // read in turn, so the text is never joined into a second string.
  function decodeInto(block, bytes) {
    let at = 0, bits = 0, count = 0, padding = false;
    for (const node of block.childNodes) {
      const text = node.nodeValue || "";
      for (let i = 0; i < text.length; i++) {
        const c = text.charCodeAt(i);
        const sextet = c < 128 ? sextets[c] : 255;
        if (sextet === 255) {
          if (c === 61) padding = true;  // "=" ends the text
          else if (c !== 10 && c !== 13 && c !== 32 && c !== 9) return false;
          continue;
        }
        if (padding || at === bytes.length && count + 6 >= 8) return false;
        bits = ((bits << 6) | sextet) & 0xffffff;
        count += 6;
        if (count >= 8) {
          count -= 8;
          bytes[at++] = (bits >> count) & 0xff;
        }
      }
    }
    return at === bytes.length;
  }

  function block(file) {
    return document.querySelector(`script[type="application/octet-stream"][data-file="${file}"]`);
  }

  const lower = (what) => what.charAt(0).toLowerCase() + what.slice(1);
  const damaged = (file, what, missing) => new LoadProblem(
      "This page did not arrive whole: " +
          (missing ? `${lower(what)} (${file}) cannot be found in it.`
                   : `it holds only part of ${lower(what)} (${file}).`),
      "Get the page again from where it came from.");

  // The block's bytes in a buffer of their own; the block leaves the page.
  function takeBlock(element, file, what) {
    if (!element) throw damaged(file, what, true);
    const bytes = new Uint8Array(Number(element.dataset.bytes) || 0);
    const whole = bytes.length > 0 && decodeInto(element, bytes);
    element.remove();
    if (!whole) throw damaged(file, what, false);
    return bytes;
  }

  async function compileBlock(element, file, what) {
    const bytes = takeBlock(element, file, what);
    if (element.dataset.compression !== "gzip") return WebAssembly.compile(bytes);
    if (typeof DecompressionStream !== "function") {
      throw new LoadProblem(`This browser cannot unpack ${lower(what)} (${file}).`,
                            advice.browser);
    }
    // Unpacked as it is compiled: the unpacked bytes are never held here.
    const packed = new ReadableStream({start(c) { c.enqueue(bytes); c.close(); }});
    const response = new Response(packed.pipeThrough(new DecompressionStream("gzip")),
                                  {headers: {"Content-Type": "application/wasm"}});
    if (typeof WebAssembly.compileStreaming === "function") {
      return WebAssembly.compileStreaming(response);
    }
    return WebAssembly.compile(await response.arrayBuffer());
  }

  // --- From the site -----------------------------------------------------

  // The file's bytes, read as they arrive; a refusal, a broken connection
  // or a body shorter than announced is a LoadProblem naming the file.
  async function download(file, what, progress, singleFile) {
    const failed = (why) => new LoadProblem(`${what} (${file}) could not be loaded: ${why}.`,
                                            advice.download);
    let response;
    try {
      response = await fetch(file);
    } catch (e) {
      if (location.protocol === "file:") throw fromDisk(file, singleFile);
      throw failed("the connection failed");
    }
    if (!response.ok) {
      throw failed(`the server answered ${response.status}` +
                   (response.statusText ? ` ${response.statusText}` : ""));
    }
    const announced = Number(response.headers.get("Content-Length"));
    const whole = !response.headers.get("Content-Encoding") && announced > 0;
    if (whole) progress.total[file] = announced;
    const chunks = [];
    let length = 0;
    try {
      const reader = response.body.getReader();
      for (;;) {
        const {done, value} = await reader.read();
        if (done) break;
        chunks.push(value);
        length += value.length;
        progress.loaded[file] = length;
        progress.report();
      }
    } catch (e) {
      throw failed("the download broke off");
    }
    if (whole && length !== announced) {
      throw failed(`the download broke off after ${length} of ${announced} bytes`);
    }
    const bytes = new Uint8Array(length);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes;
  }

  // Browsers do not let a page opened from disk read files beside it.
  function fromDisk(file, singleFile) {
    const instead = singleFile ? `Open ${singleFile} instead: everything in one file, which ` +
                                 "plays from disk. Or serve this folder: run this command in it, " +
                                 "then open http://127.0.0.1:8000/ in the browser."
                               : advice.serve;
    return new LoadProblem(`This page was opened from disk, and the browser does not let a page ` +
                           `opened from disk read its files (${file}).`, instead,
                           "python3 -m http.server --bind 127.0.0.1 8000");
  }

  function loadScript(file, factory) {
    return new Promise((resolve, reject) => {
      const script = document.createElement("script");
      script.src = file;
      script.onload = () => (typeof window[factory] === "function" ? resolve()
          : reject(new LoadProblem(`The program (${file}) could not be run.`, advice.download)));
      script.onerror = () => reject(new LoadProblem(
          `The program (${file}) could not be loaded.`, advice.download));
      document.head.append(script);
    });
  }

  // --- Both --------------------------------------------------------------

  // program: {name, factory, what: {wasm, data}, singleFile}: the files'
  // stem, the function the glue defines (Emscripten's EXPORT_NAME), how the
  // page names the WebAssembly and the data to the viewer (data: null
  // without), and the build's single-file page, if it makes one.
  // onProgress(fraction) follows the downloads.
  // Resolves to {compiled, data, factory}, ready for instantiate.
  async function load(program, onProgress = () => {}) {
    if (typeof WebAssembly !== "object" || typeof fetch !== "function") {
      throw new LoadProblem("This browser cannot run the show: it has no WebAssembly.",
                            advice.browser);
    }
    const progress = {loaded: {}, total: {}, report() {
      const sum = (o) => Object.values(o).reduce((a, b) => a + b, 0);
      const total = sum(this.total);
      if (total > 0) onProgress(Math.min(1, sum(this.loaded) / total));
    }};
    const wasmFile = `${program.name}.wasm`;
    const dataFile = `${program.name}.data`;
    const cannotStart = (e) => new LoadProblem(
        `${program.what.wasm} (${wasmFile}) could not be started: ${e.message}.`, advice.download);

    // A single-file page (its glue written in) holds its data at its end.
    const inlined = document.querySelector(`script[data-file="${program.name}.js"]`) !== null;
    if (inlined && document.readyState === "loading") {
      await new Promise((resolve) => document.addEventListener("DOMContentLoaded", resolve));
    }
    const wasmBlock = block(wasmFile);
    const fetched = (file, what) => download(file, what, progress, program.singleFile);
    const compiled = (inlined ? compileBlock(wasmBlock, wasmFile, program.what.wasm)
                              : fetched(wasmFile, program.what.wasm)
                                    .then((bytes) => WebAssembly.compile(bytes)))
                         .catch((e) => { throw e instanceof LoadProblem ? e : cannotStart(e); });
    let data = Promise.resolve(null);
    if (program.what.data) {
      const dataBlock = block(dataFile);
      const taken = () => takeBlock(dataBlock, dataFile, program.what.data);
      data = inlined ? Promise.resolve().then(taken) : fetched(dataFile, program.what.data);
    }
    const glue = typeof window[program.factory] === "function" ? Promise.resolve()
               : loadScript(`${program.name}.js`, program.factory);
    const [module, bytes] = await Promise.all([compiled, data, glue]);
    return {compiled: module, data: bytes && bytes.buffer, factory: window[program.factory],
            wasmFile, dataFile, what: program.what};
  }

  // A new instance of the loaded program: `options` are the module's own
  // (Module.page, canvas, noInitialRun...); its WebAssembly and data come
  // from `loaded`, shared by every instance.
  function instantiate(loaded, options) {
    return new Promise((resolve, reject) => {
      const {compiled, data} = loaded;
      const module = {
        ...options,
        instantiateWasm(imports, receive) {
          WebAssembly.instantiate(compiled, imports).then(
              (instance) => receive(instance, compiled),
              (e) => reject(new LoadProblem(
                  `${loaded.what.wasm} (${loaded.wasmFile}) could not be started: ${e.message}.`,
                  advice.browser)));
          return {};
        },
        getPreloadedPackage(name, size) {
          if (!data || data.byteLength !== size) {
            throw new LoadProblem(`${loaded.what.data} (${loaded.dataFile}) arrived incomplete: ` +
                                  `${data ? data.byteLength : 0} of ${size} bytes.`,
                                  advice.download);
          }
          return data;
        },
      };
      try {
        loaded.factory(module).then(resolve, reject);
      } catch (e) {
        reject(e);
      }
    });
  }

  return Object.freeze({LoadProblem, advice, load, instantiate});
})();
