#pragma once
// brontavik-view --video on Linux: one loop of the animation through the
// capture tool's video encoder (ffmpeg).
#include <string>

#include "scene3ds_player/scene_player.h"
#include "tools/view/view_options.h"
#include "tools/view/view_output.h"

// Writes options.output from the player's moment, at options.fps; false
// with the reason in `error`.
bool writeVideo(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
                std::string& error);
