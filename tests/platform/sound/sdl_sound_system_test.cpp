// The sound system on SDL's dummy (real-time paced) and disk (writes the
// output to a file) audio drivers.
#include "platform/sdl/sdl_sound_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "runtime/demo_clock.h"
#include "tests/platform/sound/tone_files.h"
#include "tests/support/fake_platform.h"

namespace {

using namespace std::chrono_literals;
using platform::SdlSoundSystem;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::int16_t> readRaw(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

double rms(const std::vector<std::int16_t>& s, std::size_t from, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i) sum += static_cast<double>(s[i]) * s[i];
    return std::sqrt(sum / count) / 32767.0;
}

class SdlSoundSystemTest : public ::testing::Test {
  protected:
    void SetUp() override { useDriver("dummy"); }
    void TearDown() override { useDriver("dummy"); }
    // Output to a file instead of a device; returns the file.
    std::string useDiskDriver(const std::string& name) {
        useDriver("disk");
        std::string file = sound_test::scratchDir() + "/" + name;
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        return file;
    }
    static void useDriver(const char* driver) { setenv("SDL_AUDIODRIVER", driver, 1); }
};

TEST_F(SdlSoundSystemTest, PositionAdvancesAtTheRealRateWithoutGoingBack) {
    SdlSoundSystem sound;
    ASSERT_TRUE(sound.init(44100, 32, platform::kSoundInitGlobalFocus));
    auto sample = sound.loadSample(-1, sound_test::writeSine("rate.ogg", 4.0, 440, 0.3).c_str(),
                                   platform::kSampleNormal, 0, 0);
    ASSERT_NE(sample, nullptr);
    ASSERT_TRUE(sound.setSampleMode(sample, platform::kLoopOff));
    ASSERT_EQ(sound.playSound(-1, sample), 0);
    EXPECT_EQ(sound.frequency(0), 44100);
    std::this_thread::sleep_for(200ms);

    auto start = std::chrono::steady_clock::now();
    std::uint32_t first = sound.currentPosition(0);
    std::uint64_t handedFirst = sound.deviceFrames();
    std::uint32_t previous = first;
    while (secondsSince(start) < 1.5) {
        std::uint32_t now = sound.currentPosition(0);
        ASSERT_GE(now, previous);
        previous = now;
        std::this_thread::sleep_for(1ms);
    }
    double elapsed = secondsSince(start);
    double handed = static_cast<double>(sound.deviceFrames() - handedFirst);
    // The position keeps pace with what the device takes, within a block
    // either side; the dummy device takes 44100 frames a second, less when
    // a busy machine holds up its thread.
    EXPECT_NEAR(previous - first, handed, 2 * 1024 + 0.002 * 44100);
    EXPECT_NEAR((previous - first) / elapsed, 44100.0, 44100.0 * 0.10);
    sound.close();
    EXPECT_EQ(sound.frequency(0), 0);
}

TEST_F(SdlSoundSystemTest, FrequencyTurnsZeroOnceTheMusicIsOver) {
    SdlSoundSystem sound;
    ASSERT_TRUE(sound.init(44100, 32, platform::kSoundInitGlobalFocus));
    auto sample = sound.loadSample(-1, sound_test::writeSine("end.ogg", 0.3, 440, 0.3).c_str(),
                                   platform::kSampleNormal, 0, 0);
    auto start = std::chrono::steady_clock::now();
    sound.playSound(-1, sample);
    while (sound.frequency(0) != 0 && secondsSince(start) < 3.0) std::this_thread::sleep_for(2ms);
    double over = secondsSince(start);
    EXPECT_EQ(sound.frequency(0), 0);
    EXPECT_EQ(sound.currentPosition(0), 0u);
    EXPECT_GT(over, 0.25);  // not before it was played
    EXPECT_LT(over, 2.0);
}

TEST_F(SdlSoundSystemTest, VolumeHalfHalvesWhatTheDiskDriverWrites) {
    std::string raw = useDiskDriver("volume.raw");
    SdlSoundSystem sound;
    ASSERT_TRUE(sound.init(44100, 32, platform::kSoundInitGlobalFocus));
    auto sample = sound.loadSample(-1, sound_test::writeSine("volume.ogg", 3.0, 1000, 0.5).c_str(),
                                   platform::kSampleNormal, 0, 0);
    sound.playSound(-1, sample);
    std::this_thread::sleep_for(600ms);
    ASSERT_TRUE(sound.setVolume(platform::kSoundAllChannels, 128));
    std::this_thread::sleep_for(900ms);
    sound.close();

    std::vector<std::int16_t> out = readRaw(raw);
    std::size_t begin = 0;
    while (begin < out.size() && out[begin] == 0) ++begin;
    begin -= begin % 2;
    const std::size_t window = 2 * 4410;  // 0.1 s
    ASSERT_GT(out.size(), begin + 10 * window) << "the disk driver wrote too little";
    double loud = rms(out, begin + window, window);
    double quiet = rms(out, out.size() - 2 * window, window);
    EXPECT_NEAR(loud, 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_NEAR(quiet / loud, 128.0 / 255.0, 0.01);
}

TEST_F(SdlSoundSystemTest, RepositioningMovesThePosition) {
    SdlSoundSystem sound;
    ASSERT_TRUE(sound.init(44100, 32, platform::kSoundInitGlobalFocus));
    auto sample = sound.loadSample(-1, sound_test::writeSine("seek.ogg", 6.0, 440, 0.3).c_str(),
                                   platform::kSampleNormal, 0, 0);
    sound.playSound(-1, sample);
    std::this_thread::sleep_for(200ms);
    auto moved = std::chrono::steady_clock::now();
    ASSERT_TRUE(sound.setCurrentPosition(0, 3 * 44100));
    // The device may take a block between the two calls; the position then
    // moves on from the new place by no more than the time that passed.
    double justAfter = sound.currentPosition(0) - 3.0 * 44100;
    EXPECT_GE(justAfter, 0.0);
    EXPECT_LE(justAfter, secondsSince(moved) * 44100 + 1024);
    std::this_thread::sleep_for(500ms);
    double played = sound.currentPosition(0) - 3.0 * 44100;
    double elapsed = secondsSince(moved) * 44100;
    EXPECT_LE(played, elapsed + 1024);         // never ahead of the output
    EXPECT_GE(played, 0.85 * elapsed - 2048);  // and on from the new place
    // Back to the start works as well.
    ASSERT_TRUE(sound.setCurrentPosition(0, 0));
    EXPECT_LT(sound.currentPosition(0), 2048u);
    EXPECT_FALSE(sound.setCurrentPosition(3, 0));  // nothing plays there
}

TEST_F(SdlSoundSystemTest, PausedMusicIsSilentAndItsPositionStands) {
    const std::string out = useDiskDriver("pause.raw");
    SdlSoundSystem sound;
    ASSERT_TRUE(sound.init(44100, 32, platform::kSoundInitGlobalFocus));
    auto sample = sound.loadSample(-1, sound_test::writeSine("pause.ogg", 6.0, 440, 0.3).c_str(),
                                   platform::kSampleNormal, 0, 0);
    sound.playSound(-1, sample);
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(sound.setPaused(0, true));
    const std::uint32_t held = sound.currentPosition(0);
    const std::uint64_t writtenAtPause = sound.deviceFrames();
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(sound.currentPosition(0), held);
    EXPECT_EQ(sound.frequency(0), 44100);
    // Seeking while paused moves the position exactly, and it stays there.
    ASSERT_TRUE(sound.setCurrentPosition(0, 2 * 44100));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sound.currentPosition(0), 2u * 44100);
    const std::uint64_t writtenPaused = sound.deviceFrames();
    ASSERT_TRUE(sound.setPaused(0, false));
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(sound.currentPosition(0), 2u * 44100);
    sound.close();

    // The device kept running while paused, writing silence: every block
    // after the one playing at the pause and before the resume is quiet.
    const std::vector<std::int16_t> written = readRaw(out);
    const std::size_t from = 2 * (writtenAtPause + 1024), to = 2 * (writtenPaused - 1024);
    ASSERT_LT(from, to);
    ASSERT_LE(to, written.size());
    EXPECT_EQ(rms(written, from, to - from), 0.0);
    EXPECT_GT(rms(written, to + 2 * 2048, 2 * 4096), 0.1);  // and sound again after
}

TEST_F(SdlSoundSystemTest, SpectrumOfAOneKilohertzTonePeaksInItsBin) {
    SdlSoundSystem sound;
    ASSERT_TRUE(sound.init(44100, 32, platform::kSoundInitGlobalFocus));
    auto sample = sound.loadSample(-1, sound_test::writeSine("khz.ogg", 2.0, 1000, 0.9).c_str(),
                                   platform::kSampleNormal, 0, 0);
    sound.playSound(-1, sample);
    std::this_thread::sleep_for(300ms);
    const float* off = sound.spectrum();
    for (int k = 0; k < platform::kSpectrumBins; ++k) ASSERT_EQ(off[k], 0.0f);  // unit not on

    auto unit = sound.fftUnit();
    ASSERT_NE(unit, nullptr);
    ASSERT_TRUE(sound.setDspActive(unit, true));
    const float* bins = sound.spectrum();
    EXPECT_EQ(sound_test::peakBin(bins, platform::kSpectrumBins), 23);  // 23 * 43.07 Hz = 990 Hz
    EXPECT_GT(bins[23], 0.9 * 0.84);
    EXPECT_LT(bins[23], 0.95);
    EXPECT_FALSE(sound.setDspActive(nullptr, true));
}

TEST_F(SdlSoundSystemTest, AFileThatIsNotMusicIsRefused) {
    SdlSoundSystem sound;
    EXPECT_EQ(sound.loadSample(-1, "anything.ogg", 0, 0, 0), nullptr);  // not initialised
    ASSERT_TRUE(sound.init(44100, 32, 0));
    std::string text = sound_test::scratchDir() + "/not-music.ogg";
    std::ofstream(text) << "these are not the bytes of an Ogg Vorbis file\n";
    EXPECT_EQ(sound.loadSample(-1, text.c_str(), platform::kSampleNormal, 0, 0), nullptr);
    EXPECT_EQ(sound.loadSample(-1, (sound_test::scratchDir() + "/none.ogg").c_str(),
                               platform::kSampleNormal, 0, 0),
              nullptr);
    EXPECT_EQ(sound.playSound(-1, nullptr), -1);
}

TEST_F(SdlSoundSystemTest, StartsAgainAfterClose) {
    SdlSoundSystem sound;
    std::string path = sound_test::writeSine("twice.ogg", 1.0, 440, 0.3);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(sound.init(44100, 32, 0));
        auto sample = sound.loadSample(-1, path.c_str(), platform::kSampleNormal, 0, 0);
        ASSERT_EQ(sound.playSound(-1, sample), 0);
        // The device thread may start late on a busy machine: wait for it, up to 5 s.
        for (int wait = 0; wait < 50 && sound.currentPosition(0) == 0; ++wait)
            std::this_thread::sleep_for(100ms);
        EXPECT_GT(sound.currentPosition(0), 0u);
        sound.close();
    }
}

