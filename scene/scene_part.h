#pragma once
// A demo part: the frame driver calls it once per frame.
#include "runtime/show_clock.h"

class RenderContext;
struct WindowRecord;
struct InputRecord;

class ScenePart {
  public:
    virtual void setTime(double& t) = 0;
    // Advances the part's own clock by dt and draws the frame.
    virtual void render(double& dt, WindowRecord& window, RenderContext& context,
                        InputRecord& input) = 0;
    virtual void spare1() = 0;
    virtual void init(RenderContext& context) = 0;
    virtual void spare2() = 0;
    virtual ~ScenePart() = default;

    // Draws the frame the clock record describes. A part that keeps only its
    // own clock advances it by the record's step.
    virtual void renderAt(const ShowClock& clock, WindowRecord& window, RenderContext& context,
                          InputRecord& input) {
        double step = clock.frameDelta;
        render(step, window, context, input);
    }
};
