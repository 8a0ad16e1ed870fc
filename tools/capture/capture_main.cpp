// brontavik-capture: renders the show offline and deterministically,
// headless, with the demo clock advanced by exactly 1/fps per frame.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "platform/gl_library.h"
#include "runtime/driver/demo_driver.h"
#include "runtime/driver/frame_clock.h"
#include "tools/capture/capture_options.h"
#include "tools/capture/capture_system.h"
#include "tools/capture/png_output.h"
#include "tools/capture/progress_meter.h"
#include "tools/capture/render_workers.h"
#include "tools/capture/show_folder.h"
#include "tools/capture/show_inputs.h"
#include "tools/capture/show_renderer.h"
#include "tools/capture/still_capture.h"
#include "tools/capture/video_output.h"

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "brontavik-capture: %s\n", message.c_str());
    return 1;
}

// brontavik-capture draws with the system's GL, its sibling
// brontavik-capture-layer with the fixed-function layer; each runs the
// other, with the same arguments, when asked for the other's GL.
int runWithGl(char** argv, const std::string& gl) {
    const char* name = gl == "layer" ? "brontavik-capture-layer" : "brontavik-capture";
    std::string error;
    const std::filesystem::path self = thisProgramFile(error);
    if (self.empty()) return fail(error);
    const std::string sibling = (self.parent_path() / name).string();
    argv[0] = const_cast<char*>(sibling.c_str());
    execv(sibling.c_str(), argv);
    return fail("cannot run " + sibling + ": " + std::strerror(errno));
}

int bench(const CaptureOptions& options) {
    ShowRenderer show;
    std::string error;
    if (!show.open(options.width, options.height, options.supersample, error)) return fail(error);
    show.shapeWith(options.tracks);
    const FrameRate rate{60, 1};
    const long frames = showFrameCount(rate);
    const platform::GlCounts countsBefore = platform::glCounts();
    std::vector<double> ms;
    std::vector<std::uint8_t> frame(static_cast<size_t>(show.width()) * show.height() * 4);
    double readSeconds = 0.0;
    const auto start = Clock::now();
    for (long k = 0; k < frames; ++k) {
        const auto before = Clock::now();
        show.renderFrame(frameMoment(k, rate));
        const auto rendered = Clock::now();
        show.readFrame(frame);
        readSeconds += std::chrono::duration<double>(Clock::now() - rendered).count();
        ms.push_back(std::chrono::duration<double, std::milli>(rendered - before).count());
    }
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / ms.size();
    std::printf(
        "frames %zu\ntotal %.3f s\nmean %.3f ms\nmedian %.3f ms\np95 %.3f ms\nworst %.3f ms\n"
        "read-back mean %.3f ms\n",
        ms.size(), total, mean, sorted[sorted.size() / 2],
        sorted[static_cast<size_t>(sorted.size() * 0.95)], sorted.back(),
        1000.0 * readSeconds / ms.size());
    // Counted where the GL library counts (the layer).
    const platform::GlCounts counts = platform::glCounts();
    const double rendered = static_cast<double>(ms.size());
    if (counts.begins >= 0)
        std::printf("glBegin per frame %.1f\n", (counts.begins - countsBefore.begins) / rendered);
    if (counts.draws >= 0)
        std::printf("draws per frame %.1f\n", (counts.draws - countsBefore.draws) / rendered);
    return 0;
}

std::string rateText(FrameRate rate) {
    return rate.divisor == 1 ? std::to_string(rate.fps)
                             : std::to_string(rate.fps) + "/" + std::to_string(rate.divisor);
}

