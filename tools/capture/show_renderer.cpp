#include "tools/capture/show_renderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "app/main_loop.h"
#include "app/main_window.h"
#include "runtime/demo_clock.h"
#include "runtime/driver/demo_driver.h"
#include "runtime/startup_options.h"
#include "runtime/window_state.h"
#include "scene/render_state.h"
#include "sync/show_tracks.h"
#include "tools/capture/capture_system.h"

bool ShowRenderer::open(int width, int height, int supersample, std::string& error) {
    requestHiddenWindow();
    width_ = width;
    height_ = height;
    supersample_ = supersample;
    area_ = pictureArea(width, height);
    musicEnabled = false;
    // The window only carries the GL context; every frame goes to the
    // framebuffer below.
    windowTopLeft = {0.0, 0.0, 0.0, 1};
    windowBottomRight = {64.0, 48.0, 0.0, 1};
    if (!createMainWindow(kWindowTitle, 64, 48, 32, false)) {
        error = "cannot open a GL context";
        return false;
    }
    // Frames are read back, never presented: no waiting for a display.
    neverWaitForDisplay();
    if (!target_.create(area_.width * supersample, area_.height * supersample, error)) return false;
    picture_.resize(static_cast<size_t>(target_.width()) * target_.height() * 4);
    pixelScale = static_cast<double>(target_.height()) / 600.0;
    demoTime = 0.0;
    return true;
}

void ShowRenderer::shapeWith(std::vector<SyncTrack> tracks) {
    tracks_ = std::move(tracks);
    shape_ = [this](ShowClock& clock, ShowParameters& parameters) {
        shapeFrame(tracks_, clock, parameters);
    };
}

bool ShowRenderer::renderFrame(const FrameMoment& moment) {
    const bool shown = drawFrameAtMoment(moment, shape_);
    glFinish();
    return shown;
}

void ShowRenderer::passOverFrame(const FrameMoment& moment) {
    glEnable(GL_RASTERIZER_DISCARD);
    drawFrameAtMoment(moment, shape_);
    glDisable(GL_RASTERIZER_DISCARD);
}

void ShowRenderer::readFrame(std::vector<std::uint8_t>& frame) {
    frame.resize(static_cast<size_t>(width_) * height_ * 4);
    target_.read(picture_.data());
    placePicture(picture_.data(), supersample_, area_, width_, frame.data());
}

void ShowRenderer::readPicture(std::vector<std::uint8_t>& picture) {
    picture.resize(static_cast<size_t>(area_.width) * area_.height * 4);
    target_.read(picture_.data());
    placePicture(picture_.data(), supersample_, {0, 0, area_.width, area_.height}, area_.width,
                 picture.data());
}
