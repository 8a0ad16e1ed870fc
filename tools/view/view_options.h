#pragma once
// What brontavik-view was asked to do.
#include <array>
#include <optional>
#include <string>

#include "scene3ds_render/scene_views.h"

struct ViewOptions {
    enum class Mode { Window, Still, Video, Bench } mode = Mode::Window;
    std::string file;           // the 3DS file
    std::string output;         // --png or --video file
    std::optional<double> at;   // --at SECONDS
    std::optional<long> frame;  // --frame N
    int width = 800;            // --size WxH
    int height = 600;
    bool sizeGiven = false;
    std::string camera;                        // --camera NAME
    std::optional<AxisView> view;              // --view
    std::array<float, 3> background{0, 0, 0};  // --background R,G,B (0 to 255)
    bool wire = false;                         // --wire
    bool normals = false;                      // --normals
    bool tangentFrames = false;                // --tangents
    int supersample = 1;                       // --supersample N
    int fps = 30;                              // --fps N (videos)
    bool lossless = false;                     // --preset lossless
    std::string gl = "system";                 // --gl system|layer
    long benchFrames = 0;                      // --bench N
};

// Parses the command line (without --help and --version, which the
// caller answers first); false with `error` naming the argument at fault.
bool parseViewOptions(int argc, char** argv, ViewOptions& options, std::string& error);
