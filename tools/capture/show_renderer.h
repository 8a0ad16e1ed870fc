#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Renders the show offline: a hidden window with the program's own GL
// set-up and demo initialisation (music off), then frames at exact demo
// times through the same scene part and fade-out step as the frame driver.
class ShowRenderer {
  public:
    // Opens the window and initialises the demo; false when it cannot.
    bool open(int width, int height);
    // Advances the demo clock by exactly `step` seconds and renders a frame.
    // Returns false once the fade-out is complete (that frame is not shown).
    bool renderFrame(double step);
    // Starts the fade as a run at `fps` frames per second would have: at the
    // first frame time past the end time. Used for stills past the end.
    void assumeFadeBeganAtFrameRate(int fps);
    // The rendered frame as RGBA rows, top row first.
    std::vector<std::uint8_t> readPixels() const;

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    int width_ = 0;
    int height_ = 0;
};

// The demo time of the first frame past the end time at this frame rate:
// where the fade-out begins when frames come every 1/fps seconds.
double fadeStartAtFrameRate(int fps);
