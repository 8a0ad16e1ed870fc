#include "tools/view/view_output.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/gl_library.h"
#include "runtime/render_context.h"
#include "tools/capture/capture_system.h"
#include "tools/capture/framing.h"
#include "tools/capture/png_output.h"
#include "tools/capture/render_target.h"
#include "tools/capture/video_output.h"
#include "tools/view/gl_window.h"

namespace {

// A hidden GL context drawing into a framebuffer `supersample` times the
// frame's size; frames come back filtered to the frame's size, top row
// first.
class OffscreenScene {
  public:
    ~OffscreenScene() { closeGlWindow(window_); }

    bool open(ScenePlayer& player, const ViewOptions& options, std::string& error) {
        requestHiddenWindow();
        if (!openGlWindow("brontavik-view", 64, 48, true, window_, error)) return false;
        neverWaitForDisplay();
        width_ = options.width;
        height_ = options.height;
        supersample_ = options.supersample;
        if (!target_.create(width_ * supersample_, height_ * supersample_, error)) return false;
        std::vector<std::string> warnings;
        player.setUpGl(renderContext(), warnings);
        for (const std::string& w : warnings)
            std::fprintf(stderr, "brontavik-view: %s\n", w.c_str());
        picture_.resize(static_cast<std::size_t>(target_.width()) * target_.height() * 4);
        frame_.resize(static_cast<std::size_t>(width_) * height_ * 4);
        return true;
    }

    const std::vector<std::uint8_t>& render(ScenePlayer& player) {
        player.draw(target_.width(), target_.height());
        platform::finishGlFrame();
        target_.read(picture_.data());
        placePicture(picture_.data(), supersample_, {0, 0, width_, height_}, width_, frame_.data());
        return frame_;
    }

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    GlWindow window_;
    RenderTarget target_;
    int width_ = 0;
    int height_ = 0;
    int supersample_ = 1;
    std::vector<std::uint8_t> picture_;
    std::vector<std::uint8_t> frame_;
};

bool writeAll(int fd, const std::uint8_t* data, std::size_t bytes) {
    while (bytes > 0) {
        const ssize_t n = ::write(fd, data, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        bytes -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool writeStill(ScenePlayer& player, const ViewOptions& options, std::string& error) {
    OffscreenScene scene;
    if (!scene.open(player, options, error)) return false;
    const std::vector<std::uint8_t>& frame = scene.render(player);
    return writeFramePng(options.output, frame, scene.width(), scene.height(), error);
}

bool writeVideo(ScenePlayer& player, const ViewOptions& options, std::string& error) {
    OffscreenScene scene;
    if (!scene.open(player, options, error)) return false;
    VideoSettings settings;
    settings.path = options.output;
    settings.width = settings.pictureWidth = scene.width();
    settings.height = settings.pictureHeight = scene.height();
    settings.rate = {options.fps, 1};
    settings.lossless = options.lossless;
    settings.withMusic = false;
    VideoOutput video;
    if (!video.open(settings, error)) return false;
    // One loop of the animation, at least one frame.
    const double loop = player.frameCount() / kFramesPerSecond;
    const long frames = std::max(1L, std::lround(std::ceil(loop * options.fps - 1e-9)));
    const double start = player.time();
    for (long k = 0; k < frames; ++k) {
        player.seek(start + static_cast<double>(k) / options.fps);
        const std::vector<std::uint8_t>& frame = scene.render(player);
        if (!writeAll(video.input(), frame.data(), frame.size())) break;
    }
    return video.close(error);
}
