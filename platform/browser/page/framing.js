// The canvas framed in the stage: the largest 4:3 rectangle that fits,
// centred, never stretched, in any window shape, portrait included. Its
// size and place are whole device pixels that the layout gives exactly,
// and exactly 4:3 (a 390 CSS pixel wide phone at 3 device pixels to the CSS
// pixel gets 1164 by 873, 388 by 291 CSS pixels, not 1170 by 877.5), so
// that the drawing buffer the program gives it (as many pixels as the
// rectangle covers) is shown one to one and the picture in it needs no bar
// of its own. page.css frames it the same way in CSS pixels,
// before this runs or without it.
"use strict";
function frameCanvas(stage, canvas) {
  // Whether `devicePixels` is a length the layout can give exactly: it
  // counts CSS pixels in 64ths, and a canvas placed or sized a fraction
  // of a device pixel off is resampled on the screen.
  const exact = (devicePixels, ratio) =>
    Math.abs(Math.round(devicePixels / ratio * 64) / 64 * ratio - devicePixels) < 1e-6;
  // The largest of at most `count` and the first that `fits`, going down
  // no further than a twentieth; the largest where none fits.
  const largestExact = (count, fits) => {
    for (let n = count; n >= Math.max(1, count - Math.ceil(count / 20)); n--) if (fits(n)) return n;
    return count;
  };

  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const room = stage.getBoundingClientRect();
    const roomWidth = Math.round(room.width * ratio);
    const roomHeight = Math.round(room.height * ratio);
    // Exactly 4:3: a whole number of 4 by 3 blocks.
    const most = Math.max(1, Math.min(Math.floor(roomWidth / 4), Math.floor(roomHeight / 3)));
    const blocks = largestExact(most, (n) => exact(4 * n, ratio) && exact(3 * n, ratio));
    const [width, height] = [4 * blocks, 3 * blocks];
    const centre = (free) => largestExact(Math.floor(free / 2), (n) => exact(n, ratio));
    const place = (value) => `${value / ratio}px`;
    Object.assign(canvas().style, {
      position: "absolute",
      left: place(centre(roomWidth - width)),
      top: place(centre(roomHeight - height)),
      width: place(width),
      height: place(height),
    });
  }

  if (typeof ResizeObserver === "function") new ResizeObserver(fit).observe(stage);
  window.addEventListener("resize", fit);
  // A window moved to a screen of another density keeps its CSS size.
  (function watchDensity() {
    matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`)
        .addEventListener("change", () => { fit(); watchDensity(); }, {once: true});
  })();
  fit();
  return fit;
}
