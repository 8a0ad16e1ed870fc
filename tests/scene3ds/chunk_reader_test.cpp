// The chunk reader: bounds-tested reads, the seek clamp, strings, chunk
// searches, colour and percentage decoding, and progress on broken headers.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "scene3ds/model3ds_loader.h"
#include "tests/scene3ds/chunk_writer.h"

using namespace test3ds;

namespace {

std::vector<std::uint8_t> counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

struct Reader : ::testing::Test {
    Model3dsLoader loader;
    void open(const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(loader.openBuffer(bytes.data(), bytes.size()));
    }
};

TEST_F(Reader, ReadsNeverReachTheLastByte) {
    open(counting(10));
    loader.seek(7);
    EXPECT_EQ(loader.readWord(), 0x0807);
    EXPECT_EQ(loader.cursor, 9u);
    loader.seek(8);
    EXPECT_EQ(loader.readWord(), 0);
    EXPECT_EQ(loader.cursor, 8u);
    EXPECT_EQ(loader.readByte(), 8);
    EXPECT_EQ(loader.cursor, 9u);
    EXPECT_EQ(loader.readByte(), 0);  // offset 9 is the last byte
    EXPECT_EQ(loader.cursor, 9u);
    loader.seek(5);
    EXPECT_EQ(loader.readDword(), 0x08070605u);
    loader.seek(6);
    EXPECT_EQ(loader.readDword(), 0u);
    EXPECT_EQ(loader.readFloat(), 0.0f);
    EXPECT_EQ(loader.cursor, 6u);
}

TEST_F(Reader, SkipFollowsTheReadRule) {
    open(counting(10));
    loader.seek(4);
    loader.skip(4);
    EXPECT_EQ(loader.cursor, 8u);
    loader.skip(2);  // 8 + 2 is not below 10
    EXPECT_EQ(loader.cursor, 8u);
}

TEST_F(Reader, SeekClampsToTheLastByte) {
    open(counting(100));
    loader.seek(1000);
    EXPECT_EQ(loader.cursor, 99u);
    loader.seek(0xFFFFFFFFu);
    EXPECT_EQ(loader.cursor, 99u);
    loader.seek(42);
    EXPECT_EQ(loader.cursor, 42u);
}

TEST(ReaderIdle, ReadsAndSeeksWithoutAFileGiveZero) {
    Model3dsLoader loader;
    loader.seek(50);
    EXPECT_EQ(loader.cursor, 0u);
    EXPECT_EQ(loader.readDword(), 0u);
    char text[8] = "keep";
    EXPECT_EQ(loader.readString(text, 8), 0);
    EXPECT_STREQ(text, "keep");
    ChunkSpan target;
    target.id = 0x4D4D;
    EXPECT_FALSE(loader.findChunk(target, ChunkSpan{0, 0, 100}));
}

TEST_F(Reader, StringsAreCutAtMaxLengthMinusOne) {
    std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25 characters
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    bytes.resize(40, 'z');
    open(bytes);
    char name[20];
    EXPECT_EQ(loader.readString(name, 20), 19);
    EXPECT_EQ(std::string(name), text.substr(0, 19));
    EXPECT_EQ(loader.cursor, 20u);
}

TEST_F(Reader, StringsThatFitConsumeTheirTerminator) {
    std::vector<std::uint8_t> bytes = {'a', 'b', 0, 0, 'c', 0, 0, 0};
    open(bytes);
    char name[20];
    EXPECT_EQ(loader.readString(name, 20), 2);
    EXPECT_STREQ(name, "ab");
    EXPECT_EQ(loader.cursor, 3u);
    EXPECT_EQ(loader.readString(name, 20), 0);  // empty string: one byte
    EXPECT_STREQ(name, "");
    EXPECT_EQ(loader.cursor, 4u);
}

TEST_F(Reader, StringOnTheLastByteIsEmpty) {
    open({'x', 'y', 'z'});
    loader.seek(2);
    char name[8] = "keep";
    EXPECT_EQ(loader.readString(name, 8), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(loader.cursor, 2u);
}

TEST_F(Reader, StringRunningIntoTheEndStopsThere) {
    open({'a', 'b', 'c', 'd'});
    char name[8];
    EXPECT_EQ(loader.readString(name, 8), 3);  // 'd' is the last byte, never read
    EXPECT_STREQ(name, "abc");
}

TEST_F(Reader, ColorsAndPercentagesDecode) {
    struct Case {
        Chunk chunk;
        float expected[3];
    };
    std::vector<Case> colors = {
        {color24(255, 0, 128), {1.0f, 0.0f, 0.5019608f}},
        {Chunk(0x0012).u8(51).u8(102).u8(255), {0.2f, 0.4f, 1.0f}},
        {colorFloat(0.25f, 0.5f, 2.0f), {0.25f, 0.5f, 2.0f}},
        {Chunk(0x0013).floats({-1.0f, 0.0f, 1.0f}), {-1.0f, 0.0f, 1.0f}},
        {Chunk(0x0030).u16(50), {0.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : colors) {
        auto bytes = c.chunk.bytes();
        bytes.push_back(0);  // the last byte is never read
        open(bytes);
        ChunkSpan span = loader.readChunk();
        float rgb[3] = {7, 7, 7};
        loader.readColor(span, rgb);
        for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(rgb[i], c.expected[i]) << std::hex << span.id;
    }
    struct Percent {
        Chunk chunk;
        float expected;
    };
    std::vector<Percent> percents = {
        {percentInt(50), 0.5f},
        {percentInt(-20), -0.2f},
        {percentFloat(0.75f), 0.75f},
        {colorFloat(1, 1, 1), 0.0f},
    };
    for (const Percent& p : percents) {
        auto bytes = p.chunk.bytes();
        bytes.push_back(0);
        open(bytes);
        ChunkSpan span = loader.readChunk();
        EXPECT_FLOAT_EQ(loader.readPercent(span), p.expected) << std::hex << span.id;
    }
}

TEST_F(Reader, ReadChunkComputesTheSpan) {
    auto bytes = Chunk(0x1234).u32(0).u32(0).bytes();
    bytes.push_back(0);
    open(bytes);
    ChunkSpan span = loader.readChunk();
    EXPECT_EQ(span.id, 0x1234);
    EXPECT_EQ(span.start, 6u);
    EXPECT_EQ(span.end, 14u);
}

TEST_F(Reader, FindChunkSearchesSiblingsWithinTheParent) {
    Chunk parent(0x1000);
    parent.add(Chunk(0x2000).u32(1)).add(Chunk(0x3000).u32(2)).add(Chunk(0x4000).u32(3));
    Chunk outer(0x0001);
    outer.add(parent).add(Chunk(0x5000).u32(4));
    auto bytes = outer.bytes();
    bytes.push_back(0);
    open(bytes);
    loader.seek(6);
    ChunkSpan p = loader.readChunk();

    ChunkSpan target;
    target.id = 0x2000;  // directly at the cursor: found without moving
    ASSERT_TRUE(loader.findChunk(target, p));
    EXPECT_EQ(target.start, p.start + 6);
    EXPECT_EQ(loader.cursor, target.start);

    loader.seek(p.start);
    target.id = 0x4000;
    ASSERT_TRUE(loader.findChunk(target, p));
    EXPECT_EQ(loader.readDword(), 3u);

    loader.seek(p.start);
    target.id = 0x5000;  // a sibling of the parent, not a child
    EXPECT_FALSE(loader.findChunk(target, p));

    loader.seek(p.end);
    std::uint32_t before = loader.cursor;
    target.id = 0x5000;
    EXPECT_FALSE(loader.findChunk(target, p));  // at the parent's end: nothing read
    EXPECT_EQ(loader.cursor, before);
}

TEST_F(Reader, FindChunkStopsOnBrokenHeaders) {
    struct Case {
        const char* what;
        std::uint32_t length;
    };
    // Lengths that would not move the cursor forward, or whose end wraps.
    for (Case c : {Case{"zero length", 0}, Case{"length 3", 3}, Case{"wrapping", 0xFFFFFFF0u}}) {
        Chunk parent(0x1000);
        parent.add(Chunk(0x2000).withLength(c.length)).add(Chunk(0x3000).u32(0));
        parent.withLength(0xFFFFFF00u);  // the parent claims nearly all of memory
        auto bytes = parent.bytes();
        bytes.resize(bytes.size() + 64, 0);
        open(bytes);
        ChunkSpan p = loader.readChunk();
        ChunkSpan target;
        target.id = 0x3000;
        EXPECT_FALSE(loader.findChunk(target, p)) << c.what;
    }
}

TEST_F(Reader, FindChunkStopsWhereTheFileEnds) {
    // Zero bytes after a chunk read as id 0, length 0: the search must end.
    Chunk parent(0x1000);
    parent.add(Chunk(0x2000).u32(5));
    parent.withLength(0x7FFFFFFFu);
    auto bytes = parent.bytes();
    bytes.resize(bytes.size() + 3, 0);  // not even a whole header left
    open(bytes);
    ChunkSpan p = loader.readChunk();
    ChunkSpan target;
    target.id = 0x3000;
    EXPECT_FALSE(loader.findChunk(target, p));
}

}  // namespace
