// The site's service worker. The build writes `build` below: every file of
// the site with its SHA-256 (as a Subresource Integrity value) and a version
// drawn from all of them, so each build is a new version and the browser,
// which compares this script with the server's on each visit, installs it.
//
// Installing keeps every file of the build in a cache of that version, each
// checked against its hash; only a complete set replaces the previous one.
// While the network answers, every file comes from it, revalidated, so an
// update is never served stale; when it does not, from the kept set. Other
// requests (other sites, files outside the list) are left to the browser.
"use strict";
const build = {"version": "", "files": {}};  // written by the build

const scope = new URL(self.registration.scope);
const cachePrefix = `brontavik ${scope.pathname} `;
const cacheName = cachePrefix + build.version;

// The listed file a request asks for (the scope's folder is index.html), or null.
function listedFile(url) {
  const address = new URL(url);
  if (address.origin !== scope.origin || !address.pathname.startsWith(scope.pathname)) return null;
  const name = decodeURIComponent(address.pathname.slice(scope.pathname.length)) || "index.html";
  return Object.hasOwn(build.files, name) ? name : null;
}

// A file checked against its hash: revalidated against the browser's cache
// first (the page has just downloaded it), downloaded afresh if that copy
// is not this build's.
async function fetchChecked(name) {
  const integrity = build.files[name];
  let response;
  try {
    response = await fetch(name, {cache: "no-cache", integrity});
  } catch (e) {
    response = await fetch(name, {cache: "reload", integrity});
  }
  if (!response.ok) throw new Error(`${name}: the server answered ${response.status}`);
  return response;
}

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const responses = await Promise.all(Object.keys(build.files).map(fetchChecked));
    const cache = await caches.open(cacheName);
    await Promise.all(Object.keys(build.files).map((name, i) => cache.put(name, responses[i])));
    await self.skipWaiting();
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(cachePrefix) && name !== cacheName) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

self.addEventListener("fetch", (event) => {
  const request = event.request;
  const name = request.method === "GET" ? listedFile(request.url) : null;
  if (name === null) return;
  event.respondWith((async () => {
    try {
      return await fetch(request.url, {cache: "no-cache", credentials: "same-origin"});
    } catch (offline) {
      const kept = await caches.open(cacheName).then((cache) => cache.match(name));
      if (kept) return kept;
      throw offline;
    }
  })());
});
