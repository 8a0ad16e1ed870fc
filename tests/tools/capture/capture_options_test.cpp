#include "tools/capture/capture_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/driver/demo_driver.h"
#include "tools/capture/framing.h"
#include "tools/capture/show_renderer.h"

namespace {

bool parse(std::vector<const char*> args, CaptureOptions& options, std::string& error) {
    args.insert(args.begin(), "brontavik-capture");
    return parseCaptureOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()),
                               options, error);
}

TEST(CaptureOptions, AcceptsEachMode) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--at", "12.5", "--png", "a.png"}, o, error)) << error;
    EXPECT_EQ(o.mode, CaptureOptions::Mode::Still);
    EXPECT_EQ(o.at, 12.5);
    EXPECT_EQ(o.path, "a.png");
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);

    o = {};
    ASSERT_TRUE(parse({"--fps", "30", "--frames", "out", "--size", "320x240"}, o, error));
    EXPECT_EQ(o.mode, CaptureOptions::Mode::Frames);
    EXPECT_EQ(o.fps, 30);
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 240);

    o = {};
    ASSERT_TRUE(parse({"--video", "x.mp4", "--fps", "60"}, o, error));
    EXPECT_EQ(o.mode, CaptureOptions::Mode::Video);

    o = {};
    ASSERT_TRUE(parse({"--bench"}, o, error));
    EXPECT_EQ(o.mode, CaptureOptions::Mode::Bench);
    EXPECT_EQ(o.gl, "system");

    o = {};
    ASSERT_TRUE(parse({"--gl", "layer", "--bench"}, o, error));
    EXPECT_EQ(o.gl, "layer");
}

TEST(CaptureOptions, RejectsBadCommandLinesWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"--at", "5"},
        {"--png", "a.png"},
        {"--at", "x", "--png", "a.png"},
        {"--at", "-1", "--png", "a.png"},
        {"--at", "nan", "--png", "a.png"},
        {"--frames", "dir"},
        {"--fps", "0", "--frames", "dir"},
        {"--fps", "29.97", "--frames", "dir"},
        {"--bench", "--at", "3", "--png", "a.png"},
        {"--bench", "--fps", "30"},
        {"--bench", "--size", "800"},
        {"--bench", "--size", "8x8"},
        {"--bench", "--size", "800x600x3"},
        {"--bench", "--loud"},
        {"--bench", "--gl", "mesa"},
        {"--bench", "--gl"},
        {"--at"},
    };
    for (const auto& args : bad) {
        CaptureOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}

TEST(CaptureOptions, FadeBeginsAtTheFirstFrameAfterTheEndTime) {
    EXPECT_DOUBLE_EQ(fadeStartAtFrameRate(60), 4861.0 / 60.0);
    EXPECT_GT(fadeStartAtFrameRate(60), endTime);
    EXPECT_DOUBLE_EQ(fadeStartAtFrameRate(1), 82.0);
    EXPECT_DOUBLE_EQ(fadeStartAtFrameRate(25), 2026.0 / 25.0);
}

TEST(CaptureOptions, PresetsRatesAndRenderChoices) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--preset", "1080p", "--video", "x.mp4"}, o, error)) << error;
    EXPECT_EQ(o.width, 1920);
    EXPECT_EQ(o.height, 1080);
    EXPECT_EQ(o.fps, 60);
    EXPECT_EQ(o.format, CaptureOptions::Format::H264);

    o = {};
    ASSERT_TRUE(parse(
        {"--preset", "4k", "--size", "1280x720", "--preset", "lossless", "--fps", "60000/1001",
         "--video", "x.mkv", "--supersample", "4", "--jobs", "3", "--range", "10:20"},
        o, error))
        << error;
    EXPECT_EQ(o.width, 1280);  // an explicit size wins over the preset's
    EXPECT_EQ(o.format, CaptureOptions::Format::Lossless);
    EXPECT_EQ(o.fps, 60000);
    EXPECT_EQ(o.fpsDivisor, 1001);
    EXPECT_EQ(o.supersample, 4);
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(o.first, 10);
    EXPECT_EQ(o.last, 20);

    o = {};
    ASSERT_TRUE(parse({"--at", "1", "--png", "a.png", "--help"}, o, error));
    EXPECT_EQ(o.mode, CaptureOptions::Mode::Help);
    ASSERT_TRUE(parse({"--version"}, o, error));
    EXPECT_EQ(o.mode, CaptureOptions::Mode::Version);
}

