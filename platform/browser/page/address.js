// What the page's address asks for, read in this one place: the page and
// the program ask pageAddress, never location.search.
//   ?at=SECONDS   draw that one scene time and hold it (0 or more)
// A value the page cannot use is left out, with a note for the viewer.
"use strict";
const pageAddress = (() => {
  const query = new URLSearchParams(location.search);
  const notes = [];

  function sceneTime() {
    const text = query.get("at");
    if (text === null) return null;
    const value = Number(text);
    if (text.trim() !== "" && Number.isFinite(value) && value >= 0) return value;
    notes.push("?at= takes a scene time in seconds, 0 or more; the whole show plays instead.");
    return null;
  }

  return Object.freeze({at: sceneTime(), notes: Object.freeze(notes)});
})();
