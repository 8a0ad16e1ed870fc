#pragma once
// Rendering in worker processes. Each worker opens its own GL context and
// renders every n-th frame of a span; the frames come back to this process
// in order. Workers are forked before this process touches GL or SDL.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/driver/frame_clock.h"
#include "sync/sync_track.h"

// What a worker renders and what it sends back.
struct WorkerPlan {
    int width = 0;
    int height = 0;
    int supersample = 1;
    FrameRate rate;
    long first = 0;
    long last = 0;
    int jobs = 1;
    // Sends only the 4:3 picture area (the encoder adds the bars), not the
    // whole frame.
    bool pictureOnly = false;
    // When set, the worker writes each frame as a PNG itself under this
    // folder and sends back only its timings.
    std::string pngFolder;
    // The show's tracks that shape every frame.
    std::vector<SyncTrack> tracks;
};

// Time a frame took in its worker, seconds.
struct FrameTimes {
    double render = 0.0;
    double readBack = 0.0;
    double write = 0.0;
};

class RenderWorkers {
  public:
    ~RenderWorkers();
    // Forks the workers; false with `error` set when it cannot.
    bool start(const WorkerPlan& plan, std::string& error);
    // Waits for frame `frame` (the next in order) and puts its pixels in
    // `pixels` (left untouched when the worker wrote a PNG). False with
    // `error` set when the worker failed, or when a signal interrupted the
    // wait (then `error` is empty).
    bool next(long frame, std::vector<std::uint8_t>& pixels, FrameTimes& times, std::string& error);
    // The same, but the pixels go straight on to the pipe `destination`
    // (the kernel moves them from pipe to pipe without copying). A failure
    // to write there leaves `error` empty and sets `destinationFailed`.
    bool forward(long frame, int destination, FrameTimes& times, bool& destinationFailed,
                 std::string& error);
    // Ends every worker still running and collects them.
    void stop();
    // Processor time the workers used, known after stop().
    double cpuSeconds() const { return cpuSeconds_; }

  private:
    // Reads the next header from the frame's worker; false when it failed.
    bool header(long frame, FrameTimes& times, std::string& error);
    // Says why the worker of `frame` stopped.
    std::string workerFailure(long frame);

    struct Worker {
        pid_t pid = -1;
        int input = -1;
    };
    std::vector<Worker> workers_;
    WorkerPlan plan_;
    size_t frameBytes_ = 0;
    double cpuSeconds_ = 0.0;
};

// Threads Mesa's software renderer should use in each of `jobs` workers.
int rendererThreadsPerWorker(int jobs);
