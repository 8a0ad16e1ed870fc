// The built soundtrack: format, headroom, no DC, the show's shape, silence
// at the end, and the same bytes from every run of the generator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio/vorbis_stream.h"
#include "tests/platform/sound/tone_files.h"

namespace {

std::string binDir() {
    const char* bin = std::getenv("BRONTAVIK_BIN_DIR");
    return bin != nullptr ? bin : ".";
}

class SoundtrackTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        path_ = binDir() + "/music/music.ogg";
        if (std::ifstream(path_).good()) samples_ = sound_test::decodeAll(path_, &rate_);
    }
    void SetUp() override { ASSERT_FALSE(samples_.empty()) << path_ << " was not built"; }

    // RMS of both channels over [from, to) seconds.
    static double rms(double from, double to) {
        std::size_t a = 2 * static_cast<std::size_t>(from * rate_);
        std::size_t b = std::min(samples_.size(), 2 * static_cast<std::size_t>(to * rate_));
        double sum = 0.0;
        for (std::size_t i = a; i < b; ++i) sum += static_cast<double>(samples_[i]) * samples_[i];
        return std::sqrt(sum / static_cast<double>(b - a));
    }
    static double peak(double from, double to) {
        std::size_t a = 2 * static_cast<std::size_t>(from * rate_);
        std::size_t b = std::min(samples_.size(), 2 * static_cast<std::size_t>(to * rate_));
        double p = 0.0;
        for (std::size_t i = a; i < b; ++i) p = std::max(p, std::fabs(double(samples_[i])));
        return p;
    }

    static inline std::string path_;
    static inline std::vector<float> samples_;
    static inline int rate_ = 0;
};

TEST_F(SoundtrackTest, IsAbout90SecondsOfStereoAt44100) {
    auto stream = platform::VorbisStream::openFile(path_.c_str());
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->sampleRate(), 44100);
    EXPECT_EQ(stream->channels(), 2);
    double seconds = static_cast<double>(stream->lengthFrames()) / 44100.0;
    EXPECT_GT(seconds, 86.0);
    EXPECT_LT(seconds, 95.0);
}

TEST_F(SoundtrackTest, PeaksStayBelowMinusOneDecibelAndThereIsNoDcOffset) {
    EXPECT_LT(peak(0.0, 1000.0), std::pow(10.0, -1.0 / 20.0));
    for (int channel = 0; channel < 2; ++channel) {
        double sum = 0.0;
        for (std::size_t i = channel; i < samples_.size(); i += 2) sum += samples_[i];
        EXPECT_LT(std::fabs(sum / (samples_.size() / 2)), 1e-3) << channel;
    }
}

TEST_F(SoundtrackTest, FollowsTheShapeOfTheShow) {
    double calm = rms(1.0, 10.0);
    double motion = rms(18.0, 34.0);
    double pulse = rms(50.0, 74.0);
    double fade = rms(81.0, 84.0);
    EXPECT_GT(calm, 0.01);           // audible from the start
    EXPECT_GT(motion, calm * 1.2);   // clouds and falling points add to the pad
    EXPECT_GT(pulse, motion * 1.5);  // the pulse with the floor and the spires
    EXPECT_LT(rms(76.0, 81.0), pulse);
    EXPECT_LT(fade, rms(76.0, 81.0) / 3.0);  // already going when the fade-out begins
    EXPECT_LT(peak(88.5, 1000.0), 1e-3);     // silence at the end
}

TEST_F(SoundtrackTest, TheGeneratorWritesTheSameBytesEveryRun) {
    std::string again = sound_test::scratchDir() + "/again.ogg";
    std::string command = "\"" + binDir() + "/make-music\" \"" + again + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream a(path_, std::ios::binary), b(again, std::ios::binary);
    std::vector<char> first{std::istreambuf_iterator<char>(a), {}};
    std::vector<char> second{std::istreambuf_iterator<char>(b), {}};
    EXPECT_EQ(first.size(), second.size());
    EXPECT_TRUE(first == second);
}

}  // namespace
