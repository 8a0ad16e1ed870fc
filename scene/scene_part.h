#pragma once
// A demo part: the frame driver calls render once per frame.
class RenderContext;
struct WindowRecord;
struct InputRecord;

class ScenePart {
  public:
    virtual void setTime(double& t) = 0;
    virtual void render(double& dt, WindowRecord& window, RenderContext& context,
                        InputRecord& input) = 0;
    virtual void spare1() = 0;
    virtual void init(RenderContext& context) = 0;
    virtual void spare2() = 0;
    virtual ~ScenePart() = default;
};
