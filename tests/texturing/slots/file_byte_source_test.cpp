#include "texturing/file_byte_source.h"

#include <gtest/gtest.h>

#include "test_jpegs.h"

namespace {

class FileByteSourceTest : public ::testing::Test {
  protected:
    void TearDown() override { removeTestDir(); }
};

TEST_F(FileByteSourceTest, ReadsInChunksThenReportsTheEndOnEveryLaterRead) {
    const std::string path = testDir() + "/ten.bin";
    writeFile(path, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    FileByteSource source;
    ASSERT_TRUE(source.open(path.c_str()));

    // wanted, expected result, expected end flag, expected first byte
    struct Step {
        int wanted, result;
        bool end;
        int first;
    } steps[] = {{4, 4, false, 0}, {6, 6, false, 4}, {3, 0, true, -1}, {3, 0, true, -1}};
    for (const Step& s : steps) {
        std::uint8_t buffer[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
        bool end = false;
        EXPECT_EQ(source.read(buffer, s.wanted, &end), s.result) << "wanted " << s.wanted;
        EXPECT_EQ(end, s.end) << "wanted " << s.wanted;
        if (s.first >= 0) {
            EXPECT_EQ(buffer[0], s.first);
        }
    }
}

TEST_F(FileByteSourceTest, AShortReadDeliversTheRestAndSetsTheEndFlag) {
    const std::string path = testDir() + "/three.bin";
    writeFile(path, {7, 8, 9});
    FileByteSource source;
    ASSERT_TRUE(source.open(path.c_str()));
    std::uint8_t buffer[16] = {};
    bool end = false;
    EXPECT_EQ(source.read(buffer, 16, &end), 3);
    EXPECT_TRUE(end);
    EXPECT_EQ(buffer[2], 9);
}

TEST_F(FileByteSourceTest, WithoutAnOpenFileReadFails) {
    FileByteSource source;
    std::uint8_t buffer[4];
    bool end = false;
    EXPECT_EQ(source.read(buffer, 4, &end), -1);
    EXPECT_FALSE(source.open((testDir() + "/missing.jpg").c_str()));
    EXPECT_FALSE(source.isOpen());
    EXPECT_EQ(source.read(buffer, 4, &end), -1);
    EXPECT_FALSE(end);
}

TEST_F(FileByteSourceTest, AReadErrorFailsThisAndEveryLaterRead) {
    // A folder opens as a stream on Linux, but reading it is an error.
    FileByteSource source;
    ASSERT_TRUE(source.open(testDir().c_str()));
    std::uint8_t buffer[4];
    bool end = false;
    EXPECT_EQ(source.read(buffer, 4, &end), -1);
    EXPECT_EQ(source.read(buffer, 4, &end), -1);
    EXPECT_FALSE(end);
}

TEST_F(FileByteSourceTest, ReopeningClearsTheEndAndStartsTheNewFile) {
    const std::string a = testDir() + "/a.bin", b = testDir() + "/b.bin";
    writeFile(a, {1});
    writeFile(b, {2, 3});
    FileByteSource source;
    ASSERT_TRUE(source.open(a.c_str()));
    std::uint8_t buffer[4];
    bool end = false;
    EXPECT_EQ(source.read(buffer, 4, &end), 1);
    ASSERT_TRUE(end);

    ASSERT_TRUE(source.open(b.c_str()));
    end = false;
    EXPECT_EQ(source.read(buffer, 2, &end), 2);
    EXPECT_FALSE(end);
    EXPECT_EQ(buffer[0], 2);

    source.close();
    EXPECT_FALSE(source.isOpen());
    EXPECT_EQ(source.read(buffer, 2, &end), -1);
}

}  // namespace
