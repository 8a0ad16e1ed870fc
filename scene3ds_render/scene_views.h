#pragma once
// The views a scene is drawn from: the file's cameras, and orthographic
// views that frame the scene's box exactly, each turned by an orbit and
// scaled by a zoom.
#include <array>
#include <string>

#include "scene3ds/named_records.h"
#include "scene3ds_render/model_pose.h"

// The orthographic views, as (image right, image up, looking along):
// front  (+X, +Z, +Y)    back  (-X, +Z, -Y)
// left   (-Y, +Z, +X)    right (+Y, +Z, -X)
// top    (+X, +Y, -Z)
enum class AxisView { Front, Back, Left, Right, Top };

// Parses "front", "back", "left", "right" or "top"; false for anything else.
bool parseAxisView(const std::string& text, AxisView& view);
const char* axisViewName(AxisView view);

// Turns a view: yaw about the image's up axis, then pitch about its right
// axis (radians), and a zoom factor (2 shows things twice as large).
struct Orbit {
    double yaw = 0.0;
    double pitch = 0.0;
    double zoom = 1.0;
};

using Vec3d = std::array<double, 3>;

// What the GL is given for a view: the eye, the point looked at and the up
// direction (gluLookAt), and either an orthographic box in eye space
// (glOrtho) or a vertical field of view and aspect (gluPerspective).
struct ViewSetup {
    Vec3d eye{0, -1, 0};
    Vec3d centre{0, 0, 0};
    Vec3d up{0, 0, 1};
    bool orthographic = true;
    double left = -1, right = 1, bottom = -1, top = 1;  // orthographic
    double fieldOfViewY = 45.0;                         // perspective, degrees
    double aspect = 1.0;
    double zNear = 0.1;
    double zFar = 100.0;
};

// An orthographic view of `bounds` for a `width` by `height` picture: the
// box's centre in the middle, and its larger extent as projected onto the
// image's right and up axes filling 90 % of the picture's smaller side
// (divided by the zoom). An empty box is taken as the unit cube.
ViewSetup axisViewSetup(AxisView view, const Orbit& orbit, const Bounds& bounds, int width,
                        int height);

// The file's camera: from its position towards its target, the up axis +Z
// turned by the roll (degrees) about the line of sight, the field of view
// as the horizontal one of the picture (3D Studio's lens convention),
// divided by the zoom. Near and far planes enclose `bounds`.
ViewSetup cameraViewSetup(const Camera3ds& camera, const Orbit& orbit, const Bounds& bounds,
                          int width, int height);

// Where a scene point lands in the picture of an orthographic `setup`, in
// pixels from the picture's left and top edges, for a `width` by `height`
// picture.
std::array<double, 2> projectOrthographic(const ViewSetup& setup, const Vec3d& point, int width,
                                          int height);
