#pragma once
// The demo window, its display mode and its GL context.

// Opens the window with its GL context and runs the demo initialisation;
// false (after telling the user why) when anything fails. The show's window
// stays above all others; a maker's (`onTop` false) is an ordinary one.
bool createMainWindow(const char* title, int width, int height, int bitsPerPixel,
                      bool fullscreenRequested, bool onTop = true);
bool setupGlState();
// The viewport always covers the 800 by 600 window; the projection uses the
// size passed (height 0 taken as 1).
void resizeViewport(int width, int height);
// Releases everything in reverse order; failures are reported and the
// release goes on.
void releaseMainWindow();
