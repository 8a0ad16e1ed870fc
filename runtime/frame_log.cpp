#include "runtime/frame_log.h"

#include <cmath>

#include "runtime/render_context.h"

namespace {
// Far more bins than any run needs (over 27 hours of demo time); a longer
// request is treated as none rather than as an attempt at a huge allocation.
constexpr double kMaxFrameSamples = 1.0e6;
}  // namespace

int frameSampleCount(double seconds) {
    const double bins = std::trunc(seconds * 10.0);
    if (!(bins >= 0.0 && bins <= kMaxFrameSamples)) return 0;
    return static_cast<int>(bins);
}

std::unique_ptr<FrameSample[]> makeFrameSamples(int count) {
    auto samples = std::make_unique<FrameSample[]>(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) samples[i] = FrameSample{i * 0.1, 0.0, 0};
    return samples;
}

double frameLogRate(double frameDelta) {
    constexpr double kShortestStep = static_cast<double>(0.00001f);
    return 1.0 / (frameDelta < kShortestStep ? kShortestStep : frameDelta);
}

bool storeFrameSampleIn(FrameSample* samples, int count, double frameRate, double time,
                        std::int32_t aux) {
    // The bin is checked as a double before the conversion, so a time far
    // out of range (or not a number) is dropped instead of overflowing.
    const double bin = std::trunc(time * 10.0);
    if (samples == nullptr || !(bin >= 0.0 && bin < count)) return false;
    samples[static_cast<int>(bin)] = FrameSample{time, frameRate, aux};
    return true;
}

void smoothFrameRates(FrameSample* samples, int count) {
    for (int i = 3; i <= count - 4; ++i) {
        auto v = [&](int k) { return samples[k].frameRate; };
        // Evaluated in this grouping on purpose: the file's figures depend on it.
        samples[i].frameRate = ((10 * v(i) + 2 * v(i + 3) + 3 * v(i + 2) + 6 * v(i + 1)) +
                                (10 * v(i) + 2 * v(i - 3) + 3 * v(i - 2) + 6 * v(i - 1))) *
                               (1.0 / 21.0) * 0.5;
    }
}

void writeFrameSamples(std::ostream& out, FrameSample* samples, int count) {
    out << count << std::endl;
    smoothFrameRates(samples, count);
    for (int i = 0; i < count; ++i) {
        out << samples[i].time << std::endl;
        out << samples[i].frameRate << std::endl;
        out << samples[i].aux << std::endl;
    }
}

void RenderContext::openFrameLog(const char* fileName, double seconds) {
    // A second open replaces the first log rather than failing on the
    // still-open stream.
    if (frameLog.is_open()) frameLog.close();
    frameLog.clear();
    frameLog.open(fileName, std::ios::out | std::ios::trunc);
    frameLogSeconds = seconds;
    frameSamples = makeFrameSamples(frameSampleCount(seconds));
}

void RenderContext::storeFrameSample(double frameRate, double time, std::int32_t aux) {
    storeFrameSampleIn(frameSamples.get(), frameSampleCount(frameLogSeconds), frameRate, time, aux);
}

void RenderContext::writeFrameLog() {
    // Nothing was opened (or the log was already written): no samples to
    // write, and no stream to write them to.
    if (!frameSamples) return;
    writeFrameSamples(frameLog, frameSamples.get(), frameSampleCount(frameLogSeconds));
    frameLog.close();
    frameSamples.reset();
    frameLogSeconds = 0.0;
}
