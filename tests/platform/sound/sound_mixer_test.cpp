// The mixer driven block by block, without a device.
#include "platform/audio/sound_mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "platform/audio/fft_analyzer.h"
#include "platform/audio/vorbis_stream.h"
#include "tests/platform/sound/tone_files.h"

namespace {

using platform::SoundMixer;
using platform::VorbisStream;

constexpr std::int64_t kBlockNanos = 1024LL * 1'000'000'000 / 44100;  // 23.2 ms

std::unique_ptr<VorbisStream> open(const std::string& path) {
    auto stream = VorbisStream::openFile(path.c_str());
    EXPECT_TRUE(stream) << path;
    return stream;
}

double rms(const std::vector<std::int16_t>& block) {
    double sum = 0.0;
    for (std::int16_t s : block) sum += static_cast<double>(s) * s;
    return std::sqrt(sum / block.size()) / 32767.0;
}

// Mixes one 1024-frame block at `now`, feeding the decoder first.
std::vector<std::int16_t> block(SoundMixer& mixer, std::int64_t now) {
    while (mixer.decodeAhead()) {
    }
    std::vector<std::int16_t> out(2 * 1024);
    mixer.mix(out.data(), 1024, now);
    return out;
}

TEST(SoundMixer, PositionMovesSmoothlyBetweenBlocksButNeverPastWhatWasHanded) {
    SoundMixer mixer(44100, 32);
    ASSERT_EQ(mixer.start(-1, open(sound_test::writeSine("smooth.ogg", 2.0, 440, 0.3))), 0);
    EXPECT_EQ(mixer.frequency(0), 44100);
    EXPECT_EQ(mixer.position(0, 0), 0);
    block(mixer, 1'000'000'000);
    // Within the block the position follows the time since it was handed over.
    EXPECT_EQ(mixer.position(0, 1'000'000'000), 0);
    EXPECT_NEAR(mixer.position(0, 1'000'000'000 + kBlockNanos / 2), 512, 1);
    // A late device does not let it run ahead of the output.
    EXPECT_EQ(mixer.position(0, 1'000'000'000 + 3 * kBlockNanos), 1024);
    // Nor does it go back when the next block starts where the last ended.
    block(mixer, 1'000'000'000 + 3 * kBlockNanos);
    EXPECT_EQ(mixer.position(0, 1'000'000'000 + 3 * kBlockNanos), 1024);
    EXPECT_EQ(mixer.position(0, 0), 1024);  // a clock read from before the block
    EXPECT_NEAR(mixer.position(0, 1'000'000'000 + 3 * kBlockNanos + kBlockNanos / 4), 1280, 1);
}

TEST(SoundMixer, PositionIgnoresWhenTheDeviceThreadHappensToRun) {
    // A device playing at exactly 44100 Hz whose thread wakes up to 4 ms
    // late: the reported position should stay on the device's straight line.
    SoundMixer mixer(44100, 32);
    mixer.start(-1, open(sound_test::writeSine("steady-clock.ogg", 10.0, 440, 0.3)));
    std::uint64_t seed = 12345;
    auto lateness = [&seed] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::int64_t>((seed >> 33) % 4'000'000);
    };
    const double period = 1024.0 * 1e9 / 44100.0;
    std::vector<double> errors;
    std::int64_t previous = 0;
    for (int k = 0; k < 300; ++k) {
        auto due = static_cast<std::int64_t>(k * period);
        block(mixer, due + lateness());
        for (int q = 1; q <= 8; ++q) {
            auto now = static_cast<std::int64_t>(k * period + q * period / 8.0);
            std::int64_t p = mixer.position(0, now);
            ASSERT_GE(p, previous);
            previous = p;
            if (k < 100) continue;  // the first seconds lock on to the device
            // Where the device is: block k started at k * period.
            errors.push_back((p - (now * 44100.0 / 1e9)) / 44.1);  // ms
        }
    }
    // The wake-ups are 2 ms late on average, which no one can tell from a
    // device that is 2 ms behind: that part is an offset, the rest jitter.
    double mean = 0.0;
    for (double e : errors) mean += e;
    mean /= static_cast<double>(errors.size());
    double sum = 0.0, worst = 0.0;
    for (double e : errors) {
        sum += (e - mean) * (e - mean);
        worst = std::max(worst, std::fabs(e - mean));
    }
    EXPECT_NEAR(mean, -2.0, 1.0);
    EXPECT_LT(std::sqrt(sum / static_cast<double>(errors.size())), 0.5);
    EXPECT_LT(worst, 3.0);

    // After a stall (the machine was suspended) it starts again from the
    // next block rather than running ahead into the gap.
    std::int64_t handed = mixer.position(0, static_cast<std::int64_t>(400 * period));
    EXPECT_EQ(handed, 300 * 1024);
    auto resume = static_cast<std::int64_t>(400 * period);
    block(mixer, resume);
    EXPECT_EQ(mixer.position(0, resume), 300 * 1024);
    EXPECT_NEAR(mixer.position(0, resume + static_cast<std::int64_t>(period / 2)), 300 * 1024 + 512,
                2);
}

TEST(SoundMixer, AFinishedSoundReportsFrequencyZero) {
    SoundMixer mixer(44100, 32);
    // 3000 frames: three blocks carry it, the fourth finds it over.
    mixer.start(-1, open(sound_test::writeSine("short.ogg", 3000.0 / 44100, 440, 0.3)));
    for (int i = 0; i < 3; ++i) {
        block(mixer, i * kBlockNanos);
        EXPECT_EQ(mixer.frequency(0), 44100) << i;
    }
    EXPECT_EQ(mixer.position(0, 3 * kBlockNanos), 3000);
    std::vector<std::int16_t> after = block(mixer, 3 * kBlockNanos);
    EXPECT_EQ(mixer.frequency(0), 0);
    EXPECT_EQ(mixer.position(0, 4 * kBlockNanos), 0);
    EXPECT_EQ(rms(after), 0.0);
    // The channel is free again.
    EXPECT_EQ(mixer.start(-1, open(sound_test::writeSine("again.ogg", 0.1, 440, 0.3))), 0);
}

TEST(SoundMixer, VolumeScalesTheOutput) {
    SoundMixer mixer(44100, 32);
    mixer.start(-1, open(sound_test::writeSine("steady.ogg", 2.0, 1000, 0.5)));
    block(mixer, 0);
    double full = rms(block(mixer, kBlockNanos));
    struct Case {
        int volume;
        double ratio;
    };
    for (Case c :
         {Case{128, 128.0 / 255}, Case{0, 0.0}, Case{255, 1.0}, Case{300, 1.0}, Case{-5, 0.0}}) {
        mixer.setVolume(-3, c.volume);
        block(mixer, 0);  // the change glides over one block
        double level = rms(block(mixer, 0));
        EXPECT_NEAR(level, full * c.ratio, full * 0.01 + 1e-4) << c.volume;
    }
    EXPECT_FALSE(mixer.setVolume(32, 100));
}

TEST(SoundMixer, SeekMovesPositionAndSound) {
    // 300 Hz for the first second, 3000 Hz for the second.
    std::string path = sound_test::writeTone("two-tones.ogg", 2.0, 44100, 2, [](int, double t) {
        double hz = t < 1.0 ? 300.0 : 3000.0;
        return static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * hz * t));
    });
    SoundMixer mixer(44100, 32);
    mixer.start(-1, open(path));
    block(mixer, 0);
    ASSERT_TRUE(mixer.seek(0, 66150));  // 1.5 s
    EXPECT_EQ(mixer.position(0, 0), 66150);
    EXPECT_EQ(mixer.position(0, 10 * kBlockNanos), 66150);  // nothing handed since
    // Without the decoder the mixer has nothing yet: silence, position held.
    std::vector<std::int16_t> out(2 * 1024);
    mixer.mix(out.data(), 1024, kBlockNanos);
    EXPECT_EQ(rms(out), 0.0);
    EXPECT_EQ(mixer.position(0, 2 * kBlockNanos), 66150);
    block(mixer, 2 * kBlockNanos);
    EXPECT_NEAR(mixer.position(0, 3 * kBlockNanos), 66150 + 1024, 1);

    out = block(mixer, 3 * kBlockNanos);
    std::vector<float> mono(1024);
    for (int i = 0; i < 1024; ++i) mono[i] = (out[2 * i] + out[2 * i + 1]) / 65534.0f;
    platform::SpectrumAnalyzer analyzer;
    EXPECT_EQ(sound_test::peakBin(analyzer.analyse(mono.data()).data(), 512),
              std::lround(3000.0 * 1024 / 44100));

    // Seeking to the end ends it; a channel that plays nothing cannot seek.
    ASSERT_TRUE(mixer.seek(0, 5'000'000));
    block(mixer, 4 * kBlockNanos);
    EXPECT_EQ(mixer.frequency(0), 0);
    EXPECT_FALSE(mixer.seek(0, 0));
    EXPECT_FALSE(mixer.seek(5, 0));
}

TEST(SoundMixer, APausedChannelIsSilentAndResumesWhereItStood) {
    SoundMixer mixer(44100, 32);
    mixer.start(-1, open(sound_test::writeSine("pause.ogg", 3.0, 440, 0.3)));
    EXPECT_GT(rms(block(mixer, 0)), 0.1);
    ASSERT_TRUE(mixer.setPaused(0, true));
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(rms(block(mixer, k * kBlockNanos)), 0.0);
        EXPECT_EQ(mixer.position(0, (k + 1) * kBlockNanos), 1024);
    }
    EXPECT_EQ(mixer.frequency(0), 44100);  // paused is not over
    // Moving a paused channel moves its position, not its silence.
    ASSERT_TRUE(mixer.seek(0, 44100));
    EXPECT_EQ(rms(block(mixer, 5 * kBlockNanos)), 0.0);
    EXPECT_EQ(mixer.position(0, 6 * kBlockNanos), 44100);
    ASSERT_TRUE(mixer.setPaused(0, false));
    EXPECT_GT(rms(block(mixer, 6 * kBlockNanos)), 0.1);
    EXPECT_NEAR(mixer.position(0, 7 * kBlockNanos), 44100 + 1024, 1);
    EXPECT_FALSE(mixer.setPaused(3, true));  // nothing plays there
}

TEST(SoundMixer, OtherSampleRatesAreResampledAndCountedInTheirOwnFrames) {
    SoundMixer mixer(44100, 32);
    mixer.start(-1, open(sound_test::writeSine("slow.ogg", 1.0, 1000, 0.5, 22050)));
    EXPECT_EQ(mixer.frequency(0), 22050);
    block(mixer, 0);
    std::vector<std::int16_t> out = block(mixer, kBlockNanos);
    EXPECT_NEAR(mixer.position(0, 2 * kBlockNanos), 1024, 1);  // two blocks of half-rate frames
    std::vector<float> mono(1024);
    for (int i = 0; i < 1024; ++i) mono[i] = out[2 * i] / 32767.0f;
    platform::SpectrumAnalyzer analyzer;
    auto bins = analyzer.analyse(mono.data());
    EXPECT_EQ(sound_test::peakBin(bins.data(), 512), 23);  // still 1 kHz
    EXPECT_GT(bins[23], 0.4f);
}

TEST(SoundMixer, KeepsTheLastMixedSamplesForTheSpectrum) {
    SoundMixer mixer(44100, 32);
    mixer.start(-1, open(sound_test::writeTone("left-only.ogg", 0.5, 44100, 2, [](int c, double t) {
        return c == 0 ? static_cast<float>(0.8 * std::sin(2.0 * std::numbers::pi * 440 * t)) : 0.0f;
    })));
    std::vector<std::int16_t> out = block(mixer, 0);
    std::vector<float> recent(1024);
    mixer.recentOutput(recent.data());
    for (int i = 0; i < 1024; ++i) {
        ASSERT_NEAR(recent[i], 0.5f * (out[2 * i] + out[2 * i + 1]) / 32767.0f, 1e-4f) << i;
    }
}

TEST(SoundMixer, ChannelSelection) {
    SoundMixer mixer(44100, 2);
    std::string path = sound_test::writeSine("select.ogg", 0.5, 440, 0.3);
    EXPECT_EQ(mixer.start(1, open(path)), 1);
    EXPECT_EQ(mixer.start(-1, open(path)), 0);
    EXPECT_EQ(mixer.start(-1, open(path)), -1);  // all busy
    EXPECT_EQ(mixer.start(2, open(path)), -1);
    EXPECT_EQ(mixer.start(-1, nullptr), -1);
    EXPECT_EQ(mixer.frequency(-1), 0);
    EXPECT_EQ(mixer.position(7, 0), 0);
}

}  // namespace
