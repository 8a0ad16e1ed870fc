#include "app/edit/edit_clock.h"

#include <algorithm>
#include <cmath>

#include "platform/sound_system.h"
#include "runtime/demo_clock.h"
#include "runtime/driver/demo_driver.h"
#include "runtime/driver/frame_clock.h"
#include "runtime/show_clock.h"
#include "runtime/startup_options.h"
#include "sync/show_tracks.h"

namespace {

// The fade of a run that reaches the end time: as in a still past it, the
// first frame past 81 s at 60 frames a second.
double fadeBegins() {
    static const double time = fadeStartAtFrameRate(60);
    return time;
}

}  // namespace

double EditClock::holdTime() {
    // A little before the level passes the threshold, so the frame is drawn.
    return fadeBegins() + 0.998 / fadeRate;
}

void EditClock::start() {
    showClock.demoTime = 0.0;
    showClock.sceneTime = 0.0;
    if (musicEnabled) platform::soundSystem().setPaused(0, false);
    setFade();
}

void EditClock::advance() {
    if (endRequested_) {
        // The show's own ending: the driver keeps the fade's start.
        stepDemoClock();
        showClock.sceneTime = showClock.demoTime;
        return;
    }
    if (paused_ || held_) {
        // The clock stands; the step is still the time the frame took (the
        // title's frame rate counts it), and playing on does not jump.
        const double now = timerRead();
        showClock.frameDelta = std::max(now - lastFrameTime, 0.0);
        lastFrameTime = now;
    } else {
        stepDemoClock();
        if (looping_ && showClock.demoTime >= loopEnd_) moveTo(loopStart_);
        if (showClock.demoTime >= holdTime()) {
            moveTo(holdTime());
            setPaused(true);
        }
    }
    held_ = false;
    showClock.sceneTime = showClock.demoTime;
    setFade();
}

void EditClock::setFade() {
    const bool fading = showClock.demoTime > endTime;
    showClock.ending = fading;
    showClock.fadeStart = fading ? fadeBegins() : -1.0;
    // Back before the fade, the music is at full volume again.
    if (!fading && faded_ && musicEnabled) setMusicVolume(255);
    faded_ = fading;
}

void EditClock::setPaused(bool paused) {
    if (endRequested_ || paused == paused_) return;
    paused_ = paused;
    if (!musicEnabled) return;
    platform::soundSystem().setPaused(0, paused);
    // Paused, the music is put where the picture is, so both go on together.
    if (paused) placeMusic(showClock.demoTime);
}

void EditClock::seek(double time) {
    if (endRequested_) return;
    if (!(time > 0.0)) time = 0.0;  // also a time that is not a number
    moveTo(std::min(time, holdTime()));
    held_ = true;
}

void EditClock::moveTo(double time) {
    showClock.demoTime = time;
    showClock.sceneTime = time;
    showClock.frameDelta = 0.0;
    placeMusic(time);
    setFade();
}

void EditClock::placeMusic(double time) {
    if (!musicEnabled) return;
    platform::SoundSystem& sound = platform::soundSystem();
    // Music that has played to its end is started again to be placed.
    if (sound.frequency(0) == 0 && musicSample != nullptr) {
        sound.playSound(platform::kSoundFree, musicSample);
        if (paused_) sound.setPaused(0, true);
    }
    repositionMusic(time);
}

void EditClock::mark() {
    marks_[0] = marks_[1];
    marks_[1] = showClock.demoTime;
}

bool EditClock::toggleLoop() {
    if (looping_) {
        looping_ = false;
        return true;
    }
    if (!marks_[0] || !marks_[1] || *marks_[0] == *marks_[1]) return false;
    loopStart_ = std::min(*marks_[0], *marks_[1]);
    loopEnd_ = std::max(*marks_[0], *marks_[1]);
    looping_ = true;
    return true;
}

void EditClock::requestEnd() {
    if (endRequested_) return;
    if (paused_) setPaused(false);
    endRequested_ = true;
    looping_ = false;
    // The show's fade-out from here, begun by the driver on the next frame;
    // one that already runs goes on.
    if (!showClock.ending) showClock.fadeStart = -1.0;
    showClock.ending = true;
}

double EditClock::time() const {
    return showClock.demoTime;
}

std::uint32_t EditClock::row() const {
    return static_cast<std::uint32_t>(std::floor(rowAtTime(showClock.demoTime)));
}