// Renders frames first..last in workers, into a PNG folder or a video.
int captureSequence(const CaptureOptions& options) {
    const bool video = options.mode == CaptureOptions::Mode::Video;
    const FrameRate rate{options.fps, options.fpsDivisor};
    const long showFrames = showFrameCount(rate);
    if (options.first >= showFrames)
        return fail("--range: the show has " + std::to_string(showFrames) + " frames at " +
                    rateText(rate) + " fps, numbered 0 to " + std::to_string(showFrames - 1));
    const long first = options.first;
    const long last = options.last < 0 ? showFrames - 1 : std::min(options.last, showFrames - 1);
    const bool whole = first == 0 && last == showFrames - 1;
    const long frames = last - first + 1;
    const long cores = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    const int jobs =
        static_cast<int>(std::min<long>(options.jobs > 0 ? options.jobs : cores, frames));

    if (!video) {
        std::error_code error;
        std::filesystem::create_directories(options.path, error);
        if (error) return fail("cannot create " + options.path + ": " + error.message());
    }
    const PictureArea area = pictureArea(options.width, options.height);
    WorkerPlan plan;
    plan.width = options.width;
    plan.height = options.height;
    plan.supersample = options.supersample;
    plan.rate = rate;
    plan.first = first;
    plan.last = last;
    plan.jobs = jobs;
    plan.pictureOnly = video;
    if (!video) plan.pngFolder = options.path;
    plan.tracks = options.tracks;

    // Ctrl-C ends the render between frames; the reads and writes it
    // interrupts return rather than restart.
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::string error;
    RenderWorkers workers;
    if (!workers.start(plan, error)) return fail(error);
    VideoOutput output;
    if (video) {
        VideoSettings settings;
        settings.path = options.path;
        settings.width = options.width;
        settings.height = options.height;
        settings.pictureX = area.x;
        settings.pictureY = area.y;
        settings.pictureWidth = area.width;
        settings.pictureHeight = area.height;
        settings.rate = rate;
        settings.lossless = options.format == CaptureOptions::Format::Lossless;
        settings.startTime = frameTime(first, rate);
        settings.fadeStart = frameTime(fadeStartFrame(rate), rate);
        settings.fadeSeconds = 1.0 / fadeRate;
        if (!output.open(settings, error)) return fail(error);
    }

    ProgressMeter progress(frames, isatty(STDERR_FILENO) != 0);
    std::vector<std::uint8_t> pixels;
    FrameTimes sum, times;
    const auto start = Clock::now();
    long done = 0;
    bool failed = false;
    double handOff = 0.0;  // waiting for frames from the workers and for the encoder
    for (long frame = first; frame <= last && !interrupted; ++frame) {
        bool encoderFailed = false;
        const auto before = Clock::now();
        const bool got = video ? workers.forward(frame, output.input(), times, encoderFailed, error)
                               : workers.next(frame, pixels, times, error);
        handOff += std::chrono::duration<double>(Clock::now() - before).count();
        if (!got) {
            // ffmpeg's exit says why it stopped taking frames.
            if (encoderFailed && output.close(error)) error = "ffmpeg stopped taking frames";
            failed = encoderFailed || !interrupted;
            break;
        }
        sum.render += times.render;
        sum.readBack += times.readBack;
        sum.write += times.write;
        progress.update(++done);
    }
    progress.finish();
    workers.stop();
    std::string closeError;
    if (video && !output.close(closeError) && !failed) {
        failed = true;
        error = closeError;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (failed) return fail(error);

    const std::string what = video ? options.path : options.path + "/frameNNNNN.png";
    if (interrupted) {
        std::fprintf(stderr,
                     "brontavik-capture: interrupted: %s holds frames %ld to %ld (%ld frames, "
                     "%.2f s of the show) and is complete up to there\n",
                     what.c_str(), first, first + done - 1, done,
                     done * rate.divisor / static_cast<double>(rate.fps));
        return 130;
    }
    std::printf("%ld frames (%ld to %ld of %ld) at %s fps, %dx%d, in %s\n", frames, first, last,
                showFrames, rateText(rate).c_str(), options.width, options.height, what.c_str());
    std::printf("%.1f s with %d render process%s: %.1f frames per second\n", seconds, jobs,
                jobs == 1 ? "" : "es", frames / seconds);
    const double encode = video ? output.cpuSeconds() : sum.write;
    const double all = sum.render + sum.readBack + encode;
    std::printf(
        "rendering %.1f s (%.0f%%), read-back %.1f s (%.0f%%), %s %.1f s (%.0f%%); "
        "workers' processor time %.1f s, waiting in the hand-off %.1f s\n",
        sum.render, 100.0 * sum.render / all, sum.readBack, 100.0 * sum.readBack / all,
        video ? "encoding (ffmpeg's processor time)" : "PNG writing", encode, 100.0 * encode / all,
        workers.cpuSeconds(), handOff);
    if (video && !whole)
        std::printf(
            "a part of the show: join the parts and add the music as the README shows "
            "(fade-out from %.6f s for %.6f s)\n",
            frameTime(fadeStartFrame(rate), rate), 1.0 / fadeRate);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    CaptureOptions options;
    if (const int done = takeCaptureOptions(argc, argv, options); done >= 0) return done;
    std::string error;
    if (options.gl != platform::glLibrary().name) return runWithGl(argv, options.gl);
    if (!readCaptureTracks(options, error)) return fail(error);
    if (!enterShowFolder(options.path, error)) return fail(error);
    if (!inputsReadable(options.mode == CaptureOptions::Mode::Video, error)) return fail(error);
    switch (options.mode) {
        case CaptureOptions::Mode::Still:
            return captureStill(options, error) ? 0 : fail(error);
        case CaptureOptions::Mode::Frames:
        case CaptureOptions::Mode::Video:
            return captureSequence(options);
        case CaptureOptions::Mode::Bench:
            return bench(options);
        default:
            return 2;
    }
}
