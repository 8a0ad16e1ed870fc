#include "tools/view/sdl/view_video.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/capture/video_output.h"

namespace {

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

bool writeVideo(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
                std::string& error) {
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
