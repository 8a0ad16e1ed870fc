#include "scene/camera_path.h"

#include <cmath>

#include "runtime/render_context.h"
#include "scene/camera_blend.h"
#include "scene/scene_parameters.h"
#include "scene/timing_curves.h"

namespace {
CameraFrame frame(double ex, double ey, double ez, double cx, double cy, double cz, double ux,
                  double uy, double uz) {
    return CameraFrame{{ex, ey, ez, 1}, {cx, cy, cz, 1}, {ux, uy, uz, 1}};
}
}  // namespace

void updateCameraPath(RenderContext& context, double t) {
    // The base goes straight into the camera; previousCamera is left alone.
    context.camera = frame(5.0 * std::sin(0.1 * t), 40.0, 5.0 * std::cos(0.1 * t), 0.0, -20.0, 0.0,
                           0.0, 1.0, 0.0);

    const CameraFrame wideOrbit = frame(25.0 * std::sin(0.3 * t), -10.0, 25.0 * std::cos(0.3 * t),
                                        0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    blendCamera(context.camera, easedRamp(t, 4.0, 0.05), context.camera, wideOrbit);

    const CameraFrame tightOrbit = frame(3.0 * std::sin(-0.4 * t), 2.0, 3.0 * std::cos(-0.4 * t),
                                         0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    blendCamera(context.camera, easedRamp(t, 25.0, 0.08), context.camera, tightOrbit);

    const CameraFrame amongSpires =
        frame(-1.3 * std::sin(-0.1 * t), 0.3 + 0.3 * std::sin(0.2 * t), -1.3 * std::cos(-0.1 * t),
              10.0 * std::sin(-0.3 * t), 1.5 + std::sin(0.4 * t), 10.0 * std::cos(-0.3 * t),
              0.3 * std::sin(0.2 * t), 1.0, 0.0);
    blendCamera(context.camera, easedRamp(t, 42.0, 0.1), context.camera, amongSpires);

    const CameraFrame closing = frame(0.0, 3.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0);
    blendCamera(context.camera, easedRamp(t, 72.0, 0.18), context.camera, closing);
}

void placeCamera(CameraFrame& camera, const SceneParameters& parameters) {
    const auto place = [](double& coordinate, const std::optional<double>& value) {
        if (value) coordinate = *value;
    };
    place(camera.eye.x, parameters.eyeX);
    place(camera.eye.y, parameters.eyeY);
    place(camera.eye.z, parameters.eyeZ);
    place(camera.center.x, parameters.targetX);
    place(camera.center.y, parameters.targetY);
    place(camera.center.z, parameters.targetZ);
}
