// Bounds-tested little-endian reads over the loaded file image, chunk
// headers, chunk searches and the colour and percentage value chunks.
#include <cstring>
#include <limits>
#include <new>

#include "scene3ds/model3ds_loader.h"

bool Model3dsLoader::openBuffer(const std::uint8_t* data, std::size_t size) {
    closeBuffer();
    if (size == 0 || size > std::numeric_limits<std::uint32_t>::max()) return false;
    fileData = new (std::nothrow) std::uint8_t[size];
    if (!fileData) return false;
    if (data) std::memcpy(fileData, data, size);
    fileSize = static_cast<std::uint32_t>(size);
    cursor = 0;
    return true;
}

void Model3dsLoader::closeBuffer() {
    delete[] fileData;
    fileData = nullptr;
    fileSize = 0;
    cursor = 0;
}

bool Model3dsLoader::canRead(std::uint32_t width) const {
    // Strictly below the size: the last byte of the buffer never belongs to
    // a successful read. Computed in 64 bits so no sum can wrap.
    return fileData != nullptr && fileSize != 0 &&
           std::uint64_t{cursor} + width < std::uint64_t{fileSize};
}

std::uint32_t Model3dsLoader::recordsLeft(std::uint32_t size) const {
    if (!fileData || cursor >= fileSize) return 0;
    return (fileSize - 1 - cursor) / size;  // the last byte is never read
}

void Model3dsLoader::seek(std::uint32_t offset) {
    if (fileSize == 0) {
        cursor = 0;  // nothing loaded: there is no last byte to clamp to
    } else {
        cursor = offset >= fileSize ? fileSize - 1 : offset;
    }
}

std::uint8_t Model3dsLoader::readByte() {
    if (!canRead(1)) return 0;
    return fileData[cursor++];
}

std::uint16_t Model3dsLoader::readWord() {
    if (!canRead(2)) return 0;
    const std::uint8_t* p = fileData + cursor;
    cursor += 2;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Model3dsLoader::readDword() {
    if (!canRead(4)) return 0;
    const std::uint8_t* p = fileData + cursor;
    cursor += 4;
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

float Model3dsLoader::readFloat() {
    if (!canRead(4)) return 0.0f;
    std::uint32_t bits = readDword();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void Model3dsLoader::skip(std::uint32_t width) {
    if (canRead(width)) cursor += width;
}

int Model3dsLoader::readString(char* destination, int maxLength) {
    if (!fileData || fileSize == 0 || cursor >= fileSize || maxLength < 1) return 0;
    std::uint8_t byte = readByte();
    if (byte == 0) {
        destination[0] = '\0';
        return 0;
    }
    int count = 0;
    for (;;) {
        if (count >= maxLength - 1) break;
        destination[count++] = static_cast<char>(byte);
        // A failed read gives 0 as well, which ends the string the same way.
        byte = readByte();
        if (byte == 0) break;
    }
    destination[count] = '\0';
    return count;
}

ChunkSpan Model3dsLoader::readChunk() {
    ChunkSpan chunk;
    chunk.id = readWord();
    std::uint32_t length = readDword();
    chunk.start = cursor;
    chunk.end = chunk.start + length - 6;  // 32-bit unsigned, as the format defines
    return chunk;
}

bool Model3dsLoader::readUsableChunk(ChunkSpan& header) {
    std::uint32_t offset = cursor;
    header.id = readWord();
    std::uint32_t length = readDword();
    header.start = cursor;
    header.end = header.start + length - 6;
    if (std::uint64_t{cursor} != std::uint64_t{offset} + 6) return false;  // not read in full
    if (length < 6) return false;  // would end inside its own header
    return std::uint64_t{header.start} + length - 6 <= std::numeric_limits<std::uint32_t>::max();
}

bool Model3dsLoader::findChunk(ChunkSpan& target, const ChunkSpan& parent) {
    if (cursor >= parent.end) return false;
    ChunkSpan header;
    if (!readUsableChunk(header)) return false;
    while (header.id != target.id) {
        if (header.end > parent.end) return false;
        seek(header.end);
        if (header.end >= parent.end) return false;
        if (!readUsableChunk(header)) return false;
    }
    target.start = header.start;
    target.end = header.end;
    return true;
}

void Model3dsLoader::readColor(const ChunkSpan& chunk, float rgb[3]) {
    constexpr float kByteScale = 1.0f / 255.0f;
    seek(chunk.start);
    switch (chunk.id) {
        case chunk3ds::kColorFloat:
        case chunk3ds::kLinearColorFloat:
            for (int i = 0; i < 3; ++i) rgb[i] = readFloat();
            break;
        case chunk3ds::kColor24:
        case chunk3ds::kLinearColor24:
            for (int i = 0; i < 3; ++i) rgb[i] = static_cast<float>(readByte()) * kByteScale;
            break;
        default:
            rgb[0] = rgb[1] = rgb[2] = 0.0f;
            break;
    }
}

float Model3dsLoader::readPercent(const ChunkSpan& chunk) {
    seek(chunk.start);
    if (chunk.id == chunk3ds::kPercentInt) {
        return static_cast<float>(static_cast<std::int16_t>(readWord())) * 0.01f;
    }
    if (chunk.id == chunk3ds::kPercentFloat) return readFloat();
    return 0.0f;
}
