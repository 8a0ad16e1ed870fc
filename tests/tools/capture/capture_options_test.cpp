#include "tools/capture/capture_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/demo_driver.h"
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

}  // namespace
