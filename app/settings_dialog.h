#pragma once
// The settings dialog shown before the window when askSettings is on: the
// screen resolution, music, windowed mode and the brightening layer.
#include <map>

// Control identifiers, as the dialog's callers and tests name them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kId800x600 = 1002;
inline constexpr int kId1024x768 = 1003;
inline constexpr int kId512x384 = 1004;
inline constexpr int kIdMusic = 1011;
inline constexpr int kIdWindowed = 1012;
inline constexpr int kIdOverlay = 1013;

// The dialog's own window, in pixels.
inline constexpr int kSettingsDialogWidth = 380;
inline constexpr int kSettingsDialogHeight = 250;
inline constexpr const char* kSettingsDialogTitle = "Brontavik settings";

// What the controls show.
struct SettingsControls {
    bool res800x600 = false;  // radio pair with res1024x768
    bool res1024x768 = false;
    bool res512x384 = false;
    bool music = false;
    bool windowed = false;
    bool overlay = false;

    bool isChecked(int id) const;
};

// The controls as the dialog opens: 1024 by 768 selected, music on.
SettingsControls initialSettingsControls();

// OK: reads the controls into the start-up options and fullscreen, in this
// order: 1003 on sets highResolution, 1002 on clears it, 1004 on sets
// lowResolution, then music, fullscreen (windowed off) and the layer.
void applySettingsControls(const SettingsControls& controls);

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
