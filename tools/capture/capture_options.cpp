#include "tools/capture/capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sync/show_tracks.h"
#include "sync/track_file.h"

namespace {

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

bool parseWhole(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && errno == 0 && value >= low && value <= high;
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

// N or N/D frames per second, from 1 to 240.
bool parseFrameRate(const std::string& text, int& fps, int& divisor) {
    const size_t slash = text.find('/');
    long n = 0, d = 1;
    if (!parseWhole(text.substr(0, slash).c_str(), 1, 240000, n)) return false;
    if (slash != std::string::npos && !parseWhole(text.substr(slash + 1).c_str(), 1, 1001000, d))
        return false;
    if (static_cast<double>(n) / d < 1.0 || static_cast<double>(n) / d > 240.0) return false;
    fps = static_cast<int>(n);
    divisor = static_cast<int>(d);
    return true;
}

bool parseRange(const std::string& text, long& first, long& last) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    return parseWhole(text.substr(0, colon).c_str(), 0, 100000000, first) &&
           parseWhole(text.substr(colon + 1).c_str(), 0, 100000000, last) && first <= last;
}

bool endsWith(const std::string& text, const char* tail) {
    const size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

}  // namespace

bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error) {
    bool haveAt = false, haveFps = false, haveSize = false, haveRange = false;
    std::string png, frames, video, sizePreset;
    bool bench = false;
    auto bad = [&](const std::string& arg, const std::string& value, const char* what) {
        error = arg + " " + value + ": " + what;
        return false;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.mode = CaptureOptions::Mode::Help;
            return true;
        }
        if (arg == "--version") {
            options.mode = CaptureOptions::Mode::Version;
            return true;
        }
        if (arg == "--bench") {
            bench = true;
            continue;
        }
        static const char* const kTakesValue[] = {"--at",    "--png",   "--fps",    "--frames",
                                                  "--video", "--size",  "--preset", "--supersample",
                                                  "--jobs",  "--range", "--gl",     "--tracks"};
        bool known = false;
        for (const char* name : kTakesValue) known = known || arg == name;
        if (!known) {
            error = "unknown argument " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        long whole = 0;
        if (arg == "--at") {
            if (!parseNumber(value.c_str(), options.at) || options.at < 0.0 || options.at > 200.0)
                return bad(arg, value, "takes seconds from 0 to 200");
            haveAt = true;
        } else if (arg == "--fps") {
            if (!parseFrameRate(value, options.fps, options.fpsDivisor))
                return bad(arg, value, "takes N or N/D frames per second, from 1 to 240");
            haveFps = true;
        } else if (arg == "--png") {
            png = value;
        } else if (arg == "--frames") {
            frames = value;
        } else if (arg == "--video") {
            video = value;
        } else if (arg == "--size") {
            if (!parseSize(value.c_str(), options.width, options.height))
                return bad(arg, value, "takes WIDTHxHEIGHT, each from 16 to 8192");
            haveSize = true;
        } else if (arg == "--preset") {
            if (value == "lossless") {
                options.format = CaptureOptions::Format::Lossless;
            } else if (value == "1080p" || value == "4k") {
                sizePreset = value;
            } else {
                return bad(arg, value, "takes 1080p, 4k or lossless");
            }
        } else if (arg == "--supersample") {
            if (!parseWhole(value.c_str(), 1, 4, whole))
                return bad(arg, value, "takes a whole number from 1 to 4");
            options.supersample = static_cast<int>(whole);
        } else if (arg == "--jobs") {
            if (!parseWhole(value.c_str(), 1, 64, whole))
                return bad(arg, value, "takes a whole number from 1 to 64");
            options.jobs = static_cast<int>(whole);
        } else if (arg == "--range") {
            if (!parseRange(value, options.first, options.last))
                return bad(arg, value, "takes FIRST:LAST, frame numbers with FIRST <= LAST");
            haveRange = true;
        } else if (arg == "--gl") {
            if (value != "system" && value != "layer")
                return bad(arg, value, "takes system or layer");
            options.gl = value;
        } else if (arg == "--tracks") {
            if (value.empty()) return bad(arg, value, "takes a folder");
            options.tracksFolder = value;
        }
    }
    if (!sizePreset.empty()) {
        // A preset's size and rate give way to ones given explicitly.
        if (!haveSize) {
            options.width = sizePreset == "4k" ? 3840 : 1920;
            options.height = sizePreset == "4k" ? 2160 : 1080;
        }
        haveFps = true;
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
            error = "--frames and --video need --fps (or a --preset)";
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
    if (haveRange && options.mode != CaptureOptions::Mode::Frames &&
        options.mode != CaptureOptions::Mode::Video) {
        error = "--range goes with --frames or --video";
        return false;
    }
    if (options.mode == CaptureOptions::Mode::Video) {
        const bool lossless = options.format == CaptureOptions::Format::Lossless;
        if (lossless && !endsWith(options.path, ".mkv")) {
            error = "--video " + options.path + ": --preset lossless writes Matroska, name it .mkv";
            return false;
        }
        // 4:2:0 chroma halves both directions.
        if (!lossless && (options.width % 2 != 0 || options.height % 2 != 0)) {
            error = "--size " + std::to_string(options.width) + "x" +
                    std::to_string(options.height) + ": H.264 video needs an even width and height";
            return false;
        }
    }
    return true;
}

bool readCaptureTracks(CaptureOptions& options, std::string& error) {
    options.tracks = makeShowTrackSet();
    if (options.tracksFolder.empty()) return true;
    return loadTrackFiles(options.tracksFolder, options.tracks, error);
}

int takeCaptureOptions(int argc, char** argv, CaptureOptions& options) {
    std::string error;
    if (!parseCaptureOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "brontavik-capture: %s\n%s\n", error.c_str(), kCaptureUsage);
        return 2;
    }
    switch (options.mode) {
        case CaptureOptions::Mode::Help:
            std::printf("%s\n", kCaptureUsage);
            return 0;
        case CaptureOptions::Mode::Version:
            std::printf("brontavik-capture %s\n", BRONTAVIK_VERSION);
            return 0;
        default:
            return -1;
    }
}
