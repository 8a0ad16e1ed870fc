#include "runtime/title_stats.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/input_record.h"
#include "tests/support/fake_platform.h"

namespace {

class TitleStatsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fpsSeconds = 0.0;
        fpsFrames = 0;
    }
};

TEST_F(TitleStatsTest, BufferHasBlanksThenNulsAndFieldsAtFixedColumns) {
    const TitleBuffer b = buildTitleBuffer(-12.8, 3.2, 12.3456789, 60.0, 0.5);
    const std::string expected =
        "X: -12.8            Y: 3.2              Time:12.3457        Fps:60.             Aux:0.5";
    EXPECT_EQ(titleText(b), expected);
    ASSERT_EQ(expected.size(), 87u);
    for (int i = 87; i < 100; ++i) EXPECT_EQ(b[i], '\0') << i;
}

TEST_F(TitleStatsTest, ShortAuxLeavesBlanksUpToColumn85) {
    TitleBuffer b = layoutTitle({"1", "2", "3", "4", ""});
    EXPECT_EQ(titleText(b).size(), 86u);
    EXPECT_EQ(b[84], ' ');
    EXPECT_EQ(b[85], ' ');
    EXPECT_EQ(b[86], '\0');
}

TEST_F(TitleStatsTest, LongestNumbersFitEveryGapAndTheLastRunsIntoTheNulArea) {
    const TitleBuffer b =
        buildTitleBuffer(-1234567.0, -1234567.0, -1234567.0, -1234567.0, -1234567.0);
    const std::string text = titleText(b);
    EXPECT_EQ(text.substr(0, 17), "X: -1.23457e+006 ");
    EXPECT_EQ(text.substr(20, 2), "Y:");
    EXPECT_EQ(text.substr(40, 5), "Time:");
    EXPECT_EQ(text.substr(45, 13), "-1.23457e+006");
    EXPECT_EQ(text.substr(60, 4), "Fps:");
    EXPECT_EQ(text.substr(80, 4), "Aux:");
    EXPECT_EQ(text.size(), 97u);  // ends at column 96
}

TEST_F(TitleStatsTest, ALongValueOverwritesTheNextLabelsFirstCharacters) {
    // Gaps are 17, 17, 15 and 16 columns; one text too long for each.
    const TitleBuffer b = layoutTitle({"AAAAAAAAAAAAAAAAAA", "BBBBBBBBBBBBBBBBBBB",
                                       "CCCCCCCCCCCCCCCCC", "DDDDDDDDDDDDDDDDDD", "E"});
    const std::string text = titleText(b);
    EXPECT_EQ(text.substr(17, 7), "AAAA: B");  // "Y" overwritten, ":" kept
    EXPECT_EQ(text.substr(38, 7), "BBBBme:");  // "Ti" overwritten
    EXPECT_EQ(text.substr(60, 5), "CCs:D");
    EXPECT_EQ(text.substr(80, 5), "DDx:E");
    EXPECT_EQ(text.substr(84), "E ");
}

TEST_F(TitleStatsTest, LastNumberIsClippedBeforeTheFinalNul) {
    const TitleBuffer b = layoutTitle({"", "", "", "", std::string(40, '9')});
    EXPECT_EQ(b[98], '9');
    EXPECT_EQ(b[99], '\0');
    EXPECT_EQ(titleText(b).size(), 99u);
}

TEST_F(TitleStatsTest, FrameRateWindowRestartsWhenItPassesTwoSeconds) {
    // First frame with a tiny step: the window counts at least 0.01 s.
    countFrame(0.004);
    EXPECT_EQ(fpsFrames, 1);
    EXPECT_DOUBLE_EQ(titleFrameRate(), 100.0);
    countFrame(0.016);
    EXPECT_DOUBLE_EQ(titleFrameRate(), 2 / 0.02);

    fpsSeconds = 0.0;
    fpsFrames = 0;
    for (int i = 0; i < 4; ++i) countFrame(0.5);
    EXPECT_DOUBLE_EQ(fpsSeconds, 2.0) << "exactly 2.0 does not restart";
    EXPECT_DOUBLE_EQ(titleFrameRate(), 2.0);
    countFrame(0.5);  // passes 2.0: a new window, this frame not counted in it
    EXPECT_EQ(fpsFrames, 0);
    EXPECT_DOUBLE_EQ(fpsSeconds, 0.0);
    EXPECT_DOUBLE_EQ(titleFrameRate(), 0.0);
    countFrame(0.25);
    EXPECT_EQ(fpsFrames, 1);
    EXPECT_DOUBLE_EQ(titleFrameRate(), 4.0);
}

TEST_F(TitleStatsTest, UpdateWritesTheTitleAndTheFrameRate) {
    FakePlatform fake;
    InputRecord input;
    input.mouseX = (100 - 320) * 0.04;
    input.mouseY = (500 - 320) * 0.04;
    for (int i = 0; i < 30; ++i) countFrame(1.0 / 60.0);
    updateTitleStats(8.25, 1.5, input, nullptr);
    EXPECT_NEAR(input.frameRate, 60.0, 1e-9);
    EXPECT_EQ(fake.title,
              "X: -8.8             Y: 7.2              Time:1.5            Fps:60.             "
              "Aux:8.25");
    EXPECT_EQ(fake.countOf("setWindowTitle"), 1);
}

TEST_F(TitleStatsTest, FrameThatRestartsTheWindowShowsZeroFps) {
    FakePlatform fake;
    InputRecord input;
    input.frameRate = 99.0;
    countFrame(2.5);
    updateTitleStats(0.0, 2.5, input, nullptr);
    EXPECT_EQ(input.frameRate, 0.0);
    EXPECT_NE(fake.title.find("Fps:0.  "), std::string::npos) << fake.title;
}

}  // namespace
