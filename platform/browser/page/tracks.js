// The exported tracks of ?tracks=URL (address.js): the page fetches the
// file of each of the program's tracks (sync_NAME.track, the names the
// program gives) from that folder and writes them into the program's file
// system before its main runs; the program reads that folder as
// brontavik-capture --tracks reads one, and names a damaged file. A file the
// server does not have is a track without keys; one it will not give, or a
// folder the page may not read, is a LoadProblem naming it. The files are
// fetched once, for every play of the page.
"use strict";
const exportedTracks = (() => {
  const folderInProgram = "/tracks";
  let fetched = null;

  async function fetchOne(folder, name) {
    const address = new URL(name, folder).href;
    const {LoadProblem, advice} = programLoader;
    // Browsers do not let a page read files from disk: no use asking.
    if (new URL(folder).protocol === "file:") {
      throw new LoadProblem(`This page was opened from disk, and the browser does not let a ` +
                            `page read the track files from disk (${address}).`,
                            "Serve the folder of the page and the tracks: run this command in " +
                            "it, then open the page from http://127.0.0.1:8000/.",
                            "python3 -m http.server --bind 127.0.0.1 8000");
    }
    let response;
    try {
      // Never an old copy: the maker exports again and reloads.
      response = await fetch(address, {cache: "no-cache"});
    } catch (e) {
      throw new LoadProblem(`The track file ${address} could not be loaded: the connection ` +
                            "failed.", "Check the address. A folder on another site must " +
                            "let this page read it (CORS).");
    }
    if (response.status === 404) return null;
    if (!response.ok) {
      throw new LoadProblem(`The track file ${address} could not be loaded: the server ` +
                            `answered ${response.status}` +
                            (response.statusText ? ` ${response.statusText}` : "") + ".",
                            advice.download);
    }
    return new Uint8Array(await response.arrayBuffer());
  }

  // Writes the track files of the folder at `folder` into `module`'s file
  // system. Resolves to what the program's page hook tells it: the folder
  // in the program, the address the files came from, and how many there were.
  async function writeInto(module, folder) {
    const names = module.UTF8ToString(module._brontavikTrackFiles()).split("\n")
                      .filter((name) => name !== "");
    if (!fetched) fetched = Promise.all(names.map((name) => fetchOne(folder, name)));
    const files = await fetched;
    module.FS.mkdir(folderInProgram);
    let found = 0;
    files.forEach((bytes, i) => {
      if (bytes === null) return;
      module.FS.writeFile(`${folderInProgram}/${names[i]}`, bytes);
      found += 1;
    });
    return Object.freeze({folder: folderInProgram, address: folder, found});
  }

  return Object.freeze({writeInto});
})();
