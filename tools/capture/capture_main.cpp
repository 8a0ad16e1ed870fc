// brontavik-capture: renders the show offline and deterministically,
// headless, with the demo clock advanced by exactly 1/fps per frame.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "runtime/demo_driver.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/png_output.h"
#include "tools/capture/show_folder.h"
#include "tools/capture/show_renderer.h"
#include "tools/capture/video_output.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "brontavik-capture: %s\n", message.c_str());
    return 1;
}

int captureStill(ShowRenderer& show, const CaptureOptions& options) {
    // One step of the whole time puts the scene clock exactly there.
    if (options.at > endTime) show.assumeFadeBeganAtFrameRate(60);
    if (!show.renderFrame(options.at)) return fail("the show has ended by then");
    if (!writeFramePng(options.path, show.readPixels(), show.width(), show.height()))
        return fail("cannot write " + options.path);
    return 0;
}

int captureFrames(ShowRenderer& show, const CaptureOptions& options) {
    std::error_code error;
    std::filesystem::create_directories(options.path, error);
    if (error) return fail("cannot create " + options.path);
    const double step = 1.0 / options.fps;
    int index = 0;
    for (double dt = 0.0; show.renderFrame(dt); dt = step, ++index) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame%05d.png", index);
        if (!writeFramePng(options.path + name, show.readPixels(), show.width(), show.height()))
            return fail("cannot write " + options.path + name);
    }
    std::printf("%d frames in %s\n", index, options.path.c_str());
    return 0;
}

int captureVideo(ShowRenderer& show, const CaptureOptions& options) {
    VideoOutput video;
    std::string error;
    if (!video.open(options.path, show.width(), show.height(), options.fps,
                    fadeStartAtFrameRate(options.fps), 1.0 / fadeRate, error))
        return fail(error);
    const double step = 1.0 / options.fps;
    int frames = 0;
    for (double dt = 0.0; show.renderFrame(dt); dt = step, ++frames) {
        if (!video.write(show.readPixels())) return fail("ffmpeg stopped taking frames");
    }
    if (!video.close()) return fail("ffmpeg could not write " + options.path);
    std::printf("%d frames at %d fps in %s\n", frames, options.fps, options.path.c_str());
    return 0;
}

int bench(ShowRenderer& show) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    const auto start = Clock::now();
    for (double dt = 0.0;; dt = 1.0 / 60.0) {
        const auto before = Clock::now();
        if (!show.renderFrame(dt)) break;
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
    }
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size();
    std::printf(
        "frames %zu\ntotal %.3f s\nmean %.3f ms\nmedian %.3f ms\np95 %.3f ms\nworst %.3f ms\n",
        ms.size(), total, mean, sorted[sorted.size() / 2],
        sorted[static_cast<size_t>(sorted.size() * 0.95)], sorted.back());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parseCaptureOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "brontavik-capture: %s\n%s\n", error.c_str(), kCaptureUsage);
        return 2;
    }
    if (!enterShowFolder(options.path, error)) return fail(error);
    ShowRenderer show;
    if (!show.open(options.width, options.height)) return fail("cannot open a GL context");
    switch (options.mode) {
        case CaptureOptions::Mode::Still:
            return captureStill(show, options);
        case CaptureOptions::Mode::Frames:
            return captureFrames(show, options);
        case CaptureOptions::Mode::Video:
            return captureVideo(show, options);
        case CaptureOptions::Mode::Bench:
            return bench(show);
        case CaptureOptions::Mode::None:
            break;
    }
    return 2;
}
