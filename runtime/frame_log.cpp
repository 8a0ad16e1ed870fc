#include "runtime/render_context.h"

// Placeholder until the frame-rate log lands (issue 8): frameLogEnabled is
// off as shipped, so nothing is recorded or written yet.
void RenderContext::openFrameLog(const char*, double seconds) {
    frameLogSeconds = seconds;
}
void RenderContext::storeFrameSample(double, double, std::int32_t) {}
void RenderContext::writeFrameLog() {}
