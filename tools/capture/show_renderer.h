#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/driver/frame_clock.h"
#include "sync/sync_track.h"
#include "tools/capture/framing.h"
#include "tools/capture/render_target.h"

// Renders the show offline: a hidden window with the program's own GL
// set-up and demo initialisation (music off), then frames at exact demo
// times through the program's own frame function, drawn into an offscreen
// framebuffer the size of the frame's 4:3 picture area (times the
// supersampling factor).
class ShowRenderer {
  public:
    // Opens the window, initialises the demo and makes the framebuffer;
    // false with `error` set when it cannot.
    bool open(int width, int height, int supersample, std::string& error);
    // Shapes every frame from now on with `tracks` (the show's, in order),
    // read at the row of the frame's demo time.
    void shapeWith(std::vector<SyncTrack> tracks);
    // Sets the demo clock and the fade to `moment` and renders that frame.
    // Returns false once the fade-out is complete (that frame is not shown).
    bool renderFrame(const FrameMoment& moment);
    // Sends the frame's drawing to the GL with rasterising switched off: no
    // pixel is touched, but the GL's immediate-mode vertex stream advances
    // as it does when the frame is drawn. Mesa's output depends by a unit
    // here and there on where in that stream a frame begins, so a worker
    // passes over the frames it leaves to others this way, and every frame
    // it draws comes out as in a run of all frames in one process.
    void passOverFrame(const FrameMoment& moment);
    // Puts the rendered picture into `frame` (BGRA rows, top row first,
    // width by height pixels); the bars around the picture area are left as
    // they are, so a frame zeroed once keeps black bars.
    void readFrame(std::vector<std::uint8_t>& frame);
    // The picture area alone, BGRA rows top row first.
    void readPicture(std::vector<std::uint8_t>& picture);

    int width() const { return width_; }
    int height() const { return height_; }
    PictureArea area() const { return area_; }

  private:
    int width_ = 0;
    int height_ = 0;
    int supersample_ = 1;
    PictureArea area_;
    RenderTarget target_;
    std::vector<std::uint8_t> picture_;
    std::vector<SyncTrack> tracks_;
    FrameShaper shape_;
};
