// Track values between keys, and the track files' bytes and damage.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "sync/sync_track.h"
#include "sync/track_file.h"

namespace {

SyncTrack track(std::vector<TrackKey> keys) {
    return SyncTrack{"t", std::move(keys)};
}

TEST(SyncTrack, ValuesBeforeBetweenAndAfterKeys) {
    EXPECT_FALSE(trackValue(track({}), 3.0));  // no keys: the show's own value
    const SyncTrack one = track({{4, 2.5f, Interpolation::Linear}});
    EXPECT_EQ(*trackValue(one, 0.0), 2.5);
    EXPECT_EQ(*trackValue(one, 100.0), 2.5);

    // From 0 at row 10 to 1 at row 20, halfway and a quarter of the way.
    const auto at = [](Interpolation kind, double row) {
        return *trackValue(track({{10, 0.0f, kind}, {20, 1.0f, Interpolation::Step}}), row);
    };
    EXPECT_EQ(at(Interpolation::Step, 15.0), 0.0);
    EXPECT_EQ(at(Interpolation::Linear, 12.5), 0.25);
    EXPECT_EQ(at(Interpolation::Smooth, 12.5), 0.25 * 0.25 * (3.0 - 0.5));
    EXPECT_EQ(at(Interpolation::Ramp, 12.5), 0.0625);
    EXPECT_EQ(at(Interpolation::Linear, 9.0), 0.0);   // before the first key
    EXPECT_EQ(at(Interpolation::Linear, 20.0), 1.0);  // on the last key
    EXPECT_EQ(at(Interpolation::Linear, 1e9), 1.0);
}

TEST(SyncTrack, KeysStaySortedOneARow) {
    SyncTrack t = track({});
    setKey(t, {30, 3.0f, Interpolation::Step});
    setKey(t, {10, 1.0f, Interpolation::Step});
    setKey(t, {20, 2.0f, Interpolation::Step});
    setKey(t, {20, 5.0f, Interpolation::Ramp});  // replaces
    ASSERT_EQ(t.keys.size(), 3u);
    EXPECT_EQ(t.keys[1], (TrackKey{20, 5.0f, Interpolation::Ramp}));
    EXPECT_EQ(t.keys[2].row, 30);
    deleteKey(t, 10);
    deleteKey(t, 11);  // no key there: nothing happens
    ASSERT_EQ(t.keys.size(), 2u);
    EXPECT_EQ(t.keys[0].row, 20);
}

TEST(TrackFile, NamesEscapeEveryOtherByte) {
    EXPECT_EQ(trackFileName("show:time"), "sync_show-3Atime.track");
    EXPECT_EQ(trackFileName("a.b_c/D9"), "sync_a.b_c/D9.track");
    EXPECT_EQ(trackFileName("x y-\xC3\xA9"), "sync_x-20y-2D-C3-A9.track");
}

TEST(TrackFile, BytesAreLittleEndianKeys) {
    const std::vector<TrackKey> keys = {{1, 1.0f, Interpolation::Linear},
                                        {258, -2.0f, Interpolation::Ramp}};
    const std::vector<std::uint8_t> expected = {2, 0, 0, 0,                    // count
                                                1, 0, 0, 0, 0, 0, 0x80, 0x3F,  // row 1, 1.0f
                                                1,                             // linear
                                                2, 1, 0, 0, 0, 0, 0,    0xC0,  // row 258, -2.0f
                                                3};                            // ramp
    EXPECT_EQ(encodeTrackFile(keys), expected);
    std::vector<TrackKey> read;
    std::string reason;
    ASSERT_TRUE(decodeTrackFile(expected.data(), expected.size(), read, reason)) << reason;
    EXPECT_EQ(read, keys);
    const std::vector<std::uint8_t> empty = {0, 0, 0, 0};
    EXPECT_TRUE(decodeTrackFile(empty.data(), empty.size(), read, reason));
    EXPECT_TRUE(read.empty());
}

TEST(TrackFile, DamageIsNamed) {
    const auto reasonFor = [](std::vector<std::uint8_t> bytes) {
        std::vector<TrackKey> keys;
        std::string reason;
        EXPECT_FALSE(decodeTrackFile(bytes.data(), bytes.size(), keys, reason));
        EXPECT_TRUE(keys.empty());
        return reason;
    };
    const std::vector<std::uint8_t> twoKeys =
        encodeTrackFile({{1, 1.0f, Interpolation::Step}, {2, 2.0f, Interpolation::Step}});
    EXPECT_NE(reasonFor({1, 0}).find("cut short"), std::string::npos);
    EXPECT_NE(reasonFor({twoKeys.begin(), twoKeys.end() - 1}).find("cut short"), std::string::npos);
    EXPECT_NE(reasonFor({0xFF, 0xFF, 0xFF, 0xFF}).find("negative key count"), std::string::npos);
    EXPECT_NE(reasonFor({0xFF, 0xFF, 0xFF, 0x7F, 0}).find("cut short"), std::string::npos);
    std::vector<std::uint8_t> trailing = twoKeys;
    trailing.push_back(0);
    EXPECT_NE(reasonFor(trailing).find("after the last"), std::string::npos);
    EXPECT_NE(
        reasonFor(encodeTrackFile({{5, 0.0f, Interpolation::Step}, {5, 1.0f, Interpolation::Step}}))
            .find("rows out of order"),
        std::string::npos);
    EXPECT_NE(
        reasonFor(encodeTrackFile({{5, 0.0f, Interpolation::Step}, {4, 1.0f, Interpolation::Step}}))
            .find("rows out of order"),
        std::string::npos);
    EXPECT_NE(reasonFor(encodeTrackFile({{-1, 0.0f, Interpolation::Step}})).find("negative row"),
              std::string::npos);
    std::vector<std::uint8_t> badKind = twoKeys;
    badKind[12] = 4;
    EXPECT_NE(reasonFor(badKind).find("interpolation 4"), std::string::npos);
}

TEST(TrackFile, FolderSavedAndReadBack) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "brontavik-track-files" / "sync";
    fs::remove_all(folder.parent_path());
    std::vector<SyncTrack> tracks = {{"show:time", {{0, 20.0f, Interpolation::Linear}}},
                                     {"floor:blue", {}}};
    std::string error;
    ASSERT_TRUE(saveTrackFiles(folder.string(), tracks, error)) << error;
    EXPECT_EQ(fs::file_size(folder / "sync_show-3Atime.track"), 13u);
    EXPECT_EQ(fs::file_size(folder / "sync_floor-3Ablue.track"), 4u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

    std::vector<SyncTrack> read = {{"show:time", {}}, {"floor:blue", {{1, 1.0f}}}, {"other", {}}};
    ASSERT_TRUE(loadTrackFiles(folder.string(), read, error)) << error;
    EXPECT_EQ(read[0].keys, tracks[0].keys);
    EXPECT_TRUE(read[1].keys.empty());
    EXPECT_TRUE(read[2].keys.empty());  // no file: the show's own value

    std::ofstream(folder / "sync_other.track", std::ios::binary) << "\x05";
    EXPECT_FALSE(loadTrackFiles(folder.string(), read, error));
    EXPECT_NE(error.find("sync_other.track: cut short"), std::string::npos) << error;
    EXPECT_FALSE(loadTrackFiles((folder / "missing").string(), read, error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    // A folder that cannot be made (a file stands in its way) is named.
    EXPECT_FALSE(saveTrackFiles((folder / "sync_other.track" / "x").string(), tracks, error));
    EXPECT_NE(error.find("cannot make"), std::string::npos) << error;
    fs::remove_all(folder.parent_path());
}

}  // namespace
