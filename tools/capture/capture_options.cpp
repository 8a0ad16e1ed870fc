#include "tools/capture/capture_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

bool parseSize(const char* text, int& width, int& height) {
    int w = 0, h = 0;
    char extra = 0;
    if (std::sscanf(text, "%dx%d%c", &w, &h, &extra) != 2) return false;
    if (w < 16 || h < 16 || w > 8192 || h > 8192) return false;
    width = w;
    height = h;
    return true;
}

}  // namespace

bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error) {
    bool haveAt = false, haveFps = false;
    std::string png, frames, video;
    bool bench = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() { return argv[++i]; };
        if (arg == "--bench") {
            bench = true;
        } else if (!hasValue &&
                   (arg == "--at" || arg == "--png" || arg == "--fps" || arg == "--frames" ||
                    arg == "--video" || arg == "--size" || arg == "--gl")) {
            error = arg + " needs a value";
            return false;
        } else if (arg == "--at") {
            if (!parseNumber(value(), options.at) || options.at < 0.0 || options.at > 200.0) {
                error = "--at takes seconds from 0 to 200";
                return false;
            }
            haveAt = true;
        } else if (arg == "--fps") {
            double fps = 0;
            if (!parseNumber(value(), fps) || fps != std::floor(fps) || fps < 1 || fps > 240) {
                error = "--fps takes a whole number from 1 to 240";
                return false;
            }
            options.fps = static_cast<int>(fps);
            haveFps = true;
        } else if (arg == "--png") {
            png = value();
        } else if (arg == "--frames") {
            frames = value();
        } else if (arg == "--video") {
            video = value();
        } else if (arg == "--size") {
            if (!parseSize(value(), options.width, options.height)) {
                error = "--size takes WIDTHxHEIGHT, each from 16 to 8192";
                return false;
            }
        } else if (arg == "--gl") {
            options.gl = value();
            if (options.gl != "system" && options.gl != "layer") {
                error = "--gl takes system or layer";
                return false;
            }
        } else {
            error = "unknown argument " + arg;
            return false;
        }
    }
    const int modes = (haveAt || !png.empty()) + !frames.empty() + !video.empty() + bench;
    if (modes != 1) {
        error = "choose exactly one of --at/--png, --frames, --video, --bench";
        return false;
    }
    if (haveAt || !png.empty()) {
        if (!haveAt || png.empty()) {
            error = "--at and --png go together";
            return false;
        }
        options.mode = CaptureOptions::Mode::Still;
        options.path = png;
    } else if (!frames.empty() || !video.empty()) {
        if (!haveFps) {
            error = "--frames and --video need --fps";
            return false;
        }
        options.mode = frames.empty() ? CaptureOptions::Mode::Video : CaptureOptions::Mode::Frames;
        options.path = frames.empty() ? video : frames;
    } else {
        options.mode = CaptureOptions::Mode::Bench;
        if (haveFps) {
            error = "--bench always renders at 60 fps";
            return false;
        }
    }
    return true;
}
