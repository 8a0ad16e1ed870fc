#pragma once
// The settings dialog's controls and what OK does with them, whatever
// draws the dialog: the identifiers, the state the dialog opens with, and
// the start-up options it writes.

// Control identifiers, as the dialog's callers and tests name them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kId800x600 = 1002;
inline constexpr int kId1024x768 = 1003;
inline constexpr int kId512x384 = 1004;
inline constexpr int kIdMusic = 1011;
inline constexpr int kIdWindowed = 1012;
inline constexpr int kIdOverlay = 1013;

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
