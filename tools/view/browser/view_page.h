#pragma once
// What brontavik-view's program tells view.html (view-page.js), the page
// that writes the dropped or chosen files into its file system and runs it.
extern "C" {
// The file is loaded: `pictures` are the pictures its materials name
// (texture and bump maps), one a line, for a page that fetches them
// before the textures are made.
void viewPageOpened(const char* pictures);
// The loader refused the file: its one-line reason.
void viewPageRefused(const char* reason);
// One warning line (a picture that cannot be had), as the desktop prints it.
void viewPageWarning(const char* line);
// A frame was drawn, with the title line it shows and the time the
// program spent on it.
void viewPageFrameDone(const char* title, double passMilliseconds);
// The viewer ended the scene (Escape).
void viewPageClosed();
// Whether a key pressed now is the player's: not while a control of the
// page (a button, the file chooser) has the focus.
int viewPageTakesKeys();
}
