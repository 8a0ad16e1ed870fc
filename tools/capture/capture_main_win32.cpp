// brontavik-capture on Windows: one frame (--at --png) or a PNG sequence
// (--frames), rendered in this one process through a hidden window and WGL,
// with the demo clock advanced by exactly 1/fps per frame. The Linux tool's
// worker processes, video export and GL layer are not part of this build.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/driver/frame_clock.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/png_output.h"
#include "tools/capture/progress_meter.h"
#include "tools/capture/show_folder.h"
#include "tools/capture/show_inputs.h"
#include "tools/capture/show_renderer.h"
#include "tools/capture/still_capture.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "brontavik-capture: %s\n", message.c_str());
    return 1;
}

// What the Windows tool does not do, said before any work starts.
std::string unsupported(const CaptureOptions& options) {
    if (options.mode == CaptureOptions::Mode::Video)
        return "--video is not part of the Windows build; write --frames and encode them with "
               "ffmpeg";
    if (options.mode == CaptureOptions::Mode::Bench)
        return "--bench is not part of the Windows build";
    if (options.jobs > 1) return "--jobs: the Windows build renders in this one process only";
    if (options.gl != "system") return "--gl layer is not part of the Windows build";
    return {};
}

int captureFrames(const CaptureOptions& options) {
    const FrameRate rate{options.fps, options.fpsDivisor};
    const long showFrames = showFrameCount(rate);
    if (options.first >= showFrames)
        return fail("--range: the show has " + std::to_string(showFrames) +
                    " frames, numbered 0 to " + std::to_string(showFrames - 1));
    const long last = options.last < 0 ? showFrames - 1 : std::min(options.last, showFrames - 1);
    const long frames = last - options.first + 1;
    std::error_code ec;
    std::filesystem::create_directories(options.path, ec);
    if (ec) return fail("cannot create " + options.path + ": " + ec.message());

    std::string error;
    ShowRenderer show;
    if (!show.open(options.width, options.height, options.supersample, error)) return fail(error);
    show.shapeWith(options.tracks);
    std::signal(SIGINT, onInterrupt);
    ProgressMeter progress(frames, false);
    std::vector<std::uint8_t> pixels;
    const auto start = std::chrono::steady_clock::now();
    long done = 0;
    // Every frame before the first goes through the GL too, so each frame is
    // drawn as in a run from the start.
    for (long k = 0; k < options.first && !interrupted; ++k)
        show.passOverFrame(frameMoment(k, rate));
    for (long frame = options.first; frame <= last && !interrupted; ++frame) {
        if (!show.renderFrame(frameMoment(frame, rate)))
            return fail("the show ended before frame " + std::to_string(frame));
        show.readFrame(pixels);
        char name[32];
        std::snprintf(name, sizeof name, "/frame%05ld.png", frame);
        if (!writeFramePng(options.path + name, pixels, show.width(), show.height(), error))
            return fail(error);
        progress.update(++done);
    }
    progress.finish();
    if (interrupted) {
        std::fprintf(stderr, "brontavik-capture: interrupted: %s holds frames %ld to %ld\n",
                     options.path.c_str(), options.first, options.first + done - 1);
        return 130;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%ld frames (%ld to %ld of %ld), %dx%d, in %s/frameNNNNN.png\n", frames,
                options.first, last, showFrames, options.width, options.height,
                options.path.c_str());
    std::printf("%.1f s: %.1f frames per second\n", seconds, frames / seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    if (const int done = takeCaptureOptions(argc, argv, options); done >= 0) return done;
    std::string error;
    if (const std::string refused = unsupported(options); !refused.empty()) {
        std::fprintf(stderr, "brontavik-capture: %s\n", refused.c_str());
        return 2;
    }
    if (!readCaptureTracks(options, error)) return fail(error);
    if (!enterShowFolder(options.path, error)) return fail(error);
    if (!inputsReadable(false, error)) return fail(error);
    if (options.mode == CaptureOptions::Mode::Still)
        return captureStill(options, error) ? 0 : fail(error);
    return captureFrames(options);
}
