#pragma once
#include <cstdint>

#include "scene/scene_parameters.h"
#include "scene/scene_part.h"

// The one part of the demo: spheres in wire cages inside a starry sky sphere,
// clouds, falling particles, a floor with growing spires and the closing
// images, all a pure function of sceneTime.
class MainScene : public ScenePart {
  public:
    // Seconds of scene time; every position, colour and fade follows from it.
    double sceneTime = 0.0;
    // Sum of the time steps render has received since init.
    double timeAccumulator = 0.0;
    // Added to every texture slot the scene uses (0: slots 0, 1, 10, 12, 20,
    // 40, 41).
    std::int32_t slotBase = 0;
    // The values a maker may shape; the show's own unless the driver sets them.
    SceneParameters parameters;

    // Lasts only until the next render, which copies the accumulator over it.
    void setTime(double& t) override;
    // Advances the accumulator by dt and draws the frame at its time.
    void render(double& dt, WindowRecord& window, RenderContext& context,
                InputRecord& input) override;
    // Draws the frame at the clock's scene time (the accumulator follows it):
    // sets the frame's projection, draws the scene and the film overlay, and
    // stores the scene time in input.auxValue.
    void renderAt(const ShowClock& clock, WindowRecord& window, RenderContext& context,
                  InputRecord& input) override;
    void spare1() override;
    // Creates the scene's textures; expects the GL context to be current.
    void init(RenderContext& context) override;
    void spare2() override;

    // Draws every layer of the scene at sceneTime into the current frame.
    void renderScene(RenderContext& context);
};
