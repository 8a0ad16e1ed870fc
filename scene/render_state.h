#pragma once
class RenderContext;
struct WindowRecord;

// Blending, lighting, colour-material tracking, light 0 and 2D texturing off;
// colour opaque white.
void resetRenderState();

// Makes the window's GL context current, then sets the frame's perspective:
// vertical field of view 75 + fovOffset degrees, aspect 1.0 whatever the
// window's shape, near and far planes from the context. Leaves the modelview
// matrix selected and at identity.
void applyProjection(RenderContext& context, WindowRecord& window);

// Device pixels per pixel of the 600-line window the show is drawn for.
// Point sizes and line widths are multiplied by it, so a larger frame shows
// the same picture rather than finer dots and lines; 1 in the program.
inline double pixelScale = 1.0;
