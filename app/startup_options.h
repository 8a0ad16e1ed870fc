#pragma once
// Start-up options: fixed values of the program that only the settings
// dialog may change before the window opens.
inline bool askSettings = false;
inline bool highResolution = false;
inline bool lowResolution = false;
inline bool musicEnabled = true;
inline bool overlayEnabled = false;
