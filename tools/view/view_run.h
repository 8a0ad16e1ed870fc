#pragma once
// What every build's brontavik-view does around its own window: the file
// loaded while the GL starts, the command line's view, moment and drawing
// options set, and the pictures drawn without a display.
#include <functional>
#include <string>

#include "scene3ds_player/scene_player.h"
#include "tools/view/view_options.h"
#include "tools/view/view_output.h"

// Prints "brontavik-view: MESSAGE" on standard error; returns exit status 1.
int failView(const std::string& message);

// Loads options.file on a thread of its own while `openGl` makes a GL
// context current on this one, then sets the player's camera or view, its
// moment and what is drawn from `options`. False with the one-line reason
// (the loader's, the GL's, or an unknown camera) in `error`.
bool startScene(ScenePlayer& player, const ViewOptions& options,
                const std::function<bool(std::string& error)>& openGl, BenchTimes& times,
                std::string& error);

// Writes a video of the player's animation to options.output; false with
// the reason in `error`. Builds without one pass none.
using VideoWriter = bool (*)(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
                             std::string& error);

// Makes the textures, then writes the still, the video or the timings
// options.mode asks for; the program's exit status.
int drawOffscreen(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
                  BenchTimes& times, VideoWriter writeVideo);
