// The scene extras: the editor's materials, hidden objects and ambient
// light, and the keyframer's nodes, read from a file image through the
// loader's chunk reader (a loader of its own, so the caller's model is not
// touched).
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "scene3ds/extras_reading.h"

namespace extras_reading {

std::string readName(Model3dsLoader& reader, int maxLength) {
    std::string buffer(static_cast<std::size_t>(maxLength), '\0');
    const int length = reader.readString(buffer.data(), maxLength);
    buffer.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return buffer;
}

namespace {

void readEditor(Model3dsLoader& reader, const ChunkSpan& editor, SceneExtras& extras) {
    forEachChild(reader, editor, editor.start, [&](const ChunkSpan& chunk) {
        switch (chunk.id) {
            case chunk3ds::kMaterial:
                extras.materials.push_back(readMaterialExtras(reader, chunk));
                break;
            case chunk3ds::kAmbientLight:
                forEachChild(reader, chunk, chunk.start, [&](const ChunkSpan& colour) {
                    if (colour.id < chunk3ds::kColorFloat ||
                        colour.id > chunk3ds::kLinearColorFloat)
                        return;
                    float rgb[3];
                    reader.readColor(colour, rgb);
                    extras.ambientLight = {rgb[0], rgb[1], rgb[2]};
                    extras.hasAmbientLight = true;
                });
                break;
            case chunk3ds::kNamedObject: {
                reader.seek(chunk.start);
                const std::string name = readName(reader, 99);  // the loader's length
                if (reader.cursor > chunk.end) break;
                forEachChild(reader, chunk, reader.cursor, [&](const ChunkSpan& child) {
                    if (child.id == chunk3ds::kHiddenObject) extras.hiddenObjects.push_back(name);
                });
                break;
            }
            default:
                break;
        }
    });
}

}  // namespace
}  // namespace extras_reading

const MaterialExtras* SceneExtras::material(const std::string& name) const {
    for (const MaterialExtras& m : materials)
        if (m.name == name) return &m;
    return nullptr;
}

bool SceneExtras::objectHidden(const std::string& name) const {
    for (const std::string& hidden : hiddenObjects)
        if (hidden == name) return true;
    return false;
}

SceneExtras readSceneExtras(const std::uint8_t* data, std::size_t size) {
    using namespace extras_reading;
    SceneExtras extras;
    // The reader state alone is used; the loader parses nothing here. The
    // reader never reads the buffer's last byte, so one byte of padding
    // follows the file: the last value of a file (often a key of the last
    // node) is read too.
    if (size == 0 || size >= 0xFFFFFFFFu) return extras;
    auto reader = std::make_unique<Model3dsLoader>();
    if (!reader->openBuffer(nullptr, size + 1)) return extras;
    std::memcpy(reader->fileData, data, size);
    reader->fileData[size] = 0;
    const ChunkSpan main = reader->readChunk();
    if (main.id == chunk3ds::kMain && reader->cursor == 6) {
        ChunkSpan file = main;
        if (file.end > size || file.end < file.start) file.end = static_cast<std::uint32_t>(size);
        forEachChild(*reader, file, file.start, [&](const ChunkSpan& chunk) {
            if (chunk.id == chunk3ds::kEditor) readEditor(*reader, chunk, extras);
            if (chunk.id == chunk3ds::kKeyframer) readSceneNodes(*reader, chunk, extras);
        });
    }
    reader->closeBuffer();
    return extras;
}

SceneExtras readSceneExtrasFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return {};
    // Only a file that starts as a 3DS file is read whole: this runs beside
    // the loader, before it has said whether it takes the file.
    unsigned char head[2] = {0, 0};
    if (std::fread(head, 1, 2, file) != 2 || (head[0] | head[1] << 8) != chunk3ds::kMain) {
        std::fclose(file);
        return {};
    }
    std::vector<std::uint8_t> bytes;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
            bytes.resize(static_cast<std::size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        }
    }
    std::fclose(file);
    return readSceneExtras(bytes.data(), bytes.size());
}
