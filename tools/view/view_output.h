#pragma once
// Stills and frame timings of a scene without a display, through the
// capture tool's offscreen framebuffer, supersampling filter and PNG
// writer.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "scene3ds_player/scene_player.h"
#include "tools/capture/render_target.h"
#include "tools/view/gl_window.h"
#include "tools/view/view_options.h"

// A hidden GL context drawing into a framebuffer `supersample` times the
// frame's size; frames come back filtered to the frame's size, top row
// first. The context can be made while the file is still loading.
class OffscreenScene {
  public:
    OffscreenScene() = default;
    OffscreenScene(const OffscreenScene&) = delete;
    OffscreenScene& operator=(const OffscreenScene&) = delete;
    ~OffscreenScene();

    bool openGl(const ViewOptions& options, std::string& error);
    // The player's textures, once its file is loaded.
    void setUp(ScenePlayer& player);
    const std::vector<std::uint8_t>& render(ScenePlayer& player);
    // Draws a frame and waits for the GL to finish it, reading nothing back.
    void draw(ScenePlayer& player);
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    GlWindow window_;
    RenderTarget target_;
    int width_ = 0;
    int height_ = 0;
    int supersample_ = 1;
    std::vector<std::uint8_t> picture_;
    std::vector<std::uint8_t> frame_;
};

// Writes options.output; false with the reason in `error`.
bool writeStill(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
                std::string& error);

// When the program started, and how long loading the file, starting GL
// (both at once) and making the textures took, in seconds.
struct BenchTimes {
    std::chrono::steady_clock::time_point started;
    double load = 0;
    double glStart = 0;
    double textures = 0;
};

// Draws options.benchFrames frames of the animation offscreen, one frame
// on each time, each waited for to the end, and prints how long the first
// frame took from the program's start and the frames' drawing times
// (median, worst, mean).
void runBench(OffscreenScene& scene, ScenePlayer& player, const ViewOptions& options,
              const BenchTimes& times);
