#pragma once
// The settings dialog of the desktop build, shown before the window when
// askSettings is on: Dear ImGui in a small SDL window of its own, with the
// controls of app/settings_controls.h.
#include <map>

#include "app/settings_controls.h"

// The dialog's own window, in pixels.
inline constexpr int kSettingsDialogWidth = 380;
inline constexpr int kSettingsDialogHeight = 250;
inline constexpr const char* kSettingsDialogTitle = "Brontavik settings";

enum class SettingsAction { None, Ok, Cancel };

// Where a control was drawn, in window pixels.
struct ControlRect {
    float x = 0, y = 0, width = 0, height = 0;
};

// Builds one Dear ImGui frame of the dialog's content (between NewFrame and
// Render, a context current) and returns the button pressed in it. When
// `rects` is given, each control's rectangle is recorded by identifier.
SettingsAction drawSettingsDialog(SettingsControls& controls,
                                  std::map<int, ControlRect>* rects = nullptr);

// Sets up the dialog's look (style and font) on the current ImGui context.
void styleSettingsDialog();

// Shows the dialog in a small window of its own and waits for the user.
// OK (or Enter) applies the controls; Cancel (Escape, or closing the window)
// ends the process with exit code 0. When no window can be shown the
// options stay as they are and a note goes to standard error.
void runSettingsDialog();
