// The demo clock against a scripted counter and a scripted sound system.
#include "runtime/demo_clock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "runtime/startup_options.h"
#include "tests/support/fake_platform.h"

namespace {

// Records every call; answers position and frequency from its fields.
class ScriptedSound : public platform::SoundSystem {
  public:
    ScriptedSound() : previous_(platform::setSoundSystem(this)) {}
    ~ScriptedSound() override { platform::setSoundSystem(previous_); }

    bool initResult = true;
    bool loadResult = true;
    std::uint32_t position = 0;
    int rate = 44100;
    std::vector<std::string> calls;

    bool init(int mixRate, int channels, unsigned flags) override {
        record("init " + std::to_string(mixRate) + " " + std::to_string(channels) + " " +
               std::to_string(flags));
        return initResult;
    }
    platform::SampleHandle loadSample(int slot, const char* path, unsigned mode, int offset,
                                      int length) override {
        record("loadSample " + std::to_string(slot) + " " + path + " " + std::to_string(mode) +
               " " + std::to_string(offset) + " " + std::to_string(length));
        return loadResult ? &sample_ : nullptr;
    }
    bool setSampleMode(platform::SampleHandle s, unsigned mode) override {
        record(std::string("setSampleMode ") + (s == &sample_ ? "music " : "other ") +
               std::to_string(mode));
        return true;
    }
    int playSound(int channel, platform::SampleHandle s) override {
        record("playSound " + std::to_string(channel) + (s == &sample_ ? " music" : " other"));
        return 0;
    }
    std::uint32_t currentPosition(int channel) override {
        record("currentPosition " + std::to_string(channel));
        return position;
    }
    int frequency(int channel) override {
        record("frequency " + std::to_string(channel));
        return rate;
    }
    bool setCurrentPosition(int channel, std::uint32_t frame) override {
        record("setCurrentPosition " + std::to_string(channel) + " " + std::to_string(frame));
        return true;
    }
    bool setVolume(int channel, int volume) override {
        record("setVolume " + std::to_string(channel) + " " + std::to_string(volume));
        return true;
    }
    platform::DspUnitHandle fftUnit() override {
        record("fftUnit");
        return &unit_;
    }
    bool setDspActive(platform::DspUnitHandle u, bool active) override {
        record(std::string("setDspActive ") + (u == &unit_ ? "fft " : "other ") +
               (active ? "on" : "off"));
        return true;
    }
    const float* spectrum() override {
        record("spectrum");
        return bins_;
    }
    void close() override { record("close"); }

    void* sampleHandle() { return &sample_; }
    void* unitHandle() { return &unit_; }

  private:
    void record(std::string call) { calls.push_back(std::move(call)); }
    int sample_ = 0;
    int unit_ = 0;
    float bins_[platform::kSpectrumBins] = {};
    platform::SoundSystem* previous_;
};

class DemoClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        musicEnabled = true;
        timerTotal = 0.0;
        timerLastCount = 0;
        lastFrameTime = 0.0;
        frameDelta = 0.0;
        demoTime = 0.0;
        musicSample = nullptr;
        fftUnit = nullptr;
        platform.frequency = 1000;
    }
    void TearDown() override { musicEnabled = true; }

    FakePlatform platform;
    ScriptedSound sound;
};

TEST_F(DemoClockTest, TimerAccumulatesCounterTicksOverTheFrequency) {
    platform.counter = 5000;
    timerStart();
    EXPECT_EQ(timerTotal, 0.0);
    EXPECT_EQ(timerLastCount, 5000);
    platform.counter = 5250;
    EXPECT_DOUBLE_EQ(timerRead(), 0.25);
    platform.counter = 6250;
    EXPECT_DOUBLE_EQ(timerRead(), 1.25);
    EXPECT_EQ(timerLastCount, 6250);
    // The frequency is asked on every reading.
    platform.frequency = 500;
    platform.counter = 6750;
    EXPECT_DOUBLE_EQ(timerRead(), 2.25);
}

