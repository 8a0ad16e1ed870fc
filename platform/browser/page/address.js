// What the page's address asks for, read in this one place: the page and
// the program ask pageAddress, never location.search.
//   ?at=SECONDS      draw that one time and hold it (0 or more): the show's
//                    scene time, or the 3DS scene's on view.html
//   ?file=URL        view.html: the 3DS file to open, its pictures beside it
//   ?sync=ws://HOST:PORT
//                    the makers' run, connected to a sync editor's WebSocket
//                    (HOST:PORT alone means ws://HOST:PORT; without a port,
//                    or with no value at all, GNU Rocket's editor's port 1339
//                    on HOST or 127.0.0.1)
//   ?tracks=URL      the makers' run, playing the track files exported into
//                    the folder at URL (relative to the page; empty: sync/)
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

  // {host, port}: the host as a URL writes it (an IPv6 address in brackets).
  function syncEditor() {
    const text = query.get("sync");
    if (text === null) return null;
    let given = text.trim() || "127.0.0.1";
    if (!given.includes("://")) given = "ws://" + given;
    let address = null;
    try {
      address = new URL(given);
    } catch (e) {
      // named below
    }
    if (address && address.protocol === "ws:" && address.hostname !== "" &&
        address.username === "" && address.password === "") {
      // A URL elides port 80, the scheme's own: only a port written out counts.
      const written = /^ws:\/\/(\[[^\]]*\]|[^/?#:]*):\d+/i.test(given);
      return Object.freeze({host: address.hostname,
                            port: written ? Number(address.port || 80) : 1339});
    }
    notes.push("?sync= takes a sync editor's WebSocket address, ws://HOST:PORT (GNU Rocket's " +
               "editor listens on port 1339); the show plays without an editor.");
    return null;
  }

  // The folder's address, ending in "/".
  function tracksFolder() {
    const text = query.get("tracks");
    if (text === null) return null;
    try {
      const folder = new URL(text.trim() || "sync/", location.href);
      if (["http:", "https:", "file:"].includes(folder.protocol)) {
        if (!folder.pathname.endsWith("/")) folder.pathname += "/";
        folder.search = "";
        folder.hash = "";
        return folder.href;
      }
    } catch (e) {
      // named below
    }
    notes.push("?tracks= takes the address of a folder of exported track files; the show " +
               "plays without them.");
    return null;
  }

  const at = sceneTime();
  const file = (query.get("file") || "").trim() || null;
  let sync = syncEditor();
  let tracks = tracksFolder();
  if (at !== null && (sync !== null || tracks !== null)) {
    notes.push("?at= draws one moment of the show as it ships: ?sync= and ?tracks= are left out.");
    sync = tracks = null;
  } else if (sync !== null && tracks !== null) {
    notes.push("With ?sync= the editor holds the keys: ?tracks= is left out.");
    tracks = null;
  }
  return Object.freeze({at, file, sync, tracks, notes: Object.freeze(notes)});
})();
