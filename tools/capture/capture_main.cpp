// brontavik-capture: renders the show offline and deterministically,
// headless, with the demo clock advanced by exactly 1/fps per frame.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "platform/gl_library.h"
#include "runtime/demo_driver.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/png_output.h"
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

// brontavik-capture draws with the system's GL, its sibling
// brontavik-capture-layer with the fixed-function layer; each runs the
// other, with the same arguments, when asked for the other's GL.
int runWithGl(char** argv, const std::string& gl) {
    const char* name = gl == "layer" ? "brontavik-capture-layer" : "brontavik-capture";
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return fail("cannot find this program's own file");
    const std::string sibling = (self.parent_path() / name).string();
    argv[0] = const_cast<char*>(sibling.c_str());
    execv(sibling.c_str(), argv);
    return fail("cannot run " + sibling + " (it is built with the brontavik-capture target)");
}

int bench(ShowRenderer& show) {
    using Clock = std::chrono::steady_clock;
    const platform::GlCounts countsBefore = platform::glCounts();
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
    // Counted where the GL library counts (the layer): every frame rendered,
    // the last one (past the fade) included.
    const platform::GlCounts counts = platform::glCounts();
    const double rendered = static_cast<double>(ms.size() + 1);
    if (counts.begins >= 0)
        std::printf("glBegin per frame %.1f\n", (counts.begins - countsBefore.begins) / rendered);
    if (counts.draws >= 0)
        std::printf("draws per frame %.1f\n", (counts.draws - countsBefore.draws) / rendered);
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
    if (options.gl != platform::glLibrary().name) return runWithGl(argv, options.gl);
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