TEST_F(DemoClockTest, StartClockTakesTheFirstFrameTimeFromAFreshTimer) {
    timerTotal = 7.0;
    platform.counter = 100;
    platform.counterStep = 10;  // every reading is 10 ms after the previous one
    startClock();
    EXPECT_DOUBLE_EQ(lastFrameTime, 0.010);
    EXPECT_TRUE(sound.calls.empty());
}

// One frame: timer readings come from `now` (ms) with the previous frame
// ending at `previous` (ms); the music is at `musicSamples` / `rate`.
struct StepCase {
    const char* name;
    std::int64_t previousMs;
    std::int64_t nowMs;
    double demoTime;
    std::uint32_t musicSamples;
    int rate;
    double expectedDelta;
};

class StepDemoClockTest : public DemoClockTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StepDemoClockTest, StepsByTimerPlusFivePercentOfTheGapToTheMusic) {
    const StepCase& c = GetParam();
    timerLastCount = c.previousMs;
    timerTotal = c.previousMs / 1000.0;
    lastFrameTime = timerTotal;
    demoTime = c.demoTime;
    platform.counter = c.nowMs;
    sound.position = c.musicSamples;
    sound.rate = c.rate;
    stepDemoClock();
    EXPECT_NEAR(frameDelta, c.expectedDelta, 1e-12);
    EXPECT_NEAR(demoTime, c.demoTime + c.expectedDelta, 1e-9);
    EXPECT_THAT(sound.calls, ::testing::ElementsAre("currentPosition 0", "frequency 0"));
}

constexpr double kGain = 0.05000000074505806;

INSTANTIATE_TEST_SUITE_P(
    Frames, StepDemoClockTest,
    ::testing::Values(
        StepCase{"InStep", 10000, 10016, 10.0, 441000, 44100, 0.016},
        StepCase{"ClockOneSecondAheadStepsBackwards", 10000, 10016, 11.0, 441000, 44100,
                 0.016 - kGain},
        StepCase{"ClockBehindCatchesUp", 10000, 10016, 9.0, 441000, 44100, 0.016 + kGain},
        // The raw step is clamped before the correction is added.
        StepCase{"CounterWentBackwards", 10000, 9900, 9.0, 441000, 44100, kGain},
        // Minimised for five seconds with the music playing on: the step
        // covers the pause and the correction is only 5 % of it.
        StepCase{"LongPauseAfterMinimising", 10000, 15000, 10.0, 15 * 44100, 44100,
                 5.0 + 5.0 * kGain},
        // Read as unsigned: 0x90000000 samples is 54782.7 s, not negative.
        StepCase{"PositionAboveTwoToThe31", 10000, 10016, 54782.0, 0x90000000u, 44100,
                 0.016 + (2415919104.0 / 44100.0 - 54782.0) * kGain},
        StepCase{"OtherSampleRate", 10000, 10016, 10.0, 480000, 48000, 0.016},
        // Music over: frequency 0 is never divided by; the timer step stands.
        StepCase{"MusicStoppedReportsFrequencyZero", 10000, 10016, 85.0, 0, 0, 0.016}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return info.param.name; });

TEST_F(DemoClockTest, SecondTimerReadingEndsTheStep) {
    timerLastCount = 0;
    lastFrameTime = 0.0;
    platform.counterStep = 3;  // 3 ms pass between any two readings
    platform.counter = 16;
    sound.position = 0;
    stepDemoClock();
    EXPECT_DOUBLE_EQ(frameDelta, 0.016);
    EXPECT_DOUBLE_EQ(lastFrameTime, 0.019);  // the next step starts at the second reading
}

