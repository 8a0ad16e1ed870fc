#pragma once
// What the capture tool asks of the system it runs on; each build has its
// own file (capture_system_sdl.cpp, capture_system_win32.cpp).
#include <filesystem>
#include <string>

// Asks the platform for a GL window nobody sees and for no message boxes
// (their texts still go to standard error). Call before the window opens.
void requestHiddenWindow();
// Frames are read back, never presented: no waiting for a display. Call
// with the GL context current.
void neverWaitForDisplay();
// A GL entry point of the current context by name; null when it has none.
void* glEntryPoint(const char* name);
// This program's own file; empty, with `error` set, when it cannot tell.
std::filesystem::path thisProgramFile(std::string& error);