// The program's own start-up, through the installed (default) sound system.
TEST_F(SdlSoundSystemTest, MissingMusicFileEndsTheProgramWithZeroAndNoMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            FakePlatform fake;
            fake.exitThrows = false;
            if (chdir(sound_test::scratchDir().c_str()) != 0) std::abort();
            startMusic();
        },
        ::testing::ExitedWithCode(0), ::testing::StrEq("exit 0\n"));
}

TEST_F(SdlSoundSystemTest, UnusableAudioDriverShowsTheMessageAndExitsWithOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            FakePlatform fake;
            fake.exitThrows = false;
            setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            startMusic();
        },
        ::testing::ExitedWithCode(1),
        ::testing::HasSubstr("   : Problem initializing FMod. \nProgram will now exit.\nexit 1"));
}

TEST_F(SdlSoundSystemTest, DiskRunOfTheProgramWritesTheSoundtrack) {
    const char* binEnv = std::getenv("BRONTAVIK_BIN_DIR");
    std::string bin = std::filesystem::absolute(binEnv != nullptr ? binEnv : ".").string();
    std::string music = bin + "/music/music.ogg";
    ASSERT_TRUE(std::ifstream(music).good()) << music << " was not built";
    std::string raw = useDiskDriver("program.raw");
    std::string home = std::filesystem::current_path().string();
    std::filesystem::current_path(bin);
    {
        FakePlatform fake;
        startMusic();
        std::this_thread::sleep_for(1800ms);
        setMusicVolume(255);
        closeMusic();
    }
    std::filesystem::current_path(home);

    std::vector<std::int16_t> out = readRaw(raw);
    std::vector<float> expected = sound_test::decodeAll(music);
    const std::size_t compare = 2 * 44100;  // the first second
    ASSERT_GT(out.size(), compare + 2 * 8 * 1024);
    // The music starts on a block boundary after some blocks of silence.
    std::size_t bestOffset = 0;
    double bestError = 1e300;
    for (std::size_t offset = 0; offset <= 2 * 8 * 1024; offset += 2 * 1024) {
        double error = 0.0;
        for (std::size_t i = 0; i < compare; ++i) {
            error += std::fabs(out[offset + i] / 32767.0 - expected[i]);
        }
        if (error < bestError) {
            bestError = error;
            bestOffset = offset;
        }
    }
    for (std::size_t i = 0; i < bestOffset; ++i) ASSERT_EQ(out[i], 0) << i;
    for (std::size_t i = 0; i < compare; ++i) {
        ASSERT_NEAR(out[bestOffset + i], std::lrint(expected[i] * 32767.0f), 1) << i;
    }
}

}  // namespace
