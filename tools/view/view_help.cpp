#include "tools/view/view_help.h"

namespace {

const char kDetails[] =
    "Given only the file, opens a window that plays the animation in a loop at 30 frames a\n"
    "second, from the file's first camera, or the front view when it has none. Keys: Space\n"
    "pause, Left/Right a frame back or on, Tab the next camera, F/T/L the front, top and left\n"
    "views, W wireframe, N normals, B tangent frames, Escape ends. Drag with the mouse to turn\n"
    "the view about the scene, turn the wheel to zoom.\n"
    "Orthographic views: front has image right = +X and up = +Z, looking along +Y; back\n"
    "-X, +Z, along -Y; left -Y, +Z, along +X; right +Y, +Z, along -X; top +X, +Y, along -Z.\n"
    "The scene's box at that moment is centred and its larger extent fills 90 % of the\n"
    "picture's smaller side. Textures are read from the file's folder (JPEG, PNG, TGA, BMP,\n"
    "GIF), found whatever the case of their names and by their 8.3 short names.\n";

const char kOptions[] =
    "  --png OUT             write one frame as PNG, without a display\n"
    "  --at SECONDS          the moment shown (the animation loops)\n"
    "  --frame N             the animation frame shown, from 0\n"
    "  --size WxH            picture size (default 800x600)\n"
    "  --camera NAME         the file's camera of that name\n"
    "  --view front|top|left|right|back  an orthographic view\n"
    "  --background R,G,B    background colour, each 0 to 255 (default 0,0,0)\n"
    "  --wire                edges only\n"
    "  --normals             vertex normals as short lines\n"
    "  --tangents            tangent frames as short lines\n"
    "  --supersample N       render N times larger and filter down (1 to 4)\n"
    "  --bench N             draw N frames of the animation offscreen and print the time to\n"
    "                        the first frame and the frame times (median, worst, mean)\n";

const char kExitStatus[] =
    " 0  done (the window was closed, or the file written)\n"
    " 1  the file could not be loaded or written (one-line reason on standard error)\n"
    " 2  a command line it cannot use\n";

}  // namespace

ViewHelp::ViewHelp(const std::string& modes, const std::string& buildOptions,
                   const std::string& buildNote)
    : usage_("FILE.3ds [" + modes + "] [OPTIONS]"),
      details_(std::string(kDetails) + (buildNote.empty() ? "" : "\n" + buildNote)),
      options_(kOptions + buildOptions),
      help_{"brontavik-view",
            usage_.c_str(),
            "Play a 3DS scene with its materials, lights, cameras and keyframe animation.",
            details_.c_str(),
            options_.c_str(),
            kExitStatus} {}
