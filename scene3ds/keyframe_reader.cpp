// The keyframer section (0xB000): one node per object node chunk (0xB002),
// with its pivot, position track and rotation track.
#include <algorithm>
#include <cstring>

#include "scene3ds/model3ds_loader.h"

namespace {
// Frame numbers with the top bit set are damage, not animation.
std::uint32_t plausibleFrame(std::uint32_t frame) {
    return (frame & 0x80000000u) ? 0 : frame;
}
}  // namespace

const Mesh3ds* Model3dsLoader::findMesh(const char* name) const {
    std::size_t length = std::strlen(name);
    for (const Mesh3ds& mesh : meshes) {
        if (mesh.name.size() == length && std::memcmp(mesh.name.data(), name, length) == 0)
            return &mesh;
    }
    return nullptr;
}

void Model3dsLoader::readKeyframer(const ChunkSpan& main) {
    seek(main.start);
    ChunkSpan keyframer;
    keyframer.id = chunk3ds::kKeyframer;
    if (!findChunk(keyframer, main)) return;
    const std::uint32_t statedEnd = readAnimationEnd(keyframer);
    std::uint32_t asked = 0;
    seek(keyframer.start);
    ChunkSpan node;
    node.id = chunk3ds::kObjectNode;
    while (findChunk(node, keyframer)) {
        currentNode.pivots.clear();
        currentNode.rotationKeys.clear();
        currentNode.positionKeys.clear();
        asked = std::max(asked, plausibleFrame(readNode(node)));
        seek(node.end);
        nodes.push_back(currentNode);
    }
    coverAnimation(statedEnd, asked);
}

std::uint32_t Model3dsLoader::readAnimationEnd(const ChunkSpan& keyframer) {
    std::uint32_t end = 0;
    seek(keyframer.start);
    ChunkSpan header;
    header.id = chunk3ds::kKeyframerHeader;
    if (findChunk(header, keyframer)) {
        // Revision, the scene's name, then the animation length in frames.
        seek(header.start);
        skip(2);
        while (cursor < header.end && readByte() != 0) {
        }
        if (cursor <= header.end && header.end - cursor >= 4)
            end = std::max(end, plausibleFrame(readDword()));
    }
    seek(keyframer.start);
    ChunkSpan segment;
    segment.id = chunk3ds::kKeyframerSegment;
    if (findChunk(segment, keyframer)) {
        // The active segment: first and last frame.
        seek(segment.start);
        skip(4);
        end = std::max(end, plausibleFrame(readDword()));
    }
    return end;
}

void Model3dsLoader::coverAnimation(std::uint32_t statedEnd, std::uint32_t asked) {
    // 3ds Max writes 0 where a position track asks for a frame count and
    // states the length in the keyframer's header instead; without this,
    // every key after frame 0 would fall outside the per-frame arrays. A
    // length the file states is kept as the file's word (keys past it are
    // compressed or dropped as before); only a file that states no length
    // at all takes it from its keys.
    std::uint32_t needed = 0;
    if (statedEnd > 0) {
        needed = statedEnd + 1;  // frames 0 to the last frame
    } else if (asked == 0) {
        for (const Node3ds& node : nodes) {
            for (const PositionKey3ds& key : node.positionKeys)
                needed = std::max(needed, plausibleFrame(key.frame) + 1);
            for (const RotationKey3ds& key : node.rotationKeys)
                needed = std::max(needed, plausibleFrame(key.frame) + 1);
        }
    }
    frameCount = std::max(frameCount, std::min(needed, kMaxFrameCount));
}

bool Model3dsLoader::readKeyHeader(std::uint32_t& frame) {
    std::uint32_t before = cursor;
    frame = readDword();
    if (cursor == before) return false;  // the file has run out
    std::uint16_t flags = readWord();
    // Tension, continuity, bias, ease to, ease from: one float each if set.
    for (std::uint16_t bit = 0x0001; bit <= 0x0010; bit <<= 1) {
        if (flags & bit) skip(4);
    }
    return true;
}

std::uint32_t Model3dsLoader::readNode(const ChunkSpan& node) {
    // Every search starts at the node's start: children may come in any order.
    seek(node.start);
    ChunkSpan header;
    header.id = chunk3ds::kNodeHeader;
    if (!findChunk(header, node)) return 0;
    seek(header.start);
    char name[19] = {};
    readString(name, 19);
    if (!findMesh(name)) return 0;

    seek(node.start);
    ChunkSpan pivot;
    pivot.id = chunk3ds::kPivot;
    if (findChunk(pivot, node)) {
        seek(pivot.start);
        PivotPoint3ds point;
        point.x = readFloat();
        point.y = readFloat();
        point.z = readFloat();
        currentNode.pivots.push_back(point);
    }

    // Key counts come from the file and may be anything: a track also ends
    // at the end of its chunk or of the file, so no count makes the loop
    // outlast the data or read other chunks as keys.
    std::uint32_t asked = 0;
    seek(node.start);
    ChunkSpan positions;
    positions.id = chunk3ds::kPositionTrack;
    if (findChunk(positions, node)) {
        seek(positions.start);
        skip(2);
        skip(4);
        asked = readDword();
        std::uint32_t frames = std::max(frameCount, asked);
        if (frames == 0 || (frames & 0x80000000u)) {
            frameCount = 1;
        } else {
            frameCount = std::min(frames, kMaxFrameCount);
        }
        std::uint32_t before = cursor;
        std::uint32_t keys = readDword();
        if (cursor == before) keys = 0;
        for (std::uint32_t k = 0; k < keys; ++k) {
            PositionKey3ds key;
            if (cursor >= positions.end || !readKeyHeader(key.frame)) break;
            key.x = readFloat();
            key.y = readFloat();
            key.z = readFloat();
            currentNode.positionKeys.push_back(key);
        }
    }

    seek(node.start);
    ChunkSpan rotations;
    rotations.id = chunk3ds::kRotationTrack;
    if (findChunk(rotations, node)) {
        seek(rotations.start);
        skip(2);
        skip(4);
        skip(4);
        std::uint32_t before = cursor;
        std::uint32_t keys = readDword();
        if (cursor == before) keys = 0;
        for (std::uint32_t k = 0; k < keys; ++k) {
            RotationKey3ds key;
            if (cursor >= rotations.end || !readKeyHeader(key.frame)) break;
            key.angle = readFloat();
            key.x = -readFloat();
            key.y = -readFloat();
            key.z = -readFloat();
            currentNode.rotationKeys.push_back(key);
        }
    }
    // Scale tracks (0xB022) are not used.
    seek(node.start);
    return asked;
}
