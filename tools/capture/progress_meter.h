#pragma once
#include <chrono>
#include <cstdio>

// Shows how a render goes, on standard error: on a terminal a bar redrawn in
// place with frames per second and the time left; otherwise a line every
// few seconds, as a log wants it.
class ProgressMeter {
  public:
    ProgressMeter(long total, bool terminal);
    // `done` frames of the total are finished.
    void update(long done);
    // Ends the bar's line.
    void finish();

  private:
    void show(long done, double seconds);

    long total_;
    bool terminal_;
    std::chrono::steady_clock::time_point start_;
    double lastShown_ = -1e9;  // the first frame is always shown
    bool drawn_ = false;
};
