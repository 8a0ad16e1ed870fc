#pragma once
// What the browser platform asks of the page around the canvas (index.html
// and page.js): title, fullscreen, cursor, message-box overlay, the canvas's
// size in device pixels, what went wrong, and the states of the show. Each
// is a no-op where the page offers none.
extern "C" {
void pageSetTitle(const char* title);
// True when the page can show the canvas full-screen: through the
// Fullscreen API, or by filling the window where the browser has none.
int pageFullscreenAvailable();
// Asks the page to enter or leave full screen; through the Fullscreen API
// the answer comes later as a fullscreenchange event.
void pageSetFullscreen(int on);
// True when the last exit from full screen was asked for by the page (its
// control or key, or pageSetFullscreen), not the browser's Escape.
int pageFullscreenLeftByPage();
void pageFocusCanvas();
void pageSetCursorHidden(int hidden);
// The message box over the canvas, with the program's exact caption and text.
void pageMessageBox(const char* caption, const char* text);
// Says what failed, in words for the viewer, and what they can do; shown
// over the show while it plays and with the end state after.
void pageProblem(const char* what, const char* advice);
// The show is initialised and waits for the viewer's start gesture.
void pageShowReady();
// The graphics context was lost (1) and is waited for, or is back (0).
void pageGraphicsLost(int lost);
// The canvas's displayed size in device pixels, at most the largest
// drawing buffer its context allows (at the canvas's shape); 0 when the
// page cannot tell.
int pageCanvasPixels(int* width, int* height);
// The size the canvas's drawing buffer was given (a browser may give less
// than asked for).
void pageDrawingBufferSize(int* width, int* height);
// The show is over: the page blacks the canvas and offers to play again.
void pageShowEnded(int exitCode);
// A frame was drawn; `passMilliseconds` is what the program spent on it,
// at these demo and scene times.
void pageFrameDone(double passMilliseconds, double demoTime, double sceneTime);
// The scene time the page's address asks for (?at=SECONDS) into
// `seconds`; 0 without one.
int pageSceneTime(double* seconds);
// The one frame at that scene time is drawn and held.
void pageStillShown();
// The sync editor the page's address names (?sync=ws://HOST:PORT): its host
// (an IPv6 address in brackets) into `host`, `capacity` bytes with the
// terminating NUL, and its port; 0 without one.
int pageSyncEditor(char* host, int capacity, int* port);
// For ?tracks=URL: the folder of the program's file system the page wrote
// the fetched track files into, and the address they came from, each into
// `capacity` bytes; 0 without one.
int pageTracksFolder(char* folder, char* address, int capacity);
}
