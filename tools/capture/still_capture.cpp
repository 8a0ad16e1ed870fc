#include "tools/capture/still_capture.h"

#include <cstdint>
#include <vector>

#include "tools/capture/png_output.h"
#include "tools/capture/show_renderer.h"

bool captureStill(const CaptureOptions& options, std::string& error) {
    ShowRenderer show;
    if (!show.open(options.width, options.height, options.supersample, error)) return false;
    show.shapeWith(options.tracks);
    if (!show.renderFrame(stillMoment(options.at))) {
        error = "the show has ended by then";
        return false;
    }
    std::vector<std::uint8_t> frame(static_cast<size_t>(show.width()) * show.height() * 4);
    show.readFrame(frame);
    return writeFramePng(options.path, frame, show.width(), show.height(), error);
}
