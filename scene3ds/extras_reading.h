#pragma once
// Internal to the scene extras reader: the walk over a chunk's children
// and the parts of the file each reader file handles.
#include "scene3ds/model3ds_loader.h"
#include "scene3ds/scene_extras.h"

namespace extras_reading {

// Visits the direct children of `parent`, the first at `from`: `handle`
// gets each child whose header was read in full, is at least 6 bytes long
// and ends within the parent. The walk stops at the first that is not, so
// every step moves forward and no child reaches past its parent.
template <class Handler>
void forEachChild(Model3dsLoader& reader, const ChunkSpan& parent, std::uint32_t from,
                  Handler&& handle) {
    std::uint32_t at = from;
    while (at < parent.end && parent.end - at >= 6) {
        reader.seek(at);
        if (reader.cursor != at) return;  // past the end of the file
        const ChunkSpan child = reader.readChunk();
        if (reader.cursor != at + 6) return;  // the header could not be read whole
        if (child.end < child.start || child.end > parent.end) return;
        handle(child);
        at = child.end;
    }
}

// Whether `chunk` holds at least `bytes` bytes of data.
inline bool holds(const ChunkSpan& chunk, std::uint32_t bytes) {
    return chunk.end >= chunk.start && chunk.end - chunk.start >= bytes;
}

// Reads a zero-terminated string of at most maxLength - 1 characters from
// the cursor.
std::string readName(Model3dsLoader& reader, int maxLength);

MaterialExtras readMaterialExtras(Model3dsLoader& reader, const ChunkSpan& material);
// Reads every node of the keyframer chunk and links parents to children.
void readSceneNodes(Model3dsLoader& reader, const ChunkSpan& keyframer, SceneExtras& extras);

}  // namespace extras_reading
