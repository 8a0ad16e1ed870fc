// The page around the program: loads the module, waits for the viewer's
// start gesture (browsers let sound start only after one), calls main, and
// does what the browser platform asks of it (page_hooks.h). ?at=SECONDS
// draws that one scene time at once and holds it.
"use strict";
(() => {
  const stage = document.getElementById("stage");
  const startButton = document.getElementById("start-button");
  const againButton = document.getElementById("again-button");
  const boxes = document.getElementById("boxes");
  const overlays = {
    loading: document.getElementById("loading"),
    ready: document.getElementById("start"),
    ended: document.getElementById("ended"),
  };

  // What tests and benchmarks read: the state, the audio clock, the times of
  // the start gesture and of the first frame after it, and each frame's
  // time spent in the program and interval since the previous frame.
  const record = {
    state: "loading",
    startGesture: null,
    initialised: null,  // when main returned: window, GL, textures and music set up
    firstFrame: null,
    passMilliseconds: [],
    frameIntervals: [],
    exitCode: null,
    audioTime: () => (module && module.webAudio ? module.webAudio.context.currentTime : null),
    analyser: () => (module && module.webAudio ? module.webAudio.analyser : null),
    musicGain: () => {
      const voice = module && module.webAudio && module.webAudio.voices[0];
      return voice ? voice.gain.gain.value : null;
    },
  };
  window.brontavik = record;

  let module = null;
  let next = null;  // the module loading for the next play
  let lastFrame = null;

  function setState(state) {
    record.state = state;
    document.body.dataset.state = state;
    for (const [name, element] of Object.entries(overlays)) element.hidden = name !== state;
  }

  function sceneTimeParameter() {
    const text = new URLSearchParams(location.search).get("at");
    if (text === null) return {given: false};
    const value = Number(text);
    return {given: true, valid: text.trim() !== "" && Number.isFinite(value) && value >= 0};
  }

  function canvas() {
    return document.getElementById("canvas");
  }

  // A new instance draws on a fresh canvas: the old one keeps the context
  // of the show that ended.
  function freshCanvas() {
    const old = canvas();
    const replacement = old.cloneNode(false);
    old.replaceWith(replacement);
    return replacement;
  }

  const page = {
    fullscreenAvailable: () => Boolean(document.fullscreenEnabled && stage.requestFullscreen),
    setFullscreen(on) {
      if (on) {
        stage.requestFullscreen().catch(() => {});
      } else if (document.fullscreenElement) {
        document.exitFullscreen().catch(() => {});
      }
    },
    focusCanvas: () => canvas().focus({preventScroll: true}),
    setCursorHidden: (hidden) => stage.classList.toggle("no-cursor", hidden),
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
    showEnded(exitCode) {
      record.exitCode = exitCode;
      const gl = canvas().getContext("webgl2");
      if (gl) {
        gl.clearColor(0, 0, 0, 1);
        gl.clear(gl.COLOR_BUFFER_BIT);
      }
      stage.classList.remove("no-cursor");
      setState("ended");
      prepareNextPlay();
    },
    frameDone(passMilliseconds) {
      const now = performance.now();
      if (record.firstFrame === null) record.firstFrame = now;
      if (lastFrame !== null) record.frameIntervals.push(now - lastFrame);
      lastFrame = now;
      record.passMilliseconds.push(passMilliseconds);
    },
    stillShown: () => setState("still"),
  };

  function load() {
    return createBrontavik({page, canvas: canvas(), noInitialRun: true});
  }

  function start(instance) {
    if (record.state !== "ready" && record.state !== "ended") return;
    module = instance;
    record.startGesture = performance.now();
    record.firstFrame = null;
    record.passMilliseconds = [];
    record.frameIntervals = [];
    lastFrame = null;
    setState("playing");
    // Still inside the gesture: the sound may start and fullscreen is allowed.
    module.callMain([]);
    record.initialised = performance.now();
  }

  function prepareNextPlay() {
    againButton.disabled = true;
    freshCanvas();
    next = null;
    load().then((instance) => {
      next = instance;
      againButton.disabled = false;
    }, failed);
  }

  function failed(error) {
    setState("loading");
    overlays.loading.querySelector("p").textContent = "The show could not be loaded: " + error;
    console.error(error);
  }

  function gesture(event) {
    if (event.type === "keydown" && (event.repeat || ["Shift", "Control", "Alt", "Meta"].includes(event.key))) return;
    if (record.state === "ready") {
      event.preventDefault();
      start(module);
    } else if (record.state === "ended" && next !== null) {
      event.preventDefault();
      start(next);
    }
  }

  startButton.addEventListener("click", gesture);
  againButton.addEventListener("click", gesture);
  overlays.ready.addEventListener("click", gesture);
  window.addEventListener("keydown", gesture);

  const at = sceneTimeParameter();
  load().then((instance) => {
    module = instance;
    if (at.given && at.valid) {
      setState("playing");
      module.callMain([]);
      return;
    }
    if (at.given) {
      const note = document.getElementById("start-note");
      note.textContent = "?at= takes a scene time in seconds, 0 or more; the whole show plays instead.";
      note.hidden = false;
    }
    setState("ready");
  }, failed);
})();
