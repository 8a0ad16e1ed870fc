#include "tests/texturing/jpeg/jpeg_stream_edit.h"

namespace jpeg_test {

SplitStream splitStream(const std::vector<std::uint8_t>& bytes) {
    SplitStream stream;
    std::size_t pos = 2;  // after SOI
    while (pos + 4 <= bytes.size() && bytes[pos] == 0xFF) {
        Segment segment;
        segment.marker = bytes[pos + 1];
        std::size_t length = (std::size_t{bytes[pos + 2]} << 8) | bytes[pos + 3];
        segment.payload.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos + 4),
                               bytes.begin() + static_cast<std::ptrdiff_t>(pos + 2 + length));
        pos += 2 + length;
        stream.header.push_back(segment);
        if (segment.marker == 0xDA) break;
    }
    stream.tail.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end());
    return stream;
}

std::vector<std::uint8_t> joinStream(const SplitStream& stream) {
    std::vector<std::uint8_t> bytes = {0xFF, 0xD8};
    for (const Segment& segment : stream.header) {
        bytes.push_back(0xFF);
        bytes.push_back(static_cast<std::uint8_t>(segment.marker));
        if (segment.bare) continue;
        int length = segment.lengthOverride >= 0 ? segment.lengthOverride
                                                 : static_cast<int>(segment.payload.size()) + 2;
        bytes.push_back(static_cast<std::uint8_t>(length >> 8));
        bytes.push_back(static_cast<std::uint8_t>(length));
        bytes.insert(bytes.end(), segment.payload.begin(), segment.payload.end());
    }
    bytes.insert(bytes.end(), stream.tail.begin(), stream.tail.end());
    return bytes;
}

int findSegment(const SplitStream& stream, int marker) {
    for (std::size_t i = 0; i < stream.header.size(); ++i) {
        if (stream.header[i].marker == marker) return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::size_t> scanOffsets(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) offsets.push_back(i);
    }
    return offsets;
}

namespace {

bool isRestart(const std::vector<std::uint8_t>& bytes, std::size_t i) {
    return i + 1 < bytes.size() && bytes[i] == 0xFF && bytes[i + 1] >= 0xD0 && bytes[i + 1] <= 0xD7;
}

}  // namespace

std::vector<std::uint8_t> withBytesBeforeRestarts(const std::vector<std::uint8_t>& bytes,
                                                  const std::vector<std::uint8_t>& junk) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (isRestart(bytes, i)) out.insert(out.end(), junk.begin(), junk.end());
        out.push_back(bytes[i]);
    }
    return out;
}

std::vector<std::uint8_t> withRestartBeforeEnd(const std::vector<std::uint8_t>& bytes) {
    int restarts = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) restarts += isRestart(bytes, i) ? 1 : 0;
    std::vector<std::uint8_t> out(bytes.begin(), bytes.end() - 2);  // without EOI
    out.push_back(0xFF);
    out.push_back(static_cast<std::uint8_t>(0xD0 + restarts % 8));
    out.push_back(0xFF);
    out.push_back(0xD9);
    return out;
}

std::vector<std::uint8_t> withoutHuffmanTables(const std::vector<std::uint8_t>& bytes) {
    SplitStream stream = splitStream(bytes);
    for (int i; (i = findSegment(stream, 0xC4)) >= 0;) {
        stream.header.erase(stream.header.begin() + i);
    }
    return joinStream(stream);
}

}  // namespace jpeg_test
