// The site offline: registers its service worker (service-worker.js, made
// by the build with the list of the site's files), which keeps every file
// of this build, so that after one visit the site plays with the network
// off. A page calls siteOffline.register() once its own files have arrived,
// so the worker's copies come from the browser's cache rather than a second
// download. Only a page served over HTTP(S) has a site to keep: a page
// opened from disk, or a browser without service workers (plain HTTP other
// than to this machine), plays as before, online only.
"use strict";
const siteOffline = (() => {
  let registration = null;
  function register() {
    if (registration || !("serviceWorker" in navigator) || !/^https?:$/.test(location.protocol)) {
      return;
    }
    registration = navigator.serviceWorker.register("service-worker.js", {updateViaCache: "none"})
        .catch((e) => console.warn(`The show will not be kept for offline play: ${e.message}`));
  }
  return Object.freeze({register});
})();
