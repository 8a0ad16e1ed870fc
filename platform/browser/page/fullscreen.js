// The stage full-screen, asked for by the corner control, the F key or the
// program: through the Fullscreen API where the page may use it (WebKit's
// prefixed one in older Safari); where it may not (iPhone Safari, a frame
// embedded without allow="fullscreen", a request the browser refuses), the
// stage fills the window, or the frame, instead. The control shows while the
// pointer moves over the stage or after a touch, and hides again after a
// moment while the page says so (a playing show).
"use strict";
// `key` names the page's full-screen key in the control's label (none: null).
function makeFullscreen(stage, button, onChange = () => {}, key = "F") {
  const api = {
    enabled: () => Boolean((document.fullscreenEnabled || document.webkitFullscreenEnabled) &&
                           (stage.requestFullscreen || stage.webkitRequestFullscreen)),
    element: () => document.fullscreenElement || document.webkitFullscreenElement || null,
    request: () => (stage.requestFullscreen || stage.webkitRequestFullscreen).call(stage),
    exit: () => (document.exitFullscreen || document.webkitExitFullscreen).call(document),
  };
  let filled = false;
  let leavingByPage = false;   // an exit the page asked for is under way
  let lastExitByPage = false;  // the last exit was the page's own, not the browser's

  const mode = () => (api.element() === stage ? "fullscreen" : filled ? "filled" : "off");

  function update() {
    const on = mode() !== "off";
    const label = (on ? "Leave full screen" : "Full screen") + (key ? ` (${key})` : "");
    button.setAttribute("aria-pressed", String(on));
    button.setAttribute("aria-label", label);
    button.title = label;
    document.documentElement.classList.toggle("filled", filled);
    onChange(mode());
  }

  function fill(on) {
    filled = on;
    update();
  }

  function enter() {
    if (mode() !== "off") return;
    if (!api.enabled()) return fill(true);
    try {
      Promise.resolve(api.request()).catch(() => fill(true));
    } catch (e) {
      fill(true);
    }
  }

  function exit() {
    if (filled) return fill(false);
    if (!api.element()) return;
    leavingByPage = true;
    try {
      Promise.resolve(api.exit()).catch(() => { leavingByPage = false; });
    } catch (e) {
      leavingByPage = false;
    }
  }

  const toggle = () => (mode() === "off" ? enter() : exit());

  // The page's listeners run before the program's (registered later), so
  // the program can ask whether an exit was the page's.
  for (const name of ["fullscreenchange", "webkitfullscreenchange"]) {
    document.addEventListener(name, () => {
      if (!api.element()) {
        lastExitByPage = leavingByPage;
        leavingByPage = false;
      }
      update();
    });
  }

  let sleep = null;
  function wake() {
    stage.classList.add("awake");
    clearTimeout(sleep);
    sleep = setTimeout(() => stage.classList.remove("awake"), 2500);
  }
  stage.addEventListener("pointermove", wake);
  stage.addEventListener("pointerdown", wake);
  button.addEventListener("click", (event) => {
    event.stopPropagation();
    toggle();
    if (event.detail > 0) button.blur();  // a click, not Enter: keys stay with the show
  });
  update();

  return Object.freeze({
    mode,
    enter,
    exit,
    toggle,
    // True when the last time the stage left full screen, the page asked
    // for it (the control, the F key, the program), not the viewer's Escape.
    leftByPage: () => lastExitByPage,
    // The F key (no modifier, not a repeat) toggles; true when it did.
    handleKey(event) {
      if (event.type !== "keydown" || event.repeat || event.ctrlKey || event.altKey ||
          event.metaKey || (event.key !== "f" && event.key !== "F")) return false;
      event.preventDefault();
      toggle();
      return true;
    },
  });
}
