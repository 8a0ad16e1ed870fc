// view.html around brontavik-view's program (loader.js). A 3DS file and
// its pictures, dropped on the page or chosen with its file control, are
// written into the current folder of a fresh instance of the program, on a
// fresh canvas; its main loads the file with the desktop's code and names
// the pictures the file uses, and viewPlay makes the textures and plays.
// ?file=URL fetches the file and those pictures from beside it instead.
// The page shows the player's title line, its warnings, and the loader's
// one-line reason for a file it refuses, and takes the next file after any
// of them. ?at=SECONDS holds every scene at that time, paused.
"use strict";
(() => {
  const program = {
    name: "brontavik-view",
    factory: "createBrontavikView",
    what: {wasm: "The player", data: null},
    singleFile: null,
  };
  const {LoadProblem, advice} = programLoader;
  const stage = document.getElementById("stage");
  const titleLine = document.getElementById("title-line");
  const warningList = document.getElementById("warnings");
  const refusedLine = document.getElementById("refused");
  const dropTarget = document.getElementById("drop-target");
  const fileInput = document.getElementById("files");
  const overlays = {
    loading: document.getElementById("loading"),
    failed: document.getElementById("failed"),
    waiting: document.getElementById("waiting"),
    opening: document.getElementById("opening"),
  };
  const canvas = () => document.getElementById("canvas");
  const refit = frameCanvas(stage, canvas);
  makeFullscreen(stage, document.getElementById("fullscreen-button"), () => {}, null);

  // What tests and benchmarks read: the state; how many files given came
  // to their first frame or to a refusal; when the program arrived, when
  // the files of the scene were dropped, chosen or asked for, and when its
  // first frame was drawn (ms since navigation); the title line, the
  // warnings and the refusal shown; each frame's time in the program and
  // interval since the one before (the last 10000); how long loading the
  // file (main) and making its textures and first frame (viewPlay) took, in
  // ms; the program's memory.
  const record = {
    state: "loading",
    outcomes: 0,
    loadedAt: null,
    openedAt: null,
    firstFrameAt: null,
    title: "",
    warnings: [],
    refused: null,
    problems: [],
    passMilliseconds: [],
    frameIntervals: [],
    steps: {},
    canvasSize: () => [canvas().width, canvas().height],
    memoryBytes: () => current?.module?.HEAP8?.buffer.byteLength ?? null,
    // The next frame as drawn, with its title line.
    captureFrame: () => new Promise((resolve) => captures.push(resolve)),
  };
  window.brontavikView = record;
  const kept = 10000;
  const captures = [];

  let loaded = null;    // the program, once it has arrived
  let waitingFiles = null;  // files given before it arrived
  let current = null;   // the scene on the stage: {module, page, pictures, refused, playing}
  let generation = 0;   // counts the files opened, so a slow one gives way to the next
  let lastFrame = null;

  function setState(state) {
    record.state = state;
    document.body.dataset.state = state;
    for (const [name, element] of Object.entries(overlays)) element.hidden = name !== state;
  }

  function loadFailed(error) {
    const problem = error instanceof LoadProblem ? error
                  : new LoadProblem("The player could not be loaded: " + error, advice.download);
    record.problems.push({what: problem.message, advice: problem.help});
    document.getElementById("failed-what").textContent = problem.message;
    document.getElementById("failed-advice").textContent = problem.help;
    const command = document.getElementById("failed-command");
    command.textContent = problem.command || "";
    command.hidden = !problem.command;
    setState("failed");
  }

  // --- The scene on the stage ------------------------------------------

  function showWarnings() {
    warningList.replaceChildren(...record.warnings.map((line) => {
      const item = document.createElement("li");
      item.textContent = line;
      return item;
    }));
    warningList.hidden = record.warnings.length === 0;
  }

  function setTitle(title) {
    record.title = title;
    titleLine.textContent = title;
    document.title = title || "Brontavik 3DS scene player";
  }

  // Ends the scene on the stage: its program stops and its canvas, with
  // the graphics memory behind it, is let go for a fresh one.
  function stopScene() {
    const scene = current;
    current = null;
    if (!scene) return;
    if (scene.playing) {
      try {
        scene.module._viewStop();
      } catch (e) {
        // A program that stopped on its own has nothing left to stop.
      }
      const old = canvas();
      old.replaceWith(old.cloneNode(false));
      refit();
      const lose = old.getContext("webgl2")?.getExtension("WEBGL_lose_context");
      if (lose) lose.loseContext();
    }
    setTitle("");
  }

  // Back to the prompt for a file, with the reason the last one gave, if any.
  function waitForFile(reason = null) {
    stopScene();
    record.warnings = [];
    showWarnings();
    record.refused = reason;
    if (reason !== null) record.outcomes += 1;
    refusedLine.textContent = reason || "";
    refusedLine.hidden = reason === null;
    setState("waiting");
  }

  function pageFor(scene) {
    const isCurrent = () => scene === current;
    return {
      opened(pictures) { scene.pictures = pictures; },
      refused(reason) {
        scene.refused = reason;
        // A scene that cannot go on (its memory ran out while it played).
        if (scene.playing && isCurrent()) waitForFile(reason);
      },
      warning(line) {
        if (!isCurrent()) return;
        record.warnings.push(line);
        showWarnings();
      },
      problem(what, help) {
        record.problems.push({what, advice: help});
        scene.refused = `${what} ${help}`;
      },
      canvasPixels() {
        // framing.js gives the canvas a size the layout shows exactly in
        // device pixels.
        const rect = canvas().getBoundingClientRect();
        const ratio = window.devicePixelRatio || 1;
        return {width: Math.round(rect.width * ratio), height: Math.round(rect.height * ratio)};
      },
      frameDone(title, passMilliseconds) {
        if (!isCurrent()) return;
        const now = performance.now();
        if (record.firstFrameAt === null) {
          record.firstFrameAt = now;
          record.outcomes += 1;
          setState("playing");
        } else {
          record.frameIntervals.push(now - lastFrame);
        }
        lastFrame = now;
        record.passMilliseconds.push(passMilliseconds);
        for (const list of [record.passMilliseconds, record.frameIntervals]) {
          if (list.length > kept) list.splice(0, list.length - kept);
        }
        if (title !== record.title) setTitle(title);
        while (captures.length > 0) {
          captures.shift()({title, png: canvas().toDataURL("image/png")});
        }
      },
      closed() {
        if (isCurrent()) waitForFile();
      },
    };
  }

  // Runs the program's code; its own end (main's return, the live
  // runtime's unwind) comes back here as an exception.
  function run(scene, entry) {
    try {
      entry();
    } catch (e) {
      if (e === "unwind" || (e && e.name === "ExitStatus")) return;
      const what = e instanceof Error ? e.message : "an error it could not handle";
      scene.refused = `The player stopped: ${what}. Open another file to go on.`;
    }
  }

  // The browser draws the page (the message that a file is opening) before
  // the program holds it for as long as a large file takes.
  const painted = () => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));

  // Opens `sceneName` among `files` ({name, bytes}); `fetchPicture(name)`,
  // where given, gets each picture the file names ({name, bytes} or null).
  async function openScene(sceneName, files, fetchPicture = null) {
    const mine = ++generation;
    stopScene();
    Object.assign(record, {firstFrameAt: null, warnings: [], refused: null, steps: {},
                           passMilliseconds: [], frameIntervals: []});
    showWarnings();
    document.getElementById("opening-text").textContent = `Opening ${sceneName}\u2026`;
    setState("opening");
    await painted();
    if (mine !== generation) return;
    const scene = {module: null, pictures: null, refused: null, playing: false};
    scene.page = pageFor(scene);
    current = scene;
    try {
      scene.module = await programLoader.instantiate(loaded, {
        page: scene.page,
        canvas: canvas(),
        noInitialRun: true,
        onAbort(what) {
          if (scene !== current) return;
          waitForFile(`The player stopped: ${what}. Open another file to go on.`);
        },
      });
    } catch (e) {
      if (scene === current) waitForFile(e.message || String(e));
      return;
    }
    if (scene !== current) return;
    const fs = scene.module.FS;
    fs.mkdir("/scene");
    fs.chdir("/scene");
    for (const file of files) fs.writeFile(file.name, file.bytes);
    const loading = performance.now();
    run(scene, () => scene.module.callMain([sceneName]));
    record.steps.load = performance.now() - loading;
    if (scene.refused !== null || scene.pictures === null) {
      return waitForFile(scene.refused || `${sceneName} could not be opened.`);
    }
    if (fetchPicture) {
      for (const name of scene.pictures) {
        const picture = await fetchPicture(name);
        if (scene !== current) return;
        if (picture) fs.writeFile(picture.name, picture.bytes);
      }
    }
    scene.playing = true;
    const playing = performance.now();
    run(scene, () => scene.module._viewPlay(pageAddress.at === null ? -1 : pageAddress.at));
    record.steps.play = performance.now() - playing;
    if (scene.refused !== null) {
      if (scene === current) waitForFile(scene.refused);
      return;
    }
    canvas().focus({preventScroll: true});
  }

  // --- Files dropped or chosen ---------------------------------------

  const byName = (a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0);

  // The scene is the one file given, or the first of those named .3ds; the
  // rest lie beside it, where the player looks for its pictures.
  async function openFiles(given) {
    record.openedAt = performance.now();
    const files = [...given];
    if (files.length === 0) return;
    if (!loaded) {
      waitingFiles = files;
      return;
    }
    const scenes = files.filter((f) => /\.3ds$/i.test(f.name)).sort(byName);
    const scene = files.length === 1 ? files[0] : scenes[0];
    if (!scene) {
      return waitForFile("None of these files is a 3DS file (.3ds): " +
                         files.map((f) => f.name).join(", ") + ".");
    }
    let contents;
    try {
      contents = await Promise.all(files.map(async (f) => ({
        name: f.name, bytes: new Uint8Array(await f.arrayBuffer())})));
    } catch (e) {
      return waitForFile(`The files could not be read: ${e.message}.`);
    }
    await openScene(scene.name, contents);
    const others = scenes.filter((f) => f !== scene).map((f) => f.name);
    if (others.length > 0 && current) {
      record.warnings.push(`${scene.name} is shown; open the other 3DS files ` +
                           `(${others.join(", ")}) one at a time.`);
      showWarnings();
    }
  }

  // --- ?file=URL -------------------------------------------------------

  async function fetchBytes(url) {
    const response = await fetch(url);
    if (!response.ok) {
      throw new Error(`the server answered ${response.status}` +
                      (response.statusText ? ` ${response.statusText}` : ""));
    }
    return new Uint8Array(await response.arrayBuffer());
  }

  // The file at `address`, and the pictures it names from beside it: each
  // by its name as the file gives it, else in small or capital letters
  // (old files name their pictures in capitals; servers tell case apart).
  async function openAddress(address) {
    record.openedAt = performance.now();
    let url;
    try {
      url = new URL(address, location.href);
    } catch (e) {
      return waitForFile(`?file= does not hold an address: ${address}.`);
    }
    const name = decodeURIComponent(url.pathname.split("/").pop()) || "scene.3ds";
    let bytes;
    try {
      bytes = await fetchBytes(url);
    } catch (e) {
      const why = e instanceof TypeError ? "the connection failed" : e.message;
      return waitForFile(`${name} (${url.href}) could not be loaded: ${why}.`);
    }
    await openScene(name, [{name, bytes}], async (picture) => {
      if (picture === "." || picture === "..") return null;
      const spellings = [picture, picture.toLowerCase(), picture.toUpperCase()];
      for (const spelling of new Set(spellings)) {
        try {
          return {name: spelling, bytes: await fetchBytes(new URL(encodeURIComponent(spelling), url))};
        } catch (e) {
          // Not under this spelling: the next, or the player's warning.
        }
      }
      return null;
    });
  }

  // --- The page ----------------------------------------------------------

  const carriesFiles = (event) => [...(event.dataTransfer?.types || [])].includes("Files");
  window.addEventListener("dragenter", (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    dropTarget.hidden = false;
  });
  window.addEventListener("dragover", (event) => {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = "copy";
  });
  window.addEventListener("dragleave", (event) => {
    if (event.relatedTarget === null) dropTarget.hidden = true;
  });
  window.addEventListener("drop", (event) => {
    event.preventDefault();
    dropTarget.hidden = true;
    if (event.dataTransfer && event.dataTransfer.files.length > 0) {
      openFiles(event.dataTransfer.files);
    }
  });
  fileInput.addEventListener("change", () => {
    const files = [...fileInput.files];
    fileInput.value = "";  // the same files chosen again open again
    openFiles(files);
  });
  for (const button of document.querySelectorAll(".reload-button")) {
    button.addEventListener("click", () => location.reload());
  }
  window.addEventListener("error", (event) => {
    if (current) waitForFile(`The player stopped with an error: ${event.message}.`);
  });

  if (pageAddress.notes.length > 0) {
    const note = document.getElementById("address-note");
    note.textContent = pageAddress.notes.join(" ");
    note.hidden = false;
  }
  programLoader.load(program).then((files) => {
    loaded = files;
    record.loadedAt = performance.now();
    if (typeof siteOffline === "object") siteOffline.register();
    if (waitingFiles) return openFiles(waitingFiles);
    if (pageAddress.file) return openAddress(pageAddress.file);
    setState("waiting");
  }).catch(loadFailed);
})();
