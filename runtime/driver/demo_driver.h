#pragma once
// Demo initialisation and the per-frame driver with the end of the demo.
#include <functional>

class ScenePart;

inline ScenePart* sceneParts[1] = {};
inline bool ending = false;
inline double fadeStart = -1.0;
inline double fadeRate = static_cast<double>(0.35f);
inline int frameCount = 0;
inline int startPosition = -4;
inline bool frameLogEnabled = false;

inline constexpr double endTime = 81.0;
inline constexpr double fadeEndThreshold = static_cast<double>(0.999f);
inline constexpr const char* kFrameLogFile = "partdemotake4-5200.log";

// Releases the window, its GL context and the display mode when the fade-out
// is complete. The application shell, which owns the window, installs its
// release here when it creates the window; the driver sits below it.
inline void (*windowRelease)() = nullptr;

// Runs once with the window's GL context current: offscreen buffer, card
// detection, film texture, the main scene and its textures, hidden cursor,
// music, clock, timeline, frame-rate log, demo time 0.
void initDemo();
// Draws one frame into the back buffer with the clock on the timer and the
// music; ends the process when the fade-out is complete.
void drawFrame();
// One frame of the show, the same for the program and the capture tool:
// `advanceClock` sets frameDelta and advances demoTime (the program steps by
// the timer and the music, the capture tool by a fixed step); then the
// statistics, the timeline, the scene, the end test, the title, the fade and
// the brightening layer. Returns false when the fade-out is complete: that
// last, black frame is not to be shown and the show ends.
bool drawShowFrame(const std::function<void()>& advanceClock);

// The fade level at demo time `time` of a fade that began at `start`, 0 to 1.
double fadeLevel(double time, double start);
// One fade-out step (volume and darkening layer); returns the fade level,
// 0 to 1. The caller ends the show when it passes fadeEndThreshold.
double fadeOutStep();
// Multiplies every pixel of the picture by (1 - level).
void drawFadeLayer(double level);
// Adds 0.018 to every colour channel (behind overlayEnabled).
void drawBrighteningLayer();
