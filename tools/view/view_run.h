#pragma once
// What every build's brontavik-view does around its own window: the file
// loaded while the GL starts, the command line's view, moment and drawing
// options set, and the pictures drawn without a display.
#include <string>

#include "scene3ds_player/scene_player.h"
#include "tools/view/gl_window.h"
#include "tools/view/view_options.h"
#include "tools/view/view_output.h"

// Prints "brontavik-view: MESSAGE" on standard error; returns exit status 1.
int failView(const std::string& message);

// Writes a video of the player's animation to options.output; false with
// the reason in `error`.
using VideoWriter = bool (*)(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
                             std::string& error);

// What a build's main gives the run: its window's loop, its video writer
// (null where it makes none), and how it tells a failure to start.
struct ViewBuild {
    // Plays in `window` (open, its context current) until the player quits;
    // the exit status.
    int (*playInWindow)(ScenePlayer& player, GlWindow& window);
    VideoWriter writeVideo = nullptr;
    int (*fail)(const std::string& message) = failView;
};

// Loads options.file on a thread of its own while the GL starts (a window,
// or a hidden context for the offscreen outputs), sets the player's camera
// or view, moment and what is drawn from `options`, then plays in the
// window or writes the still, the video or the timings. A file the loader
// refuses, a GL that cannot start or an unknown camera: the one-line reason
// through build.fail. The program's exit status.
int runView(const ViewOptions& options, BenchTimes& times, const ViewBuild& build);
