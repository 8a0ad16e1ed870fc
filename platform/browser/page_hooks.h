#pragma once
// What the browser platform asks of the page around the canvas (index.html
// and page.js): title, fullscreen, cursor, message-box overlay and the end
// state. Each is a no-op where the page offers none.
extern "C" {
void pageSetTitle(const char* title);
// True when the page can show the canvas full-screen (Fullscreen API).
int pageFullscreenAvailable();
// Asks the browser to enter or leave fullscreen; the answer comes later
// as a fullscreenchange event.
void pageSetFullscreen(int on);
void pageFocusCanvas();
void pageSetCursorHidden(int hidden);
// The message box over the canvas, with the program's exact caption and text.
void pageMessageBox(const char* caption, const char* text);
// The show is over: the page blacks the canvas and offers to play again.
void pageShowEnded(int exitCode);
// A frame was drawn; `passMilliseconds` is what the program spent on it.
void pageFrameDone(double passMilliseconds);
// The scene time of the page's ?at=SECONDS into `seconds`; 0 without one.
int pageSceneTime(double* seconds);
// The one frame at that scene time is drawn and held.
void pageStillShown();
}
