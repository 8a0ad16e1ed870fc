#include "platform/audio/vorbis_stream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <vector>

#include "tests/platform/sound/tone_files.h"

namespace {

using platform::VorbisStream;

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(VorbisStream, ReportsTheFormatAndDecodesEveryFrame) {
    std::string path = sound_test::writeSine("format.ogg", 1.5, 440.0, 0.5, 32000, 2);
    auto stream = VorbisStream::openFile(path.c_str());
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->sampleRate(), 32000);
    EXPECT_EQ(stream->channels(), 2);
    EXPECT_EQ(stream->lengthFrames(), 48000);
    std::vector<float> block(2 * 5000);
    std::size_t total = 0;
    while (std::size_t n = stream->read(block.data(), 5000)) total += n;
    EXPECT_EQ(total, 48000u);
    EXPECT_EQ(stream->read(block.data(), 10), 0u);  // stays at the end
}

TEST(VorbisStream, MonoIsPlayedOnBothSides) {
    std::string path = sound_test::writeSine("mono.ogg", 0.5, 300.0, 0.5, 44100, 1);
    std::vector<float> all = sound_test::decodeAll(path);
    ASSERT_EQ(all.size(), 2u * 22050);
    double energy = 0.0;
    for (std::size_t i = 0; i < all.size(); i += 2) {
        ASSERT_EQ(all[i], all[i + 1]);
        energy += all[i] * all[i];
    }
    EXPECT_NEAR(std::sqrt(energy / 22050), 0.5 / std::sqrt(2.0), 0.02);
}

TEST(VorbisStream, FromThreeChannelsOnTheFrontPairIsKept) {
    // Vorbis order for three channels: left, centre, right.
    std::string path = sound_test::writeTone("three.ogg", 0.5, 44100, 3, [](int c, double t) {
        double hz = c == 0 ? 200.0 : c == 1 ? 0.0 : 2000.0;
        return static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * hz * t));
    });
    std::vector<float> all = sound_test::decodeAll(path);
    // Count zero crossings a side: 200 Hz on the left, 2000 Hz on the right.
    int crossings[2] = {0, 0};
    for (std::size_t i = 2; i < all.size(); ++i) {
        if ((all[i - 2] < 0.0f) != (all[i] < 0.0f)) ++crossings[i % 2];
    }
    EXPECT_NEAR(crossings[0], 200, 10);
    EXPECT_NEAR(crossings[1], 2000, 40);
}

TEST(VorbisStream, SeekLandsOnTheExactFrame) {
    std::string path = sound_test::writeTone("ramp.ogg", 1.0, 44100, 2, [](int c, double t) {
        return static_cast<float>(0.4 *
                                  std::sin(2.0 * std::numbers::pi * (150.0 + 900.0 * t) * t + c));
    });
    std::vector<float> all = sound_test::decodeAll(path);
    auto stream = VorbisStream::openFile(path.c_str());
    ASSERT_TRUE(stream);
    for (std::int64_t frame :
         {std::int64_t{0}, std::int64_t{1}, std::int64_t{12345}, std::int64_t{44099}}) {
        ASSERT_TRUE(stream->seek(frame));
        float got[2 * 64];
        std::size_t n = stream->read(got, 64);
        std::size_t expected = std::min<std::size_t>(64, 44100 - frame);
        ASSERT_EQ(n, expected) << frame;
        for (std::size_t i = 0; i < 2 * n; ++i) {
            ASSERT_NEAR(got[i], all[2 * frame + i], 1e-4) << frame;
        }
    }
    // Past the end means at the end.
    ASSERT_TRUE(stream->seek(10'000'000));
    float scratch[2];
    EXPECT_EQ(stream->read(scratch, 1), 0u);
}

TEST(VorbisStream, RefusesWhatIsNotPlayableVorbis) {
    EXPECT_FALSE(VorbisStream::openFile((sound_test::scratchDir() + "/missing.ogg").c_str()));
    EXPECT_FALSE(VorbisStream::openFile(sound_test::scratchDir().c_str()));  // a folder
    EXPECT_FALSE(VorbisStream::openFile(nullptr));
    std::vector<std::uint8_t> noise(5000);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i * 37 + 11);
    EXPECT_FALSE(VorbisStream::openMemory(noise));
    EXPECT_FALSE(VorbisStream::openMemory({}));
}

TEST(VorbisStream, TruncatedFileDecodesWhatIsThereAndEnds) {
    std::string path = sound_test::writeSine("whole.ogg", 2.0, 500.0, 0.5);
    std::vector<std::uint8_t> bytes = fileBytes(path);
    for (std::size_t keep : {bytes.size() / 2, bytes.size() - 7, std::size_t{200}}) {
        std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + static_cast<long>(keep));
        auto stream = VorbisStream::openMemory(head);
        if (!stream) continue;  // too short to hold the headers
        std::vector<float> block(2 * 4096);
        std::size_t total = 0;
        while (std::size_t n = stream->read(block.data(), 4096)) total += n;
        EXPECT_LE(total, 88200u) << keep;
    }
}

}  // namespace
