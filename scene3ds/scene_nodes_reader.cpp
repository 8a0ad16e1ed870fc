// The keyframer's nodes: every kind, with its id, parent, names, pivot and
// tracks. Keys are kept in frame order, one per frame; a track's key count
// is only believed as far as its chunk holds keys.
#include <algorithm>
#include <cmath>

#include "scene3ds/extras_reading.h"

namespace extras_reading {

namespace {

constexpr int kNameLength = 65;  // names of up to 64 characters

bool nodeKind(std::uint16_t id, SceneNodeKind& kind) {
    switch (id) {
        case chunk3ds::kAmbientNode:
            kind = SceneNodeKind::Ambient;
            return true;
        case chunk3ds::kObjectNode:
            kind = SceneNodeKind::Object;
            return true;
        case chunk3ds::kCameraNode:
            kind = SceneNodeKind::Camera;
            return true;
        case chunk3ds::kCameraTargetNode:
            kind = SceneNodeKind::CameraTarget;
            return true;
        case chunk3ds::kLightNode:
            kind = SceneNodeKind::Light;
            return true;
        case chunk3ds::kSpotTargetNode:
            kind = SceneNodeKind::SpotTarget;
            return true;
        case chunk3ds::kSpotlightNode:
            kind = SceneNodeKind::Spotlight;
            return true;
        default:
            return false;
    }
}

float finite(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

std::array<float, 3> readVector(Model3dsLoader& reader) {
    std::array<float, 3> v;
    for (float& c : v) c = finite(reader.readFloat());
    return v;
}

// Reads a track's keys, each value read by `readValue`, into `keys`, sorted
// by frame with the last of equal frames kept. Frames with the top bit set
// are damage and their keys are dropped.
template <class Value, class ReadValue>
void readTrack(Model3dsLoader& reader, const ChunkSpan& track, std::vector<TrackKey<Value>>& keys,
               ReadValue&& readValue) {
    if (!holds(track, 14)) return;
    reader.seek(track.start + 10);
    const std::uint32_t count = reader.readDword();
    for (std::uint32_t k = 0; k < count; ++k) {
        // A key is at least its frame and flags.
        if (reader.cursor >= track.end || track.end - reader.cursor < 6) break;
        const std::uint32_t before = reader.cursor;
        TrackKey<Value> key;
        key.frame = reader.readDword();
        const std::uint16_t flags = reader.readWord();
        // Tension, continuity and bias are kept; ease to and from are not.
        for (int bit = 0; bit < 5; ++bit) {
            if (!(flags & (1u << bit))) continue;
            const float v = reader.readFloat();
            if (bit < 3 && std::isfinite(v)) key.spline[bit] = std::clamp(v, -1.0f, 1.0f);
        }
        key.value = readValue();
        if (reader.cursor == before || reader.cursor > track.end) break;
        if (key.frame & 0x80000000u) continue;
        keys.push_back(std::move(key));
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.frame < b.frame; });
    // Of keys at one frame, the last in the file wins.
    std::vector<TrackKey<Value>> unique;
    for (auto& key : keys) {
        if (!unique.empty() && unique.back().frame == key.frame)
            unique.back() = std::move(key);
        else
            unique.push_back(std::move(key));
    }
    keys = std::move(unique);
}

void readNodeChild(Model3dsLoader& reader, const ChunkSpan& child, SceneNode& node) {
    reader.seek(child.start);
    auto vector = [&] { return readVector(reader); };
    auto number = [&] { return finite(reader.readFloat()); };
    switch (child.id) {
        case chunk3ds::kNodeId:
            if (holds(child, 2)) node.id = reader.readWord();
            break;
        case chunk3ds::kNodeHeader:
            node.name = readName(reader, kNameLength);
            // Two words of flags, then the parent's id.
            if (reader.cursor <= child.end && child.end - reader.cursor >= 6) {
                node.flags = reader.readWord();
                reader.skip(2);
                node.parentId = reader.readWord();
            }
            break;
        case chunk3ds::kInstanceName:
            node.instance = readName(reader, kNameLength);
            break;
        case chunk3ds::kPivot:
            if (holds(child, 12)) node.pivot = readVector(reader);
            break;
        case chunk3ds::kPositionTrack:
            readTrack(reader, child, node.position, vector);
            break;
        case chunk3ds::kRotationTrack:
            readTrack(reader, child, node.rotation, [&] {
                AxisAngle r;
                r.angle = number();
                r.axis = readVector(reader);
                return r;
            });
            break;
        case chunk3ds::kScaleTrack:
            // Some files hold a scale of 0 on an axis where they mean 1: a
            // flat object would draw nothing at all.
            readTrack(reader, child, node.scale, [&] {
                std::array<float, 3> s = readVector(reader);
                for (float& c : s)
                    if (c == 0.0f) c = 1.0f;
                return s;
            });
            break;
        case chunk3ds::kFieldOfViewTrack:
            readTrack(reader, child, node.fieldOfView, number);
            break;
        case chunk3ds::kRollTrack:
            readTrack(reader, child, node.roll, number);
            break;
        case chunk3ds::kColorTrack:
            readTrack(reader, child, node.color, vector);
            break;
        case chunk3ds::kHotspotTrack:
            readTrack(reader, child, node.hotspot, number);
            break;
        case chunk3ds::kFalloffTrack:
            readTrack(reader, child, node.falloff, number);
            break;
        case chunk3ds::kMorphTrack:
            readTrack(reader, child, node.morph, [&] { return readName(reader, kNameLength); });
            break;
        case chunk3ds::kHideTrack: {
            std::vector<TrackKey<char>> keys;
            readTrack(reader, child, keys, [] { return char{0}; });
            for (const auto& key : keys) node.hide.push_back(key.frame);
            break;
        }
        default:
            break;
    }
}

// Links each node to the node its parent id names (the first with that
// id). A link that would close a loop is dropped, so every chain of
// parents ends at a root.
void linkParents(std::vector<SceneNode>& nodes) {
    for (SceneNode& node : nodes) {
        node.parent = -1;
        if (node.parentId == kNoParent) continue;
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].id == node.parentId) {
                node.parent = static_cast<int>(i);
                break;
            }
    }
    // A node whose chain of parents comes back to it is in a loop: its own
    // link is dropped, which opens the loop for the nodes after it. The
    // walk is bounded, as a chain may run into a loop it is not part of.
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        int at = nodes[i].parent;
        for (std::size_t steps = 0; at >= 0 && steps <= nodes.size(); ++steps) {
            if (static_cast<std::size_t>(at) == i) {
                nodes[i].parent = -1;
                break;
            }
            at = nodes[static_cast<std::size_t>(at)].parent;
        }
    }
}

}  // namespace

void readSceneNodes(Model3dsLoader& reader, const ChunkSpan& keyframer, SceneExtras& extras) {
    forEachChild(reader, keyframer, keyframer.start, [&](const ChunkSpan& chunk) {
        if (chunk.id == chunk3ds::kKeyframerSegment && holds(chunk, 8)) {
            reader.seek(chunk.start);
            extras.hasSegment = true;
            extras.segmentStart = reader.readDword();
            extras.segmentEnd = reader.readDword();
            return;
        }
        SceneNode node;
        if (!nodeKind(chunk.id, node.kind)) return;
        // Nodes without an id chunk count in file order.
        node.id = static_cast<std::uint16_t>(extras.nodes.size());
        forEachChild(reader, chunk, chunk.start,
                     [&](const ChunkSpan& child) { readNodeChild(reader, child, node); });
        extras.nodes.push_back(std::move(node));
    });
    linkParents(extras.nodes);
}

}  // namespace extras_reading
