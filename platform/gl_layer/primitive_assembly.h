#pragma once
// Between glBegin and glEnd: gathers processed vertices and hands complete
// primitives to the batch renderer as the real GL draws them. Quads become
// the triangles (v0 v1 v2) and (v0 v2 v3); lines wider than one pixel
// become screen-aligned quads as GL's wide lines are rasterised (widened
// along the minor axis), since ES caps line width at 1; points keep their
// size.
#include "platform/gl_layer/batch_renderer.h"

namespace gl_layer {

class PrimitiveAssembler {
  public:
    // False when `mode` is not one the layer draws.
    bool begin(GLenum mode, const DrawState& state, GLenum shadeModel, float lineWidth);
    void add(const LayerVertex& vertex, BatchRenderer& renderer);
    // Drops an unfinished primitive, as GL does.
    void end();
    bool active() const { return active_; }

  private:
    void emitLine(BatchRenderer& renderer);
    void emitQuad(LayerVertex (&corners)[4], BatchRenderer& renderer);

    bool active_ = false;
    GLenum mode_ = GL_POINTS;
    DrawState state_;
    bool flat_ = false;
    int lineWidth_ = 1;
    int pending_ = 0;
    LayerVertex vertices_[4];
};

}  // namespace gl_layer
