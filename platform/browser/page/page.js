// The page around the program: downloads its three files (saying which one
// failed and why, should one not arrive whole), creates the module and runs
// main at once, so that the show is initialised while the page waits for
// the viewer's start gesture (browsers let sound start only after one);
// the gesture starts it, and the page does what the browser platform asks
// of it (page_hooks.h). ?at=SECONDS draws that one scene time at once and
// holds it.
"use strict";
(() => {
  const stage = document.getElementById("stage");
  const startButton = document.getElementById("start-button");
  const againButton = document.getElementById("again-button");
  const reloadButtons = document.querySelectorAll(".reload-button");
  const boxes = document.getElementById("boxes");
  const notice = document.getElementById("notice");
  const overlays = {
    loading: document.getElementById("loading"),
    failed: document.getElementById("failed"),
    ready: document.getElementById("start"),
    ended: document.getElementById("ended"),
  };
  const advice = {
    download: "Check the connection and reload the page. If this keeps happening, the site " +
              "does not offer the show's files whole.",
    browser: "Open the page in a current Chrome, Edge, Firefox or Safari.",
  };

  // What tests and benchmarks read: the state, the audio clock, the times of
  // readiness, of the start gesture and of the first frame after it, the
  // title and demo time of that frame, each frame's time spent in the
  // program and interval since the previous frame, and what went wrong.
  const record = {
    state: "loading",
    downloadedAt: null,  // the three files arrived (ms since navigation)
    readyAt: null,       // initialised and waiting for the gesture
    startGesture: null,
    firstFrame: null,
    firstTitle: null,
    firstDemoTime: null,
    passMilliseconds: [],
    frameIntervals: [],
    problems: [],
    exitCode: null,
    canvasSize: () => [canvas().width, canvas().height],
    audioTime: () => (audio() && audio().context ? audio().context.currentTime : null),
    analyser: () => (audio() ? audio().analyser : null),
    // The music's position in seconds, as the demo clock follows it.
    musicTime: () => {
      const voice = audio() && audio().voices[0];
      return voice ? audio().position(voice) / voice.rate : null;
    },
    musicGain: () => {
      const voice = audio() && audio().voices[0];
      return voice && voice.gain ? voice.gain.gain.value : null;
    },
    // The next frame as drawn, with the title it wrote, its exact demo and
    // scene times and the music's time then.
    captureFrame: () => new Promise((resolve) => captures.push(resolve)),
  };
  window.brontavik = record;

  let downloads = null;  // the three files, once all have arrived
  let current = null;    // the play on the stage: {module, page, ready, started}
  let next = null;       // the play made ready behind the end state, for "Play again"
  let lastFrame = null;
  let devicePixels = null;  // the canvas's size in device pixels, as last observed
  const captures = [];

  const audio = () => current && current.module && current.module.webAudio;
  const canvas = () => document.getElementById("canvas");

  function setState(state) {
    record.state = state;
    document.body.dataset.state = state;
    for (const [name, element] of Object.entries(overlays)) element.hidden = name !== state;
  }

  function showNotice(text, dismissable) {
    notice.replaceChildren(text);
    if (dismissable) {
      const close = document.createElement("button");
      close.type = "button";
      close.textContent = "OK";
      close.addEventListener("click", () => { notice.hidden = true; });
      notice.append(" ", close);
    }
    notice.hidden = false;
  }

  // --- Loading ---------------------------------------------------------

  class LoadProblem extends Error {
    constructor(what, help) {
      super(what);
      this.help = help;
    }
  }

  function loadFailed(error) {
    const problem = error instanceof LoadProblem ? error
                  : new LoadProblem("The show could not be loaded: " + error, advice.download);
    record.problems.push({what: problem.message, advice: problem.help});
    document.getElementById("failed-what").textContent = problem.message;
    document.getElementById("failed-advice").textContent = problem.help;
    setState("failed");
  }

  const progress = {loaded: {}, total: {}};
  function showProgress() {
    const sum = (o) => Object.values(o).reduce((a, b) => a + b, 0);
    const total = sum(progress.total);
    const text = overlays.loading.querySelector("p");
    const percent = Math.min(100, Math.floor(100 * sum(progress.loaded) / total));
    text.textContent = total > 0 ? `Loading the show\u2026 ${percent} %` : "Loading the show\u2026";
  }

  // The file's bytes, read as they arrive; a refusal, a broken connection
  // or a body shorter than announced is a LoadProblem naming the file.
  async function download(name, what) {
    const failed = (why) => new LoadProblem(`${what} (${name}) could not be loaded: ${why}.`,
                                            advice.download);
    let response;
    try {
      response = await fetch(name);
    } catch (e) {
      throw failed("the connection failed");
    }
    if (!response.ok) {
      throw failed(`the server answered ${response.status}` +
                   (response.statusText ? ` ${response.statusText}` : ""));
    }
    const announced = Number(response.headers.get("Content-Length"));
    const whole = !response.headers.get("Content-Encoding") && announced > 0;
    if (whole) progress.total[name] = announced;
    const chunks = [];
    let length = 0;
    try {
      const reader = response.body.getReader();
      for (;;) {
        const {done, value} = await reader.read();
        if (done) break;
        chunks.push(value);
        length += value.length;
        progress.loaded[name] = length;
        showProgress();
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
    return bytes.buffer;
  }

  function loadScript(name) {
    return new Promise((resolve, reject) => {
      const script = document.createElement("script");
      script.src = name;
      script.onload = () => (typeof createBrontavik === "function" ? resolve()
          : reject(new LoadProblem(`The program (${name}) could not be run.`, advice.download)));
      script.onerror = () => reject(new LoadProblem(
          `The program (${name}) could not be loaded.`, advice.download));
      document.head.append(script);
    });
  }

  async function downloadAll() {
    if (typeof WebAssembly !== "object" || typeof fetch !== "function") {
      throw new LoadProblem("This browser cannot run the show: it has no WebAssembly.",
                            advice.browser);
    }
    const wasm = download("brontavik.wasm", "The program").then(async (bytes) => {
      try {
        return await WebAssembly.compile(bytes);
      } catch (e) {
        throw new LoadProblem(`The program (brontavik.wasm) could not be started: ${e.message}.`,
                              advice.download);
      }
    });
    const [module, data] = await Promise.all(
        [wasm, download("brontavik.data", "The music and pictures"), loadScript("brontavik.js")]);
    return {module, data};
  }

  // --- A play: one instance of the program on its own canvas -------------

  // Creates a module from the downloaded files. Its main, run next,
  // initialises the show (or draws the still) and brings the page to its
  // ready, still or ended state through the hooks below.
  async function makePlay() {
    const play = {module: null, ready: false, started: false, ended: false, cursorHidden: false,
                  problems: []};
    play.page = pageFor(play);
    const {module, data} = downloads;
    play.module = await new Promise((resolve, reject) => {
      const options = {
        page: play.page,
        canvas: canvas(),
        noInitialRun: true,
        instantiateWasm(imports, receive) {
          WebAssembly.instantiate(module, imports).then(
              (instance) => receive(instance, module),
              (e) => reject(new LoadProblem(
                  `The program (brontavik.wasm) could not be started: ${e.message}.`,
                  advice.browser)));
          return {};
        },
        getPreloadedPackage(name, size) {
          if (data.byteLength !== size) {
            throw new LoadProblem(`The music and pictures (brontavik.data) arrived incomplete: ` +
                                  `${data.byteLength} of ${size} bytes.`, advice.download);
          }
          return data;
        },
        onAbort(what) {
          play.page.problem(`The program stopped: ${what}.`, "Reload the page to try again.");
        },
      };
      try {
        createBrontavik(options).then(resolve, reject);
      } catch (e) {
        reject(e);
      }
    });
    return play;
  }

  // Runs the program's code from the page: its own end unwinds to here.
  function runProgram(play, entry) {
    try {
      entry();
    } catch (e) {
      if (e === "unwind" || (e && e.name === "ExitStatus")) return;
      play.page.problem(`The program stopped with an error: ${e && e.message || e}.`,
                        "Reload the page to try again.");
      if (!play.ended) play.page.showEnded(1);
    }
  }

  function pageFor(play) {
    const isCurrent = () => play === current;
    return {
      fullscreenAvailable: () => Boolean(document.fullscreenEnabled && stage.requestFullscreen),
      setFullscreen(on) {
        if (!isCurrent()) return;
        if (on) {
          stage.requestFullscreen().catch(() => {});
        } else if (document.fullscreenElement) {
          document.exitFullscreen().catch(() => {});
        }
      },
      focusCanvas: () => { if (isCurrent()) canvas().focus({preventScroll: true}); },
      setCursorHidden(hidden) {
        // The program hides it while it waits; over the start button it stays.
        play.cursorHidden = hidden;
        if (isCurrent() && play.started) stage.classList.toggle("no-cursor", hidden);
      },
      messageBox(caption, text) {
        const box = document.createElement("div");
        box.className = "box";
        box.setAttribute("role", "alertdialog");
        const title = document.createElement("h2");
        title.textContent = caption;
        const body = document.createElement("p");
        body.textContent = text;
        const ok = document.createElement("button");
        ok.type = "button";
        ok.textContent = "OK";
        ok.addEventListener("click", () => box.remove());
        box.append(title, body, ok);
        boxes.append(box);
      },
      problem(what, help) {
        play.problems.push({what, advice: help});
        if (!isCurrent()) return;
        record.problems.push({what, advice: help});
        if (record.state === "playing") showNotice(`${what} ${help}`, true);
      },
      showReady() {
        play.ready = true;
        if (!isCurrent()) {
          if (play === next) againButton.disabled = false;
          return;
        }
        record.readyAt = performance.now();
        setState("ready");
      },
      graphicsLost(lost) {
        if (!isCurrent()) return;
        if (lost) {
          showNotice("The graphics were interrupted; waiting for them to come back\u2026", false);
        } else {
          notice.hidden = true;
        }
      },
      canvasPixels() {
        // The CSS size times the ratio; the observed device pixels where
        // they agree with it (they are exact, snapped to the screen's grid;
        // an emulated ratio does not reach them).
        const c = canvas();
        const rect = c.getBoundingClientRect();
        const ratio = window.devicePixelRatio || 1;
        const width = Math.round(rect.width * ratio);
        const height = Math.round(rect.height * ratio);
        const seen = devicePixels && devicePixels.target === c ? devicePixels : null;
        if (seen && Math.abs(seen.width - width) <= 2 && Math.abs(seen.height - height) <= 2) {
          return seen;
        }
        return {width, height};
      },
      showEnded(exitCode) {
        play.ended = true;
        if (play === next) {
          // The play made ready for "Play again" could not start.
          current = next;
          next = null;
        }
        if (!isCurrent()) return;
        record.exitCode = exitCode;
        const gl = canvas().getContext("webgl2");
        if (gl) {
          gl.clearColor(0, 0, 0, 1);
          gl.clear(gl.COLOR_BUFFER_BIT);
        }
        stage.classList.remove("no-cursor");
        showEnd(play);
        setState("ended");
        if (play.started) prepareNextPlay();
      },
      frameDone(passMilliseconds, demoTime, sceneTime) {
        if (!isCurrent()) return;
        const now = performance.now();
        if (record.firstFrame === null) {
          record.firstFrame = now;
          record.firstTitle = document.title;
          record.firstDemoTime = demoTime;
        }
        if (lastFrame !== null) record.frameIntervals.push(now - lastFrame);
        lastFrame = now;
        record.passMilliseconds.push(passMilliseconds);
        while (captures.length > 0) {
          captures.shift()({title: document.title, demoTime, sceneTime,
                            musicTime: record.musicTime(), png: canvas().toDataURL("image/png")});
        }
      },
      stillShown: () => { if (isCurrent()) setState("still"); },
    };
  }

  function showEnd(play) {
    const heading = document.getElementById("ended-text");
    const list = document.getElementById("ended-problems");
    list.replaceChildren();
    for (const p of play.problems) {
      const item = document.createElement("p");
      item.className = "problem";
      item.textContent = `${p.what} ${p.advice}`;
      list.append(item);
    }
    heading.textContent = play.problems.length === 0 ? "The show has ended."
                        : play.started ? "The show stopped." : "The show could not start.";
    againButton.hidden = !play.started;
    againButton.disabled = true;
    document.getElementById("ended-reload").hidden = play.started;
  }

  // A new play draws on a fresh canvas: the old one keeps the context of the
  // show that ended, which is let go.
  function freshCanvas() {
    const old = canvas();
    const replacement = old.cloneNode(false);
    old.replaceWith(replacement);
    observeCanvas(replacement);
    const gl = old.getContext("webgl2");
    const lose = gl && gl.getExtension("WEBGL_lose_context");
    if (lose) lose.loseContext();
  }

  function prepareNextPlay() {
    freshCanvas();
    next = null;
    makePlay().then((play) => {
      next = play;
      runProgram(play, () => play.module.callMain([]));
    }, loadFailed);
  }

  function start(play) {
    current = play;
    next = null;
    play.started = true;
    record.startGesture = performance.now();
    record.firstFrame = null;
    record.firstTitle = null;
    record.passMilliseconds = [];
    record.frameIntervals = [];
    record.problems = [];
    notice.hidden = true;
    lastFrame = null;
    stage.classList.toggle("no-cursor", play.cursorHidden);
    setState("playing");
    // What went wrong while it waited (sound that cannot play) is said now.
    for (const p of play.problems) {
      record.problems.push(p);
      showNotice(`${p.what} ${p.advice}`, true);
    }
    // Within the gesture: the sound may start and fullscreen is allowed.
    runProgram(play, () => play.module._brontavikStart());
  }

  function gesture(event) {
    if (event.type === "keydown" &&
        (event.repeat || ["Shift", "Control", "Alt", "Meta"].includes(event.key))) return;
    let play = null;
    if (record.state === "ready" && current.ready) play = current;
    if (record.state === "ended" && next !== null && next.ready) play = next;
    if (play === null) return;
    // The key that starts the show is the page's, not the show's.
    event.preventDefault();
    event.stopImmediatePropagation();
    start(play);
  }

  // The canvas's exact size in device pixels where the browser reports it;
  // otherwise canvasPixels works it out from the CSS size and the ratio.
  const resizeObserver = typeof ResizeObserver === "function" ? new ResizeObserver((entries) => {
    for (const entry of entries) {
      const size = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
      if (size) {
        devicePixels = {target: entry.target, width: size.inlineSize, height: size.blockSize};
      }
    }
  }) : null;
  function observeCanvas(element) {
    if (!resizeObserver) return;
    resizeObserver.disconnect();
    try {
      resizeObserver.observe(element, {box: "device-pixel-content-box"});
    } catch (e) {
      // Without device-pixel boxes the CSS size times the ratio serves.
    }
  }

  startButton.addEventListener("click", gesture);
  againButton.addEventListener("click", gesture);
  overlays.ready.addEventListener("click", gesture);
  window.addEventListener("keydown", gesture);
  for (const button of reloadButtons) button.addEventListener("click", () => location.reload());
  // What the program's own code leaves uncaught still reaches the viewer.
  const uncaught = (error) => {
    if (current) current.page.problem(`The program stopped with an error: ${error}.`,
                                      "Reload the page to try again.");
  };
  window.addEventListener("unhandledrejection", (event) => uncaught(event.reason));
  window.addEventListener("error", (event) => uncaught(event.message));
  observeCanvas(canvas());

  function sceneTimeParameter() {
    const text = new URLSearchParams(location.search).get("at");
    if (text === null) return {given: false};
    const value = Number(text);
    return {given: true, valid: text.trim() !== "" && Number.isFinite(value) && value >= 0};
  }

  const at = sceneTimeParameter();
  if (at.given && !at.valid) {
    const note = document.getElementById("start-note");
    note.textContent =
        "?at= takes a scene time in seconds, 0 or more; the whole show plays instead.";
    note.hidden = false;
  }
  downloadAll().then((files) => {
    downloads = files;
    record.downloadedAt = performance.now();
    return makePlay();
  }).then((play) => {
    current = play;
    runProgram(play, () => play.module.callMain([]));
  }).catch(loadFailed);
})();
