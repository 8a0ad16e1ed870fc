#include "scene3ds_render/scene_views.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
// The share of the picture's smaller side the scene's extent fills.
constexpr double kFill = 0.9;

Vec3d add(const Vec3d& a, const Vec3d& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
Vec3d sub(const Vec3d& a, const Vec3d& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec3d scale(const Vec3d& a, double s) {
    return {a[0] * s, a[1] * s, a[2] * s};
}
double dot(const Vec3d& a, const Vec3d& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec3d cross(const Vec3d& a, const Vec3d& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3d unit(const Vec3d& a) {
    const double length = std::sqrt(dot(a, a));
    return length > 0 ? scale(a, 1.0 / length) : a;
}
// Rodrigues' rotation of v about the unit axis k.
Vec3d rotate(const Vec3d& v, const Vec3d& k, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return add(add(scale(v, c), scale(cross(k, v), s)), scale(k, dot(k, v) * (1 - c)));
}

struct Basis {
    Vec3d right, up, forward;
};

Basis axisBasis(AxisView view) {
    switch (view) {
        case AxisView::Front:
            return {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
        case AxisView::Back:
            return {{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}};
        case AxisView::Left:
            return {{0, -1, 0}, {0, 0, 1}, {1, 0, 0}};
        case AxisView::Right:
            return {{0, 1, 0}, {0, 0, 1}, {-1, 0, 0}};
        case AxisView::Top:
            break;
    }
    return {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
}

// Yaw about the up axis, then pitch about the (turned) right axis.
Basis orbited(Basis b, const Orbit& orbit) {
    b.right = rotate(b.right, b.up, orbit.yaw);
    b.forward = rotate(b.forward, b.up, orbit.yaw);
    b.up = rotate(b.up, b.right, orbit.pitch);
    b.forward = rotate(b.forward, b.right, orbit.pitch);
    return b;
}

Bounds usableBounds(const Bounds& bounds) {
    if (!bounds.empty) return bounds;
    Bounds unitCube;
    unitCube.add({-0.5f, -0.5f, -0.5f});
    unitCube.add({0.5f, 0.5f, 0.5f});
    return unitCube;
}

std::array<Vec3d, 8> corners(const Bounds& b) {
    std::array<Vec3d, 8> c;
    for (int i = 0; i < 8; ++i)
        c[i] = {(i & 1) ? b.max[0] : b.min[0], (i & 2) ? b.max[1] : b.min[1],
                (i & 4) ? b.max[2] : b.min[2]};
    return c;
}

double zoomOf(const Orbit& orbit) {
    return orbit.zoom > 0 && std::isfinite(orbit.zoom) ? orbit.zoom : 1.0;
}

}  // namespace

bool parseAxisView(const std::string& text, AxisView& view) {
    for (AxisView v :
         {AxisView::Front, AxisView::Back, AxisView::Left, AxisView::Right, AxisView::Top})
        if (text == axisViewName(v)) {
            view = v;
            return true;
        }
    return false;
}

const char* axisViewName(AxisView view) {
    switch (view) {
        case AxisView::Front:
            return "front";
        case AxisView::Back:
            return "back";
        case AxisView::Left:
            return "left";
        case AxisView::Right:
            return "right";
        case AxisView::Top:
            break;
    }
    return "top";
}

ViewSetup axisViewSetup(AxisView view, const Orbit& orbit, const Bounds& sceneBox, int width,
                        int height) {
    const Bounds box = usableBounds(sceneBox);
    const Basis b = orbited(axisBasis(view), orbit);
    const Vec3d centre = box.centre();
    double extentX = 0, extentY = 0, depth = 0;
    for (const Vec3d& corner : corners(box)) {
        const Vec3d d = sub(corner, centre);
        extentX = std::max(extentX, std::abs(dot(d, b.right)));
        extentY = std::max(extentY, std::abs(dot(d, b.up)));
        depth = std::max(depth, std::abs(dot(d, b.forward)));
    }
    // Extents are half-extents here: the larger full extent, 2 max(ex, ey),
    // spans kFill of the smaller side.
    double extent = 2 * std::max(extentX, extentY);
    if (!(extent > 0)) extent = 1.0;
    const double pixelsPerUnit = kFill * std::min(width, height) / extent * zoomOf(orbit);
    ViewSetup s;
    s.orthographic = true;
    const double distance = 2 * depth + 1.0;
    s.centre = centre;
    s.eye = sub(centre, scale(b.forward, distance));
    s.up = b.up;
    s.right = width / 2.0 / pixelsPerUnit;
    s.left = -s.right;
    s.top = height / 2.0 / pixelsPerUnit;
    s.bottom = -s.top;
    s.aspect = static_cast<double>(width) / height;
    // The box lies within `depth` of the centre along the line of sight;
    // a margin keeps its faces off the clipping planes.
    s.zNear = distance - depth * 1.01 - 0.5;
    s.zFar = distance + depth * 1.01 + 0.5;
    return s;
}

ViewSetup cameraViewSetup(const Camera3ds& camera, const Orbit& orbit, const Bounds& sceneBox,
                          int width, int height) {
    const Bounds box = usableBounds(sceneBox);
    ViewSetup s;
    s.orthographic = false;
    Vec3d eye{camera.position[0], camera.position[1], camera.position[2]};
    const Vec3d target{camera.target[0], camera.target[1], camera.target[2]};
    Vec3d forward = unit(sub(target, eye));
    if (dot(forward, forward) == 0 || !std::isfinite(forward[0])) forward = {0, 1, 0};
    // Up is +Z unless the camera looks straight along it.
    Vec3d worldUp{0, 0, 1};
    if (std::abs(dot(forward, worldUp)) > 0.999) worldUp = {0, 1, 0};
    Vec3d right = unit(cross(forward, worldUp));
    Vec3d up = cross(right, forward);
    // A positive roll turns the up direction away from the picture's right
    // (objects linked to a camera stay where the editor put them only so).
    const double roll = std::isfinite(camera.roll) ? camera.roll * kPi / 180.0 : 0.0;
    up = rotate(up, forward, -roll);
    // The orbit turns the eye about the target.
    right = unit(cross(forward, up));
    Vec3d toEye = sub(eye, target);
    toEye = rotate(toEye, up, -orbit.yaw);
    right = rotate(right, up, -orbit.yaw);
    toEye = rotate(toEye, right, -orbit.pitch);
    up = rotate(up, right, -orbit.pitch);
    eye = add(target, toEye);
    s.eye = eye;
    s.centre = target;
    s.up = up;
    s.aspect = static_cast<double>(width) / height;
    double horizontal = camera.fieldOfView;
    if (!(horizontal > 0.5 && horizontal < 179.0)) horizontal = 45.0;
    const double halfTan = std::tan(horizontal * kPi / 360.0) / zoomOf(orbit);
    s.fieldOfViewY = 2 * std::atan(halfTan / s.aspect) * 180.0 / kPi;
    // Near and far around the scene's bounding sphere, seen from the eye.
    const double radius = std::max(box.radius(), 1e-3);
    const Vec3d c = box.centre();
    const double toCentre = std::sqrt(dot(sub(c, eye), sub(c, eye)));
    s.zFar = toCentre + radius * 1.01 + 1e-3;
    s.zNear = std::max(toCentre - radius * 1.01, s.zFar * 1e-4);
    return s;
}

std::array<double, 2> projectOrthographic(const ViewSetup& s, const Vec3d& point, int width,
                                          int height) {
    const Vec3d forward = unit(sub(s.centre, s.eye));
    const Vec3d up = unit(s.up);
    const Vec3d right = cross(forward, up);
    const Vec3d d = sub(point, s.centre);
    const double x = (dot(d, right) - s.left) / (s.right - s.left) * width;
    const double y = (s.top - dot(d, up)) / (s.top - s.bottom) * height;
    return {x, y};
}
