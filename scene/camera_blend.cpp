#include "scene/camera_blend.h"

#include "scene/point_math.h"

namespace {
Point4 blendPoint(const Point4& a, const Point4& b, double weight) {
    return add(a, scaled(subtract(b, a), weight));
}
}  // namespace

void blendCamera(CameraFrame& destination, double weight, const CameraFrame& a,
                 const CameraFrame& b) {
    // Each component reads only the same component of a, so writing it into
    // destination cannot disturb a component still to come when the two alias.
    destination.eye = blendPoint(a.eye, b.eye, weight);
    destination.center = blendPoint(a.center, b.center, weight);
    destination.up = blendPoint(a.up, b.up, weight);
}
