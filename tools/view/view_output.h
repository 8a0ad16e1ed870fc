#pragma once
// Stills and videos of a scene without a display, through the capture
// tool's offscreen framebuffer, supersampling filter, PNG writer and video
// encoder.
#include <string>

#include "scene3ds_player/scene_player.h"
#include "tools/view/view_options.h"

// Each writes options.output; false with the reason in `error`.
bool writeStill(ScenePlayer& player, const ViewOptions& options, std::string& error);
// One loop of the animation from the player's moment, at options.fps.
bool writeVideo(ScenePlayer& player, const ViewOptions& options, std::string& error);
