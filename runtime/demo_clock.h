#pragma once
// The demo clock and the music: the clock runs on the performance counter
// and every frame is pulled 5 % of the way towards the music's playback
// position, so picture and sound stay together without the clock jumping.
#include <cstdint>

#include "platform/sound_system.h"
#include "runtime/show_clock.h"

// Seconds accumulated by timerRead since timerStart.
extern double timerTotal;
// Performance-counter value at the previous reading.
extern std::int64_t timerLastCount;
// Timer reading that ends the previous time step.
extern double lastFrameTime;
// Time step of the current frame, seconds, after the music correction, and
// the demo clock, seconds since the end of initialisation: the fields of the
// program's clock record under the names the clock's steps use.
inline double& frameDelta = showClock.frameDelta;
inline double& demoTime = showClock.demoTime;
// The loaded music and the spectrum analyser unit.
extern platform::SampleHandle musicSample;
extern platform::DspUnitHandle fftUnit;

inline constexpr const char* kMusicFile = "music/music.ogg";
inline constexpr int kMixRate = 44100;
inline constexpr int kSoftwareChannels = 32;
// The correction gain is a single-precision 0.05 (0.05000000074505806).
inline constexpr double kClockCorrectionGain = static_cast<double>(0.05f);

void timerStart();
double timerRead();
// Starts the sound system and the music; ends the process when either fails.
void startMusic();
void startClock();
// Sets frameDelta and advances demoTime by one frame.
void stepDemoClock();
// Volume 0 to 255 for everything playing.
void setMusicVolume(int level);
void closeMusic();
// Moves the music to `time` seconds (at the fixed rate 44100); the start-position
// facility calls it with the demo time.
void repositionMusic(double time = demoTime);
// The music's current 512-value spectrum.
const float* musicSpectrum();
