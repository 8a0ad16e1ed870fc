// The show's page around the program: loads it (loader.js), creates the
// module and runs main at once, so that the show is initialised while the
// page waits for the viewer's start gesture (browsers let sound start only
// after one); the gesture starts it, and the page does what the browser
// platform asks of it (page_hooks.h). ?at=SECONDS (address.js) draws that
// one scene time at once and holds it; ?sync= and ?tracks= start the makers'
// run, the latter with the track files written in first (tracks.js).
"use strict";
(() => {
  const program = {
    name: "brontavik",
    factory: "createBrontavik",
    what: {wasm: "The program", data: "The music and pictures"},
    singleFile: "brontavik.html",
  };
  const {LoadProblem, advice} = programLoader;
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
  // What tests and benchmarks read: the state, the audio clock, the times of
  // readiness, of the start gesture and of the first frame after it, the
  // title and demo time of that frame, each frame's time spent in the
  // program and interval since the previous frame, and what went wrong.
  const record = {
    state: "loading",
    downloadedAt: null,  // the program and its data arrived (ms since navigation)
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
    fullscreen: () => fullscreen.mode(),
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

  let loaded = null;     // the program and its data, once they have arrived
  let current = null;    // the play on the stage: {module, page, ready, started}
  let next = null;       // the play made ready behind the end state, for "Play again"
  let lastFrame = null;
  let devicePixels = null;  // the canvas's size in device pixels, as last observed
  const captures = [];

  const audio = () => current && current.module && current.module.webAudio;
  const canvas = () => document.getElementById("canvas");
  const fullscreen = makeFullscreen(stage, document.getElementById("fullscreen-button"));
  const refit = frameCanvas(stage, canvas);

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

  function loadFailed(error) {
    const problem = error instanceof LoadProblem ? error
                  : new LoadProblem("The show could not be loaded: " + error, advice.download);
    record.problems.push({what: problem.message, advice: problem.help});
    document.getElementById("failed-what").textContent = problem.message;
    document.getElementById("failed-advice").textContent = problem.help;
    const command = document.getElementById("failed-command");
    command.textContent = problem.command || "";
    command.hidden = !problem.command;
    setState("failed");
  }

  function showProgress(fraction) {
    overlays.loading.querySelector("p").textContent =
        `Loading the show\u2026 ${Math.floor(100 * fraction)} %`;
  }

  // --- A play: one instance of the program on its own canvas -------------

  // Creates a module from the downloaded files. Its main, run next,
  // initialises the show (or draws the still) and brings the page to its
  // ready, still or ended state through the hooks below.
  async function makePlay() {
    const play = {module: null, ready: false, started: false, ended: false, cursorHidden: false,
                  problems: []};
    play.page = pageFor(play);
    play.module = await programLoader.instantiate(loaded, {
      page: play.page,
      canvas: canvas(),
      noInitialRun: true,
      onAbort(what) {
        play.page.problem(`The program stopped: ${what}.`, "Reload the page to try again.");
      },
    });
    if (pageAddress.tracks) {
      play.tracks = await exportedTracks.writeInto(play.module, pageAddress.tracks);
    }
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
      // Full screen, or the window filled where the browser has none.
      fullscreenAvailable: () => true,
      setFullscreen(on) {
        if (!isCurrent()) return;
        if (on) fullscreen.enter(); else fullscreen.exit();
      },
      fullscreenLeftByPage: () => fullscreen.leftByPage(),
      sceneTime: () => pageAddress.at,
      syncEditor: () => pageAddress.sync,
      tracksFolder: () => play.tracks || null,
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
    refit();
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
    // F is the full-screen key in every state; any other key may start.
    if (fullscreen.handleKey(event)) return;
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

  const startNotes = [...pageAddress.notes];
  if (pageAddress.sync || pageAddress.tracks) {
    startNotes.push("The makers' run: Space pauses, Left and Right seek 1 s, Page Up and Page " +
                    "Down 10 s, Home goes to the start, M marks, L loops the marked span.");
  }
  function showStartNotes() {
    const note = document.getElementById("start-note");
    note.textContent = startNotes.join(" ");
    note.hidden = startNotes.length === 0;
  }
  showStartNotes();
  // A touch screen is tapped, not clicked.
  if (matchMedia("(hover: none) and (pointer: coarse)").matches) {
    startButton.textContent = "Tap to start";
  }
  programLoader.load(program, showProgress).then((files) => {
    loaded = files;
    record.downloadedAt = performance.now();
    // The site keeps its files for offline play (not in the single file).
    if (typeof siteOffline === "object") siteOffline.register();
    return makePlay();
  }).then((play) => {
    current = play;
    if (play.tracks && play.tracks.found === 0) {
      startNotes.push(`No track files at ${play.tracks.address}: the show plays as it ships.`);
      showStartNotes();
    }
    runProgram(play, () => play.module.callMain([]));
  }).catch(loadFailed);
})();
