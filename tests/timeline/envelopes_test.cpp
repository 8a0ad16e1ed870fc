#include "timeline/envelopes.h"

#include <gtest/gtest.h>

#include <cmath>

#include "runtime/input_record.h"
#include "timeline/timeline.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class EnvelopesTest : public ::testing::Test {
  protected:
    void SetUp() override { partStart = 0.0; }
    void TearDown() override { partStart = 0.0; }
};

TEST_F(EnvelopesTest, EveryCurveIsOneAtThePartStart) {
    partStart = 42.0;
    for (double a : {6.4, 7.05, 1.4, 7.7, 6.7}) {
        for (double b : {0.9, 1.0, 1.55, 2.0, 44.0}) {
            EXPECT_DOUBLE_EQ(decayPulse(42.0, a, b), 1.0);
            EXPECT_DOUBLE_EQ(dampedSwing(42.0, a, b), 1.0);
        }
    }
}

TEST_F(EnvelopesTest, CurveValuesAwayFromTheStart) {
    partStart = 10.0;
    EXPECT_DOUBLE_EQ(decayPulse(11.0, 7.7, 1.0), 1.0 / 8.7);
    EXPECT_DOUBLE_EQ(decayPulse(10.5, 2.0, 3.0), 1.0 / 4.0);
    // Half a period of the 2.0 rad/s swing: cos(pi) / (1 + 6.4 pi).
    EXPECT_NEAR(dampedSwing(10.0 + kPi / 2.0, 6.4, 2.0), -1.0 / (1.0 + 6.4 * kPi), 1e-15);
    EXPECT_NEAR(dampedSwing(10.0 + kPi, 6.4, 2.0), 1.0 / (1.0 + 12.8 * kPi), 1e-15);
}

TEST_F(EnvelopesTest, PulseCutToZeroBelowItsThreshold) {
    // 1 / (1 + 7.7 dt) < 0.000075 once 7.7 dt > 13332.33: dt about 1731.47 s.
    EXPECT_GT(decayPulse(1731.0, 7.7, 1.0), 0.0);
    EXPECT_EQ(decayPulse(1732.0, 7.7, 1.0), 0.0);
    EXPECT_EQ(decayPulse(1.0e9, 7.7, 1.0), 0.0);
}

TEST_F(EnvelopesTest, SwingCutToZeroBelowItsThreshold) {
    // 1 + 12.8 dt > 100000 after about 7812.42 s.
    const double before = 7812.0;
    EXPECT_NE(dampedSwing(before, 6.4, 2.0), 0.0);
    EXPECT_NEAR(dampedSwing(before, 6.4, 2.0), std::cos(2.0 * before) / (1.0 + 12.8 * before),
                1e-18);
    EXPECT_EQ(dampedSwing(7813.0, 6.4, 2.0), 0.0);
}

TEST_F(EnvelopesTest, ClockSteppingBackPastThePoleGivesZeroNotInfinity) {
    partStart = 1.0;
    // 1 + 6.4 x = 0 at x = -1/6.4, i.e. t = partStart - 1/12.8 for b = 2.
    const double pole = 1.0 - 1.0 / 12.8;
    EXPECT_EQ(dampedSwing(pole, 6.4, 2.0), 0.0);
    EXPECT_EQ(decayPulse(1.0 - 1.0 / 7.7, 7.7, 1.0), 0.0);
    EXPECT_EQ(dampedSwing(pole - 0.01, 6.4, 2.0), 0.0);
    // A small step back stays finite and slightly above 1 in magnitude.
    EXPECT_GT(decayPulse(0.99, 7.7, 1.0), 1.0);
    EXPECT_TRUE(std::isfinite(dampedSwing(0.99, 6.4, 2.0)));
}

TEST_F(EnvelopesTest, PerPartTable) {
    partStart = 5.0;
    const double t = 5.25;
    struct Case {
        int part;
        double aux;
        double aux2;
    };
    const double keep = -123.0;  // marks a field that must be left alone
    const Case cases[] = {
        {10, dampedSwing(t, 7.05, 2.0), keep},
        {11, dampedSwing(t, 1.4, 44.0), keep},
        {9, decayPulse(t, 7.7, 1.0), keep},
        {20, decayPulse(t, 6.7, 1.0), keep},
        {21, keep, (decayPulse(t, 6.7, 1.0) * 0.9 - 0.15000000596046448) * 0.55},
        {0, keep, keep},
        {1, keep, keep},
        {2, keep, keep},
    };
    for (const Case& c : cases) {
        InputRecord input;
        input.auxValue = keep;
        input.auxValue2 = keep;
        applyEnvelopes(t, c.part, input);
        EXPECT_DOUBLE_EQ(input.auxValue, c.aux) << "part " << c.part;
        EXPECT_DOUBLE_EQ(input.auxValue2, c.aux2) << "part " << c.part;
        EXPECT_DOUBLE_EQ(input.swingFast, dampedSwing(t, 6.4, 2.0));
        EXPECT_DOUBLE_EQ(input.swingMid, dampedSwing(t, 6.4, 1.55));
        EXPECT_DOUBLE_EQ(input.swingSlow, dampedSwing(t, 6.4, 0.9));
    }
}

TEST_F(EnvelopesTest, Part21AtItsStart) {
    partStart = 270.0;
    InputRecord input;
    applyEnvelopes(270.0, 21, input);
    EXPECT_NEAR(input.auxValue2, 0.4125, 1e-8);
    EXPECT_DOUBLE_EQ(input.auxValue2, (0.9 - static_cast<double>(0.15f)) * 0.55);
}

TEST_F(EnvelopesTest, FrameStepFollowsThePartAndRestartsOnAChange) {
    buildTimeline();
    InputRecord input;
    updateTimelineInput(0.0, input);  // first frame: row 5 entered
    EXPECT_EQ(input.partIndex, 9);
    EXPECT_EQ(input.partRow, 5);
    EXPECT_DOUBLE_EQ(partStart, 0.0);
    EXPECT_DOUBLE_EQ(input.auxValue, 1.0);

    updateTimelineInput(40.0, input);  // same row: the pulse decays
    EXPECT_DOUBLE_EQ(partStart, 0.0);
    EXPECT_DOUBLE_EQ(input.auxValue, 1.0 / (1.0 + 7.7 * 40.0));
    EXPECT_EQ(timeline().activeCount, 1);

    updateTimelineInput(82.0, input);  // row 0, part 1: restart, aux kept
    EXPECT_EQ(input.partIndex, 1);
    EXPECT_EQ(input.partRow, 0);
    EXPECT_DOUBLE_EQ(partStart, 82.0);
    EXPECT_DOUBLE_EQ(input.swingFast, 1.0);
    EXPECT_DOUBLE_EQ(input.auxValue, 1.0 / (1.0 + 7.7 * 40.0));

    // In a gap every frame is a change, so every curve stays at 1.
    for (double t : {100.0, 100.5, 101.0}) {
        updateTimelineInput(t, input);
        EXPECT_EQ(input.partIndex, 0);
        EXPECT_EQ(input.partRow, 0) << "the row of the last match stays";
        EXPECT_DOUBLE_EQ(partStart, t);
        EXPECT_DOUBLE_EQ(input.swingSlow, 1.0);
    }
}

}  // namespace
