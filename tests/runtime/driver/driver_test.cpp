#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/sound_system.h"
#include "runtime/demo_clock.h"
#include "runtime/driver/demo_driver.h"
#include "runtime/input_record.h"
#include "runtime/startup_options.h"
#include "scene/scene_part.h"
#include "tests/support/fake_platform.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/recording_scene.h"

namespace {

// A sound system whose music position the test sets; records every call.
class ScriptedSound : public platform::SoundSystem {
  public:
    std::vector<std::string> calls;
    std::vector<int> volumes;
    std::vector<std::uint32_t> repositions;
    std::uint32_t position = 0;
    int rate = 44100;
    float bins[platform::kSpectrumBins] = {};

    ScriptedSound() : previous_(platform::setSoundSystem(this)) {}
    ~ScriptedSound() override { platform::setSoundSystem(previous_); }

    bool init(int, int, unsigned) override { return log("init"), true; }
    platform::SampleHandle loadSample(int, const char*, unsigned, int, int) override {
        return log("loadSample"), this;
    }
    bool setSampleMode(platform::SampleHandle, unsigned) override { return log("mode"), true; }
    int playSound(int, platform::SampleHandle) override { return log("play"), 0; }
    std::uint32_t currentPosition(int) override { return log("position"), position; }
    int frequency(int) override { return log("frequency"), rate; }
    bool setCurrentPosition(int, std::uint32_t frame) override {
        log("reposition");
        repositions.push_back(frame);
        return true;
    }
    bool setVolume(int, int volume) override {
        log("volume");
        volumes.push_back(volume);
        return true;
    }
    platform::DspUnitHandle fftUnit() override { return log("fftUnit"), this; }
    bool setDspActive(platform::DspUnitHandle, bool) override { return log("dsp"), true; }
    const float* spectrum() override { return log("spectrum"), bins; }
    void close() override { log("close"); }

  private:
    void log(const char* name) { calls.push_back(name); }
    platform::SoundSystem* previous_;
};

class Driver : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        fake.counter = 1000;
        ending = false;
        fadeStart = -1.0;
        frameCount = 0;
        startPosition = -4;
        musicEnabled = false;
        overlayEnabled = false;
        sceneParts[0] = &scene;
        windowRelease = releaseMainWindow;  // what creating the window installs
        startClock();
        demoTime = 0.0;
    }
    void TearDown() override {
        windowRelease = nullptr;
        sceneParts[0] = nullptr;
        musicEnabled = true;
        startPosition = -4;
    }
    // Advances the performance counter by `seconds`, then draws a frame.
    void frameAfter(double seconds) {
        fake.counter += static_cast<std::int64_t>(seconds * fake.frequency + 0.5);
        drawFrame();
    }
    // Draws 60 fps frames until the driver ends the process; returns the
    // demo time of the last frame.
    double runUntilExit(int& exitCode) {
        for (int i = 0; i < 100000; ++i) {
            try {
                frameAfter(1.0 / 60.0);
            } catch (const ExitCalled& exit) {
                exitCode = exit.code;
                return demoTime;
            }
        }
        return -1.0;
    }

    GlTestContext gl{64, 64};
    FakePlatform fake;
    RecordingScene scene;
};

TEST_F(Driver, EndTimeItselfDoesNotFadeTheNextFrameDoes) {
    demoTime = 80.5;
    frameAfter(0.5);
    EXPECT_EQ(demoTime, 81.0);
    EXPECT_FALSE(ending);
    EXPECT_LT(fadeStart, 0.0);
    frameAfter(0.001);
    EXPECT_TRUE(ending);
    EXPECT_EQ(fadeStart, demoTime);  // the first fade frame draws level 0
    EXPECT_EQ(inputRecord().fadeOut, 1.0);
}

TEST_F(Driver, EscapeAtTenSecondsEndsAboutTwoPointEightSixLater) {
    demoTime = 10.0;
    ending = true;  // what the message loop sets while Escape is held
    int code = -1;
    const double end = runUntilExit(code);
    EXPECT_EQ(code, 0);
    EXPECT_NEAR(end - 10.0, 1.0 / 0.35, 0.03);
    EXPECT_TRUE(fake.called("unregisterWindowClass"));  // the window was released
}

TEST_F(Driver, WithoutMusicTheFadeStillEndsAndNoSoundCallIsMade) {
    ScriptedSound sound;
    demoTime = 80.9;
    int code = -1;
    runUntilExit(code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(Driver, NegativeStepDuringTheFadeLowersTheLevelForThatFrame) {
    ScriptedSound sound;
    musicEnabled = true;
    demoTime = 85.0;
    ending = true;
    sound.position = 85 * 44100;
    frameAfter(0.5);  // fade begins here
    frameAfter(0.5);
    frameAfter(0.5);
    const int before = sound.volumes.back();
    // The clock is now about 1 s ahead of the music: a short timer step
    // turns negative and the fade level drops back.
    sound.position = static_cast<std::uint32_t>((demoTime - 1.0) * 44100);
    frameAfter(0.016);
    ASSERT_EQ(sound.volumes.size(), 4u);
    EXPECT_GT(sound.volumes.back(), before);
    EXPECT_EQ(sound.volumes.front(), 255);
}

TEST_F(Driver, StartPositionThreeJumpsAndFadesOnTheSecondFrame) {
    ScriptedSound sound;
    musicEnabled = true;
    startPosition = 3;
    frameAfter(0.02);
    EXPECT_EQ(demoTime, 130.0);
    ASSERT_EQ(sound.repositions.size(), 1u);
    EXPECT_EQ(sound.repositions[0], 130u * 44100u);
    EXPECT_FALSE(ending);
    sound.position = 130u * 44100u;
    frameAfter(0.02);
    EXPECT_TRUE(ending);
    EXPECT_EQ(sound.repositions.size(), 1u);
}

TEST_F(Driver, EveryFrameHandsTheClockStepToTheSceneAndTitlesTheWindow) {
    frameAfter(0.25);
    frameAfter(0.5);
    ASSERT_EQ(scene.steps.size(), 2u);
    EXPECT_DOUBLE_EQ(scene.steps[0], 0.25);
    EXPECT_DOUBLE_EQ(scene.steps[1], 0.5);
    EXPECT_EQ(frameCount, 2);
    EXPECT_EQ(fake.countOf("setWindowTitle"), 2);
    EXPECT_DOUBLE_EQ(demoTime, 0.75);
}

}  // namespace
