#pragma once

// Splits a JPEG stream into its header segments so tests can patch, drop or
// insert segments and markers, then join it again.
#include <cstdint>
#include <functional>
#include <vector>

namespace jpeg_test {

struct Segment {
    int marker = 0;
    std::vector<std::uint8_t> payload;  // without the length field
    int lengthOverride = -1;            // written instead of payload size + 2
    bool bare = false;                  // a marker without length or payload
};

struct SplitStream {
    std::vector<Segment> header;     // after SOI, up to and including the first SOS
    std::vector<std::uint8_t> tail;  // everything after the first SOS header
};

SplitStream splitStream(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> joinStream(const SplitStream& stream);

// Index of the first header segment with this marker, or -1.
int findSegment(const SplitStream& stream, int marker);

// The offsets in `bytes` of every SOS marker (FF DA).
std::vector<std::size_t> scanOffsets(const std::vector<std::uint8_t>& bytes);

// Byte-level damage some writers leave in real files: `junk` before every
// restart marker; one more restart marker (the next number) before the end
// marker; the header without its Huffman tables (as Motion-JPEG frames are).
std::vector<std::uint8_t> withBytesBeforeRestarts(const std::vector<std::uint8_t>& bytes,
                                                  const std::vector<std::uint8_t>& junk);
std::vector<std::uint8_t> withRestartBeforeEnd(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> withoutHuffmanTables(const std::vector<std::uint8_t>& bytes);

}  // namespace jpeg_test