TEST(CaptureOptions, ErrorsNameTheArgumentAtFault) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> bad = {
        {{"--bench", "--supersample", "5"}, "--supersample 5"},
        {{"--bench", "--jobs", "0"}, "--jobs 0"},
        {{"--fps", "60/0", "--frames", "d"}, "--fps 60/0"},
        {{"--fps", "1/2", "--frames", "d"}, "--fps 1/2"},
        {{"--fps", "60", "--frames", "d", "--range", "9:3"}, "--range 9:3"},
        {{"--fps", "60", "--frames", "d", "--range", "3"}, "--range 3"},
        {{"--bench", "--preset", "720p"}, "--preset 720p"},
        {{"--preset", "lossless", "--fps", "60", "--video", "x.mp4"}, "--video x.mp4"},
        {{"--size", "321x240", "--fps", "60", "--video", "x.mp4"}, "--size 321x240"},
        {{"--at", "1", "--png", "a.png", "--range", "0:1"}, "--range"},
    };
    for (const auto& [args, named] : bad) {
        CaptureOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << named;
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
}

TEST(FrameClock, SteppingFromFrameToFrameLandsOnEachFramesOwnTime) {
    for (const FrameRate rate :
         {FrameRate{60, 1}, FrameRate{60000, 1001}, FrameRate{24, 1}, FrameRate{240, 1}}) {
        double clock = 0.0;  // the demo clock of a run from the start
        const long frames = showFrameCount(rate);
        for (long k = 0; k < frames; ++k) {
            const FrameMoment m = frameMoment(k, rate);
            ASSERT_EQ(m.before, clock) << k;
            clock += m.step;
            ASSERT_EQ(clock, frameTime(k, rate)) << k;
        }
    }
}

TEST(FrameClock, FadeBeginsPastTheEndTimeAndTheFadedFrameIsNotShown) {
    const FrameRate rate{60, 1};
    EXPECT_EQ(fadeStartFrame(rate), 4861);
    EXPECT_EQ(frameMoment(4861, rate).ending, false);  // this frame starts the fade itself
    EXPECT_EQ(frameMoment(4862, rate).fadeStart, frameTime(4861, rate));
    const long frames = showFrameCount(rate);
    const double start = frameTime(4861, rate);
    EXPECT_LE(fadeLevel(frameTime(frames - 1, rate), start), fadeEndThreshold);
    EXPECT_GT(fadeLevel(frameTime(frames, rate), start), fadeEndThreshold);
    EXPECT_EQ(frames, 5033);
    const FrameRate ntsc{60000, 1001};
    EXPECT_GT(frameTime(fadeStartFrame(ntsc), ntsc), endTime);
    EXPECT_LE(frameTime(fadeStartFrame(ntsc) - 1, ntsc), endTime);
    EXPECT_FALSE(stillMoment(81.0).ending);
    EXPECT_EQ(stillMoment(82.0).fadeStart, fadeStartAtFrameRate(60));
}

TEST(Framing, LargestCentredFourByThreeArea) {
    auto same = [](PictureArea a, PictureArea b) {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    };
    EXPECT_TRUE(same(pictureArea(1920, 1080), {240, 0, 1440, 1080}));
    EXPECT_TRUE(same(pictureArea(3840, 2160), {480, 0, 2880, 2160}));
    EXPECT_TRUE(same(pictureArea(800, 600), {0, 0, 800, 600}));
    EXPECT_TRUE(same(pictureArea(600, 800), {0, 175, 600, 450}));
    EXPECT_TRUE(same(pictureArea(1000, 700), {33, 0, 933, 700}));
}

TEST(Framing, PlacesThePictureTopRowFirstAndAveragesInLinearLight) {
    // A 2x1 area rendered at factor 2: 4x2 pixels, GL's bottom row first.
    // Left block: two white and two black pixels; right block: all grey 100.
    std::vector<std::uint8_t> picture(4 * 2 * 4, 0);
    auto set = [&](int x, int y, std::uint8_t v) {
        for (int c = 0; c < 3; ++c) picture[(y * 4 + x) * 4 + c] = v;
    };
    set(0, 0, 255);
    set(1, 1, 255);
    for (int y = 0; y < 2; ++y)
        for (int x = 2; x < 4; ++x) set(x, y, 100);
    std::vector<std::uint8_t> frame(4 * 3 * 4, 7);  // 4x3 frame; the area at (1, 1)
    placePicture(picture.data(), 2, {1, 1, 2, 1}, 4, frame.data());
    EXPECT_EQ(frame[(1 * 4 + 1) * 4], 188);  // half white in linear light, not 128
    EXPECT_EQ(frame[(1 * 4 + 2) * 4], 100);
    EXPECT_EQ(frame[0], 7);  // outside the area: untouched
    EXPECT_EQ(frame[(2 * 4 + 1) * 4], 7);

    // Factor 1 flips the rows: GL's bottom row becomes the frame's last.
    std::vector<std::uint8_t> rows = {1, 1, 1, 1, 2, 2, 2, 2};  // 1x2, bottom row first
    std::vector<std::uint8_t> out(8, 0);
    placePicture(rows.data(), 1, {0, 0, 1, 2}, 1, out.data());
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[4], 1);
}

}  // namespace
