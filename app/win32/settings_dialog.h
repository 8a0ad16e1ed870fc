#pragma once
// The settings dialog of the Windows build: the dialog resource 101
// (resources/settings_dialog.rc) with the controls of
// app/settings_controls.h, run by DialogBoxParamA with settingsDialogProc:
// it opens with the initial controls; OK applies them to the start-up
// options and closes; Cancel closes and ends the process with exit code 0.

inline constexpr int kSettingsDialogResource = 101;

// The module whose resources hold the dialog (WinMain's instance).
void setSettingsDialogInstance(void* instance);

// Shows the dialog modally and waits for the user; the hook WinMain calls.
// When it cannot be shown the options stay as they are and a note goes to
// standard error.
void showSettingsDialog();
