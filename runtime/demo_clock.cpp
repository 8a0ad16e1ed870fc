#include "runtime/demo_clock.h"

#include "platform/platform.h"
#include "runtime/startup_options.h"

double timerTotal = 0.0;
std::int64_t timerLastCount = 0;
double lastFrameTime = 0.0;
platform::SampleHandle musicSample = nullptr;
platform::DspUnitHandle fftUnit = nullptr;

void timerStart() {
    timerTotal = 0.0;
    timerLastCount = platform::current().performanceCounter();
}

double timerRead() {
    platform::Platform& p = platform::current();
    std::int64_t count = p.performanceCounter();
    std::int64_t frequency = p.performanceFrequency();
    if (frequency > 0) {
        timerTotal += static_cast<double>(count - timerLastCount) / static_cast<double>(frequency);
    }
    timerLastCount = count;
    return timerTotal;
}

void startMusic() {
    platform::SoundSystem& sound = platform::soundSystem();
    if (!sound.init(kMixRate, kSoftwareChannels, platform::kSoundInitGlobalFocus)) {
        platform::current().messageBox("Problem initializing FMod. \nProgram will now exit.", "   ",
                                       platform::BoxButtons::Ok, platform::BoxIcon::Information);
        platform::current().exitProcess(1);
    }
    musicSample = sound.loadSample(platform::kSoundFree, kMusicFile, platform::kSampleNormal, 0, 0);
    if (musicSample == nullptr) platform::current().exitProcess(0);
    sound.setSampleMode(musicSample, platform::kLoopOff);
    // The channel is not kept: the one sound of the program plays on channel 0.
    sound.playSound(platform::kSoundFree, musicSample);
    fftUnit = sound.fftUnit();
    sound.setDspActive(fftUnit, true);
}

void startClock() {
    timerStart();
    lastFrameTime = timerRead();
}

void stepDemoClock() {
    frameDelta = timerRead() - lastFrameTime;
    lastFrameTime = timerRead();
    if (frameDelta < 0.0) frameDelta = 0.0;
    if (musicEnabled) {
        platform::SoundSystem& sound = platform::soundSystem();
        std::uint32_t samples = sound.currentPosition(0);
        int frequency = sound.frequency(0);
        // A stopped channel reports frequency 0: the timer step stands alone then.
        if (frequency > 0) {
            double musicTime = static_cast<double>(samples) / static_cast<double>(frequency);
            frameDelta += (musicTime - demoTime) * kClockCorrectionGain;
        }
    }
    demoTime += frameDelta;
}

void setMusicVolume(int level) {
    platform::soundSystem().setVolume(platform::kSoundAllChannels, level);
}

void closeMusic() {
    platform::soundSystem().close();
}

void repositionMusic(double time) {
    // The fixed rate, not the channel's; the sample count is unsigned 32-bit.
    double samples = time * static_cast<double>(kMixRate);
    std::uint32_t frame = 0;
    if (samples >= 4294967295.0) {
        frame = 4294967295u;
    } else if (samples > 0.0) {
        frame = static_cast<std::uint32_t>(samples);
    }
    platform::soundSystem().setCurrentPosition(0, frame);
}

const float* musicSpectrum() {
    return platform::soundSystem().spectrum();
}
