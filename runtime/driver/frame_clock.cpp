#include "runtime/driver/frame_clock.h"

#include "runtime/demo_clock.h"
#include "runtime/driver/demo_driver.h"

double frameTime(long frame, FrameRate rate) {
    return static_cast<double>(frame * rate.divisor) / rate.fps;
}

long fadeStartFrame(FrameRate rate) {
    // The same comparison the frame driver makes, on the same times.
    long frame = static_cast<long>(endTime * rate.fps / rate.divisor);
    while (frame > 0 && frameTime(frame - 1, rate) > endTime) --frame;
    while (!(frameTime(frame, rate) > endTime)) ++frame;
    return frame;
}

long showFrameCount(FrameRate rate) {
    const long start = fadeStartFrame(rate);
    const double fadeStart = frameTime(start, rate);
    long frame = start;
    while (!(fadeLevel(frameTime(frame, rate), fadeStart) > fadeEndThreshold)) ++frame;
    return frame;
}

FrameMoment frameMoment(long frame, FrameRate rate) {
    FrameMoment moment;
    if (frame == 0) return moment;
    const long fade = fadeStartFrame(rate);
    moment.before = frameTime(frame - 1, rate);
    moment.step = frameTime(frame, rate) - moment.before;
    moment.ending = frame > fade;
    moment.fadeStart = frame > fade ? frameTime(fade, rate) : -1.0;
    return moment;
}

bool drawFrameAtMoment(const FrameMoment& moment, const FrameShaper& shape) {
    demoTime = moment.before;
    showClock.sceneTime = moment.before;
    ending = moment.ending;
    fadeStart = moment.fadeStart;
    const double step = moment.step;
    return drawShowFrame(
        [step] {
            frameDelta = step;
            demoTime += step;
            showClock.sceneTime += step;
        },
        shape);
}

FrameMoment stillMoment(double at) {
    FrameMoment moment;
    moment.step = at;
    if (at > endTime) {
        moment.ending = true;
        moment.fadeStart = fadeStartAtFrameRate(60);
    }
    return moment;
}

double fadeStartAtFrameRate(int fps) {
    const FrameRate rate{fps, 1};
    return frameTime(fadeStartFrame(rate), rate);
}
