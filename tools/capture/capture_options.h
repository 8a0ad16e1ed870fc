#pragma once
#include <string>

// What brontavik-capture was asked to do.
struct CaptureOptions {
    enum class Mode { None, Still, Frames, Video, Bench } mode = Mode::None;
    double at = 0.0;   // --at: scene time of the one frame
    int fps = 60;      // --fps: frames per second of demo time
    std::string path;  // PNG file, frame folder or video file
    int width = 800;
    int height = 600;
    std::string gl = "system";  // --gl: "system" (GL 1.x) or "layer" (fixed-function layer)
};

// Parses the command line; on a bad one returns false with `error` set.
bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error);

inline constexpr const char* kCaptureUsage =
    "usage: brontavik-capture [--size WxH] (--at SECONDS --png FILE | --fps N --frames DIR |\n"
    "                          --fps N --video FILE.mp4 | --bench) [--gl system|layer]";
