#include "tools/view/view_options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools/command-line/command_line.h"

namespace {

bool parseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && std::isfinite(value);
}

bool parseWhole(const std::string& text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return end != text.c_str() && *end == '\0' && errno == 0 && value >= low && value <= high;
}

bool parseSize(const std::string& text, int& width, int& height) {
    int w = 0, h = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &extra) != 2) return false;
    if (w < 16 || h < 16 || w > 8192 || h > 8192) return false;
    width = w;
    height = h;
    return true;
}

bool parseColour(const std::string& text, std::array<float, 3>& colour) {
    std::array<float, 3> c{};
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = text.find(',', start);
        if ((i < 2) != (comma != std::string::npos)) return false;
        long v = 0;
        if (!parseWhole(text.substr(start, comma - start), 0, 255, v)) return false;
        c[i] = static_cast<float>(v) / 255.0f;
        start = comma + 1;
    }
    colour = c;
    return true;
}

}  // namespace

bool parseViewOptions(int argc, char** argv, ViewOptions& o, std::string& error) {
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnd || !command_line::isOption(arg)) {
            if (!o.file.empty()) {
                error = "more than one file: " + o.file + " and " + arg;
                return false;
            }
            o.file = arg;
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        if (arg == "--wire" || arg == "--normals" || arg == "--tangents") {
            (arg == "--wire" ? o.wire : arg == "--normals" ? o.normals : o.tangentFrames) = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        auto bad = [&](const std::string& what) {
            error = arg + " " + value + ": " + what;
            return false;
        };
        if (arg == "--png" || arg == "--video") {
            if (o.mode != ViewOptions::Mode::Window)
                return bad("only one of --png, --video and --bench");
            o.mode = arg == "--png" ? ViewOptions::Mode::Still : ViewOptions::Mode::Video;
            o.output = value;
        } else if (arg == "--bench") {
            if (o.mode != ViewOptions::Mode::Window) return bad("not with --png or --video");
            if (!parseWhole(value, 1, 100000, o.benchFrames)) return bad("expected 1 to 100000");
            o.mode = ViewOptions::Mode::Bench;
        } else if (arg == "--at") {
            double t = 0;
            if (!parseNumber(value, t) || t < 0) return bad("expected seconds, 0 or more");
            o.at = t;
        } else if (arg == "--frame") {
            long n = 0;
            if (!parseWhole(value, 0, 1L << 30, n))
                return bad("expected a frame number, 0 or more");
            o.frame = n;
        } else if (arg == "--size") {
            if (!parseSize(value, o.width, o.height))
                return bad("expected WIDTHxHEIGHT, each 16 to 8192");
            o.sizeGiven = true;
        } else if (arg == "--camera") {
            o.camera = value;
        } else if (arg == "--view") {
            AxisView v;
            if (!parseAxisView(value, v)) return bad("expected front, top, left, right or back");
            o.view = v;
        } else if (arg == "--background") {
            if (!parseColour(value, o.background)) return bad("expected R,G,B, each 0 to 255");
        } else if (arg == "--supersample") {
            long n = 0;
            if (!parseWhole(value, 1, 4, n)) return bad("expected 1 to 4");
            o.supersample = static_cast<int>(n);
        } else if (arg == "--fps") {
            long n = 0;
            if (!parseWhole(value, 1, 240, n)) return bad("expected 1 to 240");
            o.fps = static_cast<int>(n);
        } else if (arg == "--preset") {
            // brontavik-capture's export presets.
            if (value == "1080p" || value == "4k") {
                o.width = value == "4k" ? 3840 : 1920;
                o.height = value == "4k" ? 2160 : 1080;
                o.fps = 60;
                o.sizeGiven = true;
            } else if (value == "lossless") {
                o.lossless = true;
            } else {
                return bad("expected 1080p, 4k or lossless");
            }
        } else if (arg == "--gl") {
            if (value != "system" && value != "layer") return bad("expected system or layer");
            o.gl = value;
        } else {
            error = "unknown option " + arg;
            --i;
            return false;
        }
    }
    if (o.file.empty()) {
        error = "expected a FILE.3ds";
        return false;
    }
    if (!o.camera.empty() && o.view) {
        error = "--camera and --view choose the view both: give one";
        return false;
    }
    if (o.at && o.frame) {
        error = "--at and --frame choose the moment both: give one";
        return false;
    }
    return true;
}
