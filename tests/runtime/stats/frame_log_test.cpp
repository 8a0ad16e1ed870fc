#include "runtime/frame_log.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/render_context.h"

namespace {

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The smoothing written the obvious way: a separate output array, the
// kernel divided by 42, left neighbours taken from the output (they are
// smoothed before the sample that reads them).
std::vector<double> referenceSmoothing(const std::vector<double>& v) {
    std::vector<double> out = v;
    const int n = static_cast<int>(v.size());
    for (int i = 3; i <= n - 4; ++i) {
        out[i] = (20 * v[i] + 6 * (out[i - 1] + v[i + 1]) + 3 * (out[i - 2] + v[i + 2]) +
                  2 * (out[i - 3] + v[i + 3])) /
                 42;
    }
    return out;
}

TEST(FrameLog, SampleCountIsTenthsOfSecondsTruncated) {
    EXPECT_EQ(frameSampleCount(350.0), 3500);
    EXPECT_EQ(frameSampleCount(0.55), 5);
    EXPECT_EQ(frameSampleCount(0.0), 0);
    EXPECT_EQ(frameSampleCount(-3.0), 0);
    EXPECT_EQ(frameSampleCount(std::nan("")), 0);
    EXPECT_EQ(frameSampleCount(1.0e300), 0);
}

TEST(FrameLog, RateOfAStepWithTheShortestStepClamped) {
    EXPECT_DOUBLE_EQ(frameLogRate(0.02), 50.0);
    EXPECT_DOUBLE_EQ(frameLogRate(0.0), 1.0 / static_cast<double>(0.00001f));
    EXPECT_DOUBLE_EQ(frameLogRate(-0.034), frameLogRate(0.0));  // a corrected step below 0
    std::ostringstream text;
    text << frameLogRate(0.0);
    EXPECT_EQ(text.str(), "100000");
}

TEST(FrameLog, StoreUsesTheTruncatedBinAndDropsTimesOutside) {
    auto samples = makeFrameSamples(10);
    EXPECT_DOUBLE_EQ(samples[7].time, 0.7000000000000001);
    EXPECT_TRUE(storeFrameSampleIn(samples.get(), 10, 50.0, 0.31, 1));
    EXPECT_TRUE(storeFrameSampleIn(samples.get(), 10, 60.0, 0.39, 2));  // same bin: later wins
    EXPECT_DOUBLE_EQ(samples[3].time, 0.39);
    EXPECT_DOUBLE_EQ(samples[3].frameRate, 60.0);
    EXPECT_EQ(samples[3].aux, 2);
    EXPECT_TRUE(storeFrameSampleIn(samples.get(), 10, 1.0, 0.999, 0));
    EXPECT_DOUBLE_EQ(samples[9].frameRate, 1.0);
    for (double t : {1.0, 5.0, -0.2, 1.0e30, -1.0e30, std::nan("")}) {
        EXPECT_FALSE(storeFrameSampleIn(samples.get(), 10, 99.0, t, 0)) << t;
    }
    EXPECT_FALSE(storeFrameSampleIn(nullptr, 0, 99.0, 0.0, 0));
    for (int i = 0; i < 10; ++i) EXPECT_NE(samples[i].frameRate, 99.0);
}

TEST(FrameLog, InPlaceSmoothingMatchesTheReference) {
    std::vector<double> series;
    for (int i = 0; i < 40; ++i) series.push_back(60.0 + 25.0 * std::sin(i * 0.7) + (i % 5) * 3.0);
    series[17] = 0.0;  // a bin no frame reached
    series[18] = 1000.0;
    std::vector<FrameSample> samples(series.size());
    for (size_t i = 0; i < series.size(); ++i) samples[i].frameRate = series[i];

    smoothFrameRates(samples.data(), static_cast<int>(samples.size()));
    const std::vector<double> expected = referenceSmoothing(series);
    for (size_t i = 0; i < series.size(); ++i) {
        EXPECT_NEAR(samples[i].frameRate, expected[i], 1e-12 * std::fabs(expected[i])) << i;
    }
    // First and last three untouched.
    for (int i : {0, 1, 2, 37, 38, 39}) EXPECT_EQ(samples[i].frameRate, series[i]) << i;
    // Really in place: an out-of-place filter on the raw values differs.
    const double raw = (20 * series[20] + 6 * (series[19] + series[21]) +
                        3 * (series[18] + series[22]) + 2 * (series[17] + series[23])) /
                       42;
    EXPECT_GT(std::fabs(samples[20].frameRate - raw), 1.0);
}

TEST(FrameLog, SmoothingLeavesAConstantSeriesAndShortSeriesAlone) {
    std::vector<FrameSample> constant(12);
    for (auto& s : constant) s.frameRate = 75.0;
    smoothFrameRates(constant.data(), 12);
    for (auto& s : constant) EXPECT_NEAR(s.frameRate, 75.0, 1e-12);

    std::vector<FrameSample> shortSeries(6);
    for (int i = 0; i < 6; ++i) shortSeries[i].frameRate = i * 10.0;
    smoothFrameRates(shortSeries.data(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(shortSeries[i].frameRate, i * 10.0);
    smoothFrameRates(nullptr, 0);
}

TEST(FrameLog, WrittenWithTheStreamsDefaultNumberFormat) {
    auto samples = makeFrameSamples(8);
    storeFrameSampleIn(samples.get(), 8, frameLogRate(0.0), 0.0, 0);  // a zero step
    storeFrameSampleIn(samples.get(), 8, 1234567.0, 0.25, -3);
    std::ostringstream out;
    writeFrameSamples(out, samples.get(), 8);
    std::istringstream in(out.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1u + 3 * 8);
    EXPECT_EQ(lines[0], "8");
    EXPECT_EQ(lines[1], "0");
    EXPECT_EQ(lines[2], "100000");
    EXPECT_EQ(lines[3], "0");
    EXPECT_EQ(lines[7], "0.25");
    EXPECT_EQ(lines[8], "1.23457e+06");
    EXPECT_EQ(lines[9], "-3");
    EXPECT_EQ(lines[10], "0.3");  // 3 x 0.1 = 0.30000000000000004
    EXPECT_EQ(lines[22], "0.7");
}

class FrameLogFile : public ::testing::Test {
  protected:
    void SetUp() override {
        path = ::testing::TempDir() + "partdemotake4-5200.log";
        std::remove(path.c_str());
        context = std::make_unique<RenderContext>();
    }
    void TearDown() override { std::remove(path.c_str()); }
    std::string path;
    std::unique_ptr<RenderContext> context;  // heap: too large for the stack
};

// 84 s of demo at 60 frames per second, as the frame driver would store it
// (rate = 1 / step, time after the step, aux 0), then written at release.
TEST_F(FrameLogFile, ScriptedRunWritesOneCountLineAndThreeLinesPerBin) {
    context->openFrameLog(path.c_str(), 350.0);
    double demoTime = 0.0;
    std::vector<double> rates(3500, 0.0);
    std::vector<double> times(3500);
    for (int i = 0; i < 3500; ++i) times[i] = i * 0.1;
    for (int frame = 0; frame < 84 * 60; ++frame) {
        const double step = (frame % 2 == 0) ? 1.0 / 50.0 : 1.0 / 75.0;
        demoTime += step;
        context->storeFrameSample(frameLogRate(step), demoTime, 0);
        const int bin = static_cast<int>(demoTime * 10);
        if (bin < 3500) {
            rates[bin] = 1.0 / step;  // several frames per bin: the later one stays
            times[bin] = demoTime;
        }
    }
    context->writeFrameLog();
    EXPECT_FALSE(context->frameLog.is_open());
    EXPECT_EQ(context->frameSamples, nullptr);

    const std::vector<std::string> lines = readLines(path);
    ASSERT_EQ(lines.size(), 1u + 3 * 3500);
    EXPECT_EQ(lines[0], "3500");
    const std::vector<double> expected = referenceSmoothing(rates);
    for (int i = 0; i < 3500; ++i) {
        const double rate = std::strtod(lines[1 + 3 * i + 1].c_str(), nullptr);
        EXPECT_NEAR(rate, expected[i], 1e-5 * std::fabs(expected[i]) + 1e-9) << i;
        std::ostringstream time;
        time << times[i];
        EXPECT_EQ(lines[1 + 3 * i], time.str()) << i;
        EXPECT_EQ(lines[1 + 3 * i + 2], "0") << i;
    }
    // Bins past the end of the run stay at time i x 0.1 and rate 0.
    EXPECT_EQ(lines[1 + 3 * 3000], "300");
    EXPECT_EQ(lines[1 + 3 * 3000 + 1], "0");
}

TEST_F(FrameLogFile, ReopeningTruncatesAndWritingTwiceIsHarmless) {
    { std::ofstream(path) << "old contents that are longer than the new log\n"; }
    context->openFrameLog(path.c_str(), 0.7);
    context->storeFrameSample(42.0, 0.35, 5);
    context->writeFrameLog();
    context->writeFrameLog();                  // nothing left to write
    context->storeFrameSample(42.0, 0.35, 5);  // after release: dropped
    const std::vector<std::string> lines = readLines(path);
    ASSERT_EQ(lines.size(), 1u + 3 * 7);
    EXPECT_EQ(lines[0], "7");
    EXPECT_EQ(lines[10], "0.35");
    EXPECT_EQ(lines[12], "5");
}

TEST_F(FrameLogFile, AFileThatCannotBeCreatedLosesOnlyTheWrites) {
    context->openFrameLog("/nonexistent-folder/x/partdemotake4-5200.log", 1.0);
    EXPECT_FALSE(context->frameLog.good());
    context->storeFrameSample(60.0, 0.5, 0);
    EXPECT_DOUBLE_EQ(context->frameSamples[5].frameRate, 60.0);
    context->writeFrameLog();
    EXPECT_EQ(context->frameSamples, nullptr);
}

TEST_F(FrameLogFile, StoreOrWriteWithoutAnOpenLogDoesNothing) {
    context->storeFrameSample(60.0, 0.5, 0);
    context->writeFrameLog();
    EXPECT_EQ(context->frameSamples, nullptr);
}

}  // namespace
