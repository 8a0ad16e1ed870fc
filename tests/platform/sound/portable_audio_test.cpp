// The portable audio parts the Windows build plays with, checked against the
// desktop's: stb_vorbis against libvorbisfile, our FFT against KISS FFT,
// and what the mixer tells a device about each block.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <vector>

#include "platform/audio/fft_analyzer.h"
#include "platform/audio/kiss_real_fft.h"
#include "platform/audio/radix2_fft.h"
#include "platform/audio/sound_mixer.h"
#include "platform/audio/stb_vorbis_stream.h"
#include "platform/audio/vorbis_comment_check.h"
#include "platform/audio/vorbis_stream.h"
#include "tests/platform/sound/tone_files.h"

namespace {

using platform::StbVorbisStream;

std::vector<float> readAll(platform::MusicStream& stream) {
    std::vector<float> all, block(2 * 3000);
    while (std::size_t n = stream.read(block.data(), 3000))
        all.insert(all.end(), block.begin(), block.begin() + 2 * n);
    return all;
}

TEST(StbVorbisStream, DecodesWhatVorbisfileDecodes) {
    for (int channels : {1, 2, 3}) {
        const std::string path = sound_test::writeTone(
            "stb" + std::to_string(channels) + ".ogg", 1.2, 32000, channels, [](int c, double t) {
                return static_cast<float>(0.4 *
                                          std::sin(2.0 * std::numbers::pi * (220 + 330 * c) * t));
            });
        auto stb = StbVorbisStream::openFile(path.c_str());
        ASSERT_TRUE(stb);
        EXPECT_EQ(stb->sampleRate(), 32000);
        EXPECT_EQ(stb->channels(), channels);
        EXPECT_EQ(stb->lengthFrames(), 38400);
        const std::vector<float> ours = readAll(*stb);
        const std::vector<float> reference = sound_test::decodeAll(path);
        ASSERT_EQ(ours.size(), reference.size()) << channels;
        double worst = 0.0;
        for (std::size_t i = 0; i < ours.size(); ++i)
            worst = std::max(worst, std::fabs(static_cast<double>(ours[i]) - reference[i]));
        EXPECT_LT(worst, 2e-4) << channels << " channels";
        EXPECT_EQ(stb->read(const_cast<float*>(ours.data()), 10), 0u);  // stays at the end
    }
}

TEST(StbVorbisStream, SeeksAnywhereAndRefusesWhatIsNotVorbis) {
    const std::string path = sound_test::writeSine("stbseek.ogg", 1.0, 440.0, 0.5);
    auto stream = StbVorbisStream::openFile(path.c_str());
    ASSERT_TRUE(stream);
    const std::vector<float> all = readAll(*stream);
    ASSERT_TRUE(stream->seek(30000));
    std::vector<float> block(2 * 2048);
    ASSERT_EQ(stream->read(block.data(), 2048), 2048u);
    for (std::size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block[i], all[2 * 30000 + i]) << i;
    ASSERT_TRUE(stream->seek(44100));  // the very end
    EXPECT_EQ(stream->read(block.data(), 64), 0u);

    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_TRUE(StbVorbisStream::openMemory(bytes));
    bytes.resize(bytes.size() / 40);  // headers cut short
    EXPECT_FALSE(StbVorbisStream::openMemory(bytes));
    EXPECT_FALSE(StbVorbisStream::openMemory({}));
    EXPECT_FALSE(StbVorbisStream::openFile("no/such/file.ogg"));
}

// Lengths in the comment header that reach past its packet: stb_vorbis
// would allocate by them and write past the allocation, so the stream
// refuses them first; the same file with its header intact still opens.
TEST(StbVorbisStream, RefusesCommentLengthsThatLeaveTheirPacket) {
    const std::string path = sound_test::writeSine("stbcomments.ogg", 0.5, 440.0, 0.5);
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    // Page 2 follows the 58-byte first page; its body holds the comment packet.
    ASSERT_GT(file.size(), 200u);
    const std::size_t body = 58 + 27 + file[58 + 26];
    ASSERT_EQ(file[body], 3);
    const auto at32 = [&](std::size_t at) {
        return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | file[at + 3] << 24;
    };
    const std::size_t vendor = body + 7;
    const std::size_t count = vendor + 4 + static_cast<std::size_t>(at32(vendor));
    ASSERT_TRUE(platform::vorbisCommentsFit(file));
    ASSERT_TRUE(StbVorbisStream::openMemory(file));

    const auto with = [&](std::size_t at, std::uint32_t value) {
        std::vector<std::uint8_t> damaged = file;
        for (int i = 0; i < 4; ++i) damaged[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        return damaged;
    };
    for (const auto& [at, value] : {std::pair<std::size_t, std::uint32_t>{vendor, 0x7fffffff},
                                    {vendor, 0xffffffff},
                                    {vendor, 5000},
                                    {count, 0x40000000},
                                    {count, 0xffffffff},
                                    {count, 1000}}) {
        const std::vector<std::uint8_t> damaged = with(at, value);
        EXPECT_FALSE(platform::vorbisCommentsFit(damaged)) << at << " " << value;
        EXPECT_FALSE(StbVorbisStream::openMemory(damaged)) << at << " " << value;
    }
    // A comment count of zero leaves a well-formed, shorter list.
    EXPECT_TRUE(platform::vorbisCommentsFit(with(count, 0)));
}

TEST(Radix2Fft, GivesKissFftsBinsWithinFloatRounding) {
    platform::Radix2Fft ours(1024);
    platform::KissRealFft kiss(1024);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    std::vector<float> input(1024), a(512), b(512);
    for (int trial = 0; trial < 20; ++trial) {
        for (float& s : input) s = sample(random);
        ours.magnitudes(input.data(), a.data());
        kiss.magnitudes(input.data(), b.data());
        for (int k = 0; k < 512; ++k) EXPECT_NEAR(a[k], b[k], 2e-5f * (1.0f + b[k])) << k;
    }
    // Through the analyser: the same spectrum on either transform.
    platform::SpectrumAnalyzer onOurs(std::make_unique<platform::Radix2Fft>(1024));
    platform::SpectrumAnalyzer onKiss;
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<float>(0.7 * std::sin(2.0 * std::numbers::pi * 40.5 * i / 1024));
    const auto& x = onOurs.analyse(input.data());
    const auto& y = onKiss.analyse(input.data());
    for (int k = 0; k < 512; ++k) EXPECT_NEAR(x[k], y[k], 1e-6f) << k;
}

TEST(SoundMixer, TellsWhichFramesOfEachChannelABlockCarried) {
    platform::SoundMixer mixer(44100, 4);
    mixer.start(2, StbVorbisStream::openFile(
                       sound_test::writeSine("spans.ogg", 0.1, 440.0, 0.5, 22050).c_str()));
    std::vector<std::int16_t> out(2 * 441);
    std::int64_t expected = 0;
    for (int block = 0; block < 6; ++block) {
        while (mixer.decodeAhead()) {
        }
        mixer.mix(out.data(), 441, block * 10'000'000LL);
        const auto spans = mixer.lastSpans();
        if (expected >= 2205) {  // all 0.1 s were handed out: the sound is over
            EXPECT_TRUE(spans.empty());
            continue;
        }
        ASSERT_EQ(spans.size(), 1u);
        EXPECT_EQ(spans[0].channel, 2);
        EXPECT_EQ(spans[0].first, expected);
        // Half-rate source: 220.5 source frames a block, give or take the
        // interpolation's one frame, up to the end of the sound.
        EXPECT_NEAR(spans[0].end - spans[0].first, std::min<std::int64_t>(220, 2205 - expected), 1);
        expected = spans[0].end;
    }
}

}  // namespace
