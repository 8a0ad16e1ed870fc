#pragma once
// Start-up options: fixed values of the program that only the settings
// dialog may change before the window opens. The application shell sets
// them; the clock and the frame driver read them, so they live down here.
// Off as shipped; a build configured with -DBRONTAVIK_ASK_SETTINGS=ON defines
// BRONTAVIK_ASK_SETTINGS for every file and shows the dialog.
#ifdef BRONTAVIK_ASK_SETTINGS
inline bool askSettings = true;
#else
inline bool askSettings = false;
#endif
inline bool highResolution = false;
inline bool lowResolution = false;
inline bool musicEnabled = true;
inline bool overlayEnabled = false;
