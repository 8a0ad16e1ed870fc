#pragma once
// The keyframer's nodes as the file states them, for a renderer that
// places objects by their hierarchy: each node's kind, id, parent, name,
// instance name, pivot and every track with its keys in frame order.
// Values are as in the file (rotation axes are not negated here).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class SceneNodeKind {
    Ambient,       // 0xB001
    Object,        // 0xB002: a mesh, or a dummy ("$$$DUMMY") that only groups
    Camera,        // 0xB003
    CameraTarget,  // 0xB004
    Light,         // 0xB005: an omni light
    SpotTarget,    // 0xB006
    Spotlight,     // 0xB007
};

// A key: its frame, its value and its spline's tension, continuity and
// bias (each -1..1, 0 when the file leaves them out).
template <class Value>
struct TrackKey {
    std::uint32_t frame = 0;
    Value value{};
    std::array<float, 3> spline{0.0f, 0.0f, 0.0f};
};

// An angle in radians about an axis, relative to the rotation of the key
// before it (the first key's is absolute).
struct AxisAngle {
    float angle = 0.0f;
    std::array<float, 3> axis{0.0f, 0.0f, 0.0f};
};

using VectorTrack = std::vector<TrackKey<std::array<float, 3>>>;
using FloatTrack = std::vector<TrackKey<float>>;

// A node header's parent id when the node has no parent.
constexpr std::uint16_t kNoParent = 0xFFFF;

struct SceneNode {
    SceneNodeKind kind = SceneNodeKind::Object;
    // The node's id (chunk 0xB030, or its position among the nodes when the
    // file gives none) and its parent's id (kNoParent: a root node).
    std::uint16_t id = 0;
    std::uint16_t parentId = kNoParent;
    // The parent's position in the node list, -1 for none: set after
    // reading when the parent id names a node that comes earlier in the
    // chain of parents without a loop.
    int parent = -1;
    std::string name;      // the object, camera or light it animates
    std::string instance;  // the instance's own name (0xB011), if any
    std::uint16_t flags = 0;
    std::array<float, 3> pivot{0.0f, 0.0f, 0.0f};
    VectorTrack position;
    std::vector<TrackKey<AxisAngle>> rotation;
    VectorTrack scale;
    FloatTrack fieldOfView;  // degrees
    FloatTrack roll;         // degrees
    VectorTrack color;
    FloatTrack hotspot;                        // degrees
    FloatTrack falloff;                        // degrees
    std::vector<TrackKey<std::string>> morph;  // the object whose shape is shown
    std::vector<std::uint32_t> hide;           // frames at which visibility flips
};
