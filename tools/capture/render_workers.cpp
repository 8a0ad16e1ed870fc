#include "tools/capture/render_workers.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/capture/png_output.h"
#include "tools/capture/show_renderer.h"

namespace {

// What a worker sends ahead of each frame's pixels.
struct FrameHeader {
    std::int64_t frame;
    FrameTimes times;
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool writeAll(int fd, const void* data, size_t bytes) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (bytes > 0) {
        const ssize_t n = ::write(fd, p, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

// Reads exactly `bytes`; false at the end of the stream, on an error or
// when a signal interrupts the read.
bool readAll(int fd, void* data, size_t bytes) {
    auto* p = static_cast<std::uint8_t*>(data);
    while (bytes > 0) {
        const ssize_t n = ::read(fd, p, bytes);
        if (n <= 0) return false;
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

[[noreturn]] void failWorker(int index, const std::string& message) {
    std::fprintf(stderr, "brontavik-capture: render worker %d: %s\n", index + 1, message.c_str());
    _exit(1);
}

[[noreturn]] void runWorker(const WorkerPlan& plan, int index, int output) {
    // Ctrl-C is the main process's to handle; it ends the workers itself.
    signal(SIGINT, SIG_IGN);
    signal(SIGTERM, SIG_DFL);
    setenv("LP_NUM_THREADS", std::to_string(rendererThreadsPerWorker(plan.jobs)).c_str(), 0);
    ShowRenderer show;
    std::string error;
    if (!show.open(plan.width, plan.height, plan.supersample, error)) failWorker(index, error);
    show.shapeWith(plan.tracks);
    std::vector<std::uint8_t> pixels;
    long passed = 0;  // frames before this one have gone through the GL
    for (long frame = plan.first + index; frame <= plan.last; frame += plan.jobs) {
        FrameHeader header{frame, {}};
        auto start = Clock::now();
        for (; passed < frame; ++passed) show.passOverFrame(frameMoment(passed, plan.rate));
        passed = frame + 1;
        if (!show.renderFrame(frameMoment(frame, plan.rate)))
            failWorker(index, "the show ended before frame " + std::to_string(frame));
        header.times.render = secondsSince(start);
        start = Clock::now();
        if (plan.pictureOnly) {
            show.readPicture(pixels);
        } else {
            show.readFrame(pixels);
        }
        header.times.readBack = secondsSince(start);
        if (!plan.pngFolder.empty()) {
            start = Clock::now();
            char name[32];
            std::snprintf(name, sizeof name, "/frame%05ld.png", frame);
            if (!writeFramePng(plan.pngFolder + name, pixels, show.width(), show.height(), error))
                failWorker(index, error);
            header.times.write = secondsSince(start);
        }
        // A failed write means the main process has gone or stopped reading.
        if (!writeAll(output, &header, sizeof header)) _exit(0);
        if (plan.pngFolder.empty() && !writeAll(output, pixels.data(), pixels.size())) _exit(0);
    }
    _exit(0);
}

}  // namespace

int rendererThreadsPerWorker(int jobs) {
    const long cores = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    return static_cast<int>(std::max(1L, cores / jobs));
}

RenderWorkers::~RenderWorkers() {
    stop();
}

bool RenderWorkers::start(const WorkerPlan& plan, std::string& error) {
    plan_ = plan;
    const PictureArea area = pictureArea(plan.width, plan.height);
    frameBytes_ = plan.pngFolder.empty()
                      ? static_cast<size_t>(plan.pictureOnly ? area.width : plan.width) *
                            (plan.pictureOnly ? area.height : plan.height) * 4
                      : 0;
    std::fflush(nullptr);
    for (int i = 0; i < plan.jobs; ++i) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            error = std::string("cannot make a pipe: ") + std::strerror(errno);
            return false;
        }
        // A bigger pipe lets a worker start its next frame sooner.
        fcntl(ends[1], F_SETPIPE_SZ, 1 << 20);
        const pid_t pid = fork();
        if (pid < 0) {
            error = std::string("cannot start a render worker: ") + std::strerror(errno);
            ::close(ends[0]);
            ::close(ends[1]);
            return false;
        }
        if (pid == 0) {
            ::close(ends[0]);
            for (const Worker& w : workers_) ::close(w.input);
            runWorker(plan, i, ends[1]);
        }
        ::close(ends[1]);
        workers_.push_back({pid, ends[0]});
    }
    return true;
}

bool RenderWorkers::header(long frame, FrameTimes& times, std::string& error) {
    Worker& worker = workers_[static_cast<size_t>((frame - plan_.first) % plan_.jobs)];
    FrameHeader header{};
    errno = 0;
    if (readAll(worker.input, &header, sizeof header) && header.frame == frame) {
        times = header.times;
        return true;
    }
    error = errno == EINTR ? std::string() : workerFailure(frame);
    return false;
}

std::string RenderWorkers::workerFailure(long frame) {
    const int index = static_cast<int>((frame - plan_.first) % plan_.jobs);
    Worker& worker = workers_[static_cast<size_t>(index)];
    int status = 0;
    if (worker.pid > 0) waitpid(worker.pid, &status, 0);
    worker.pid = -1;
    return "render worker " + std::to_string(index + 1) + " stopped before frame " +
           std::to_string(frame) +
           (WIFSIGNALED(status) ? " (killed by signal " + std::to_string(WTERMSIG(status)) + ")"
                                : "");
}

bool RenderWorkers::next(long frame, std::vector<std::uint8_t>& pixels, FrameTimes& times,
                         std::string& error) {
    if (!header(frame, times, error)) return false;
    if (frameBytes_ == 0) return true;
    pixels.resize(frameBytes_);
    errno = 0;
    const int input = workers_[static_cast<size_t>((frame - plan_.first) % plan_.jobs)].input;
    if (readAll(input, pixels.data(), frameBytes_)) return true;
    error = errno == EINTR ? std::string() : workerFailure(frame);
    return false;
}

bool RenderWorkers::forward(long frame, int destination, FrameTimes& times, bool& destinationFailed,
                            std::string& error) {
    destinationFailed = false;
    if (!header(frame, times, error)) return false;
    const int input = workers_[static_cast<size_t>((frame - plan_.first) % plan_.jobs)].input;
    size_t left = frameBytes_;
    while (left > 0) {
        errno = 0;
        const ssize_t n = splice(input, nullptr, destination, nullptr, left, SPLICE_F_MOVE);
        if (n > 0) {
            left -= static_cast<size_t>(n);
            continue;
        }
        // A frame once begun is moved whole, so the encoder never sees a
        // torn one; only the wait for the next frame gives way to Ctrl-C.
        if (errno == EINTR) continue;
        // Nothing to read: the worker has gone; otherwise the encoder has.
        destinationFailed = n < 0 && errno == EPIPE;
        error = destinationFailed ? std::string() : workerFailure(frame);
        return false;
    }
    return true;
}

void RenderWorkers::stop() {
    for (Worker& w : workers_) {
        if (w.input >= 0) ::close(w.input);
        w.input = -1;
        if (w.pid > 0) kill(w.pid, SIGTERM);
    }
    for (Worker& w : workers_) {
        if (w.pid <= 0) continue;
        int status = 0;
        rusage usage{};
        while (wait4(w.pid, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        cpuSeconds_ += usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        w.pid = -1;
    }
    workers_.clear();
}
