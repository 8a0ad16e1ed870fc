#pragma once
#include <vector>

#include "runtime/input_record.h"
#include "scene/scene_part.h"

// A scene part that only records the time steps it is given, for tests of
// the frame driver and the message loop.
class RecordingScene : public ScenePart {
  public:
    std::vector<double> steps;
    void setTime(double&) override {}
    void render(double& dt, WindowRecord&, RenderContext&, InputRecord& input) override {
        steps.push_back(dt);
        input.auxValue = dt;
    }
    void spare1() override {}
    void init(RenderContext&) override {}
    void spare2() override {}
};
