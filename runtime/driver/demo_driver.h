#pragma once
// Demo initialisation and the per-frame driver with the end of the demo.
#include <functional>

#include "runtime/show_clock.h"
#include "sync/show_parameters.h"

class ScenePart;

inline ScenePart* sceneParts[1] = {};
// The program's clock record's fade fields under the driver's names.
inline bool& ending = showClock.ending;
inline double& fadeStart = showClock.fadeStart;
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
// The show's own clock for one frame: the demo clock's step (timer and
// music), and the scene time advanced by it.
void stepShowClock();

// Sets what a maker shaped for the frame whose clock record has just been
// set: the scene time drawn and the show's parameters.
using FrameShaper = std::function<void(ShowClock& clock, ShowParameters& parameters)>;

// One frame of the show, the same for the program, the capture tool and the
// makers' player: `advanceClock` sets the program's clock record (the
// program steps by the timer and the music, the capture tool by a fixed
// step, a player as it is told), `shape`, when given, shapes the frame; then
// the statistics, the timeline, the scene, the brightness, the end test, the
// title, the fade and the brightening layer. Returns false when the fade-out
// is complete: that last, black frame is not to be shown and the show ends.
bool drawShowFrame(const std::function<void()>& advanceClock, const FrameShaper& shape = {});

// The fade level at demo time `time` of a fade that began at `start`, 0 to 1.
double fadeLevel(double time, double start);
// One fade-out step (volume and darkening layer); returns the fade level,
// 0 to 1. The caller ends the show when it passes fadeEndThreshold.
double fadeOutStep();
// Multiplies every pixel of the picture by (1 - level).
void drawFadeLayer(double level);
// Multiplies every pixel of the picture by `factor` (0 or more; 1 changes
// nothing and draws nothing).
void drawBrightnessLayer(double factor);
// Adds 0.018 to every colour channel (behind overlayEnabled).
void drawBrighteningLayer();