TEST_F(DemoClockTest, WithoutMusicTheClockIsTheTimerAlone) {
    musicEnabled = false;
    demoTime = 3.0;
    platform.counter = 20;
    stepDemoClock();
    EXPECT_DOUBLE_EQ(frameDelta, 0.020);
    EXPECT_DOUBLE_EQ(demoTime, 3.020);
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(DemoClockTest, DifferenceToTheMusicHalvesInAboutFourteenFramesAtSixtyHz) {
    // Music playing in real time, clock a second behind it.
    const double frame = 1.0 / 60.0;
    platform.frequency = 600000;
    demoTime = 0.0;
    double music = 1.0;
    for (int i = 0; i < 14; ++i) {
        platform.counter += 10000;
        sound.position = static_cast<std::uint32_t>(std::llround(music * 44100.0));
        stepDemoClock();
        music += frame;
    }
    double gap = (music - frame) + frame - demoTime;  // music position at the next frame
    EXPECT_NEAR(gap, std::pow(0.95, 14), 2e-4);
    EXPECT_GT(gap, 0.45);
    EXPECT_LT(gap, 0.52);
}

TEST_F(DemoClockTest, StartMusicCallsTheSoundSystemInOrderWithItsValues) {
    startMusic();
    EXPECT_THAT(sound.calls,
                ::testing::ElementsAre("init 44100 32 2", "loadSample -1 music/music.ogg 304 0 0",
                                       "setSampleMode music 1", "playSound -1 music", "fftUnit",
                                       "setDspActive fft on"));
    EXPECT_EQ(musicSample, sound.sampleHandle());
    EXPECT_EQ(fftUnit, sound.unitHandle());
    EXPECT_FALSE(platform.called("messageBox"));
}

TEST_F(DemoClockTest, SoundSystemThatCannotStartShowsTheBoxAndExitsWithOne) {
    sound.initResult = false;
    try {
        startMusic();
        FAIL() << "startMusic returned";
    } catch (const ExitCalled& exit) {
        EXPECT_EQ(exit.code, 1);
    }
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "Problem initializing FMod. \nProgram will now exit.");
    EXPECT_EQ(platform.boxes[0].caption, "   ");
    EXPECT_EQ(platform.boxes[0].buttons, platform::BoxButtons::Ok);
    EXPECT_EQ(platform.boxes[0].icon, platform::BoxIcon::Information);
    EXPECT_THAT(sound.calls, ::testing::ElementsAre("init 44100 32 2"));
}

TEST_F(DemoClockTest, MissingMusicExitsWithZeroAndNoMessage) {
    sound.loadResult = false;
    try {
        startMusic();
        FAIL() << "startMusic returned";
    } catch (const ExitCalled& exit) {
        EXPECT_EQ(exit.code, 0);
    }
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(sound.calls.size(), 2u);  // init and load, nothing played
}

TEST_F(DemoClockTest, VolumeCloseAndRepositionReachTheSoundSystem) {
    setMusicVolume(255);
    setMusicVolume(0);
    closeMusic();
    EXPECT_THAT(sound.calls, ::testing::ElementsAre("setVolume -3 255", "setVolume -3 0", "close"));
}

TEST_F(DemoClockTest, RepositionUsesTheFixedRateAndTruncates) {
    struct Case {
        double time;
        std::uint32_t frame;
    };
    const Case cases[] = {
        {32.2, 1420020},                          // 1420020.0000000002
        {74.1, 3267809},                          // 3267809.9999999995 truncates down
        {296.88, 13092408}, {0.0, 0}, {-1.0, 0},  // never wraps round to a huge position
        {1e9, 4294967295u},
    };
    for (const Case& c : cases) {
        sound.calls.clear();
        repositionMusic(c.time);
        ASSERT_EQ(sound.calls.size(), 1u);
        EXPECT_EQ(sound.calls[0], "setCurrentPosition 0 " + std::to_string(c.frame)) << c.time;
    }
    sound.calls.clear();
    demoTime = 130.0;
    repositionMusic();  // the start-position facility: the demo time
    EXPECT_THAT(sound.calls, ::testing::ElementsAre("setCurrentPosition 0 5733000"));
}

}  // namespace
