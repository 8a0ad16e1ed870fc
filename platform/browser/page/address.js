// What the page's address asks for, read in this one place: the page and
// the program ask pageAddress, never location.search.
//   ?at=SECONDS   draw that one time and hold it (0 or more): the show's
//                 scene time, or the 3DS scene's on view.html
//   ?file=URL     view.html: the 3DS file to open, its pictures beside it
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
    notes.push("?at= takes a time in seconds, 0 or more; it plays from the start instead.");
    return null;
  }

  const file = (query.get("file") || "").trim() || null;

  return Object.freeze({at: sceneTime(), file, notes: Object.freeze(notes)});
})();
