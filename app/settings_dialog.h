#pragma once
// The settings dialog shown before the window when askSettings is on.
void runSettingsDialog();
