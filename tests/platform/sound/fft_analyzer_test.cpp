#include "platform/audio/fft_analyzer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tests/platform/sound/tone_files.h"

namespace {

std::vector<float> sine(double cyclesPerWindow, double amplitude) {
    std::vector<float> s(platform::SpectrumAnalyzer::kWindow);
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] = static_cast<float>(
            amplitude * std::sin(2.0 * std::numbers::pi * cyclesPerWindow * i / s.size()));
    }
    return s;
}

TEST(SpectrumAnalyzer, FullScaleSineOnABinReadsOneThere) {
    platform::SpectrumAnalyzer analyzer;
    for (int bin : {3, 23, 100, 255, 400, 510}) {
        auto bins = analyzer.analyse(sine(bin, 1.0).data());
        EXPECT_EQ(sound_test::peakBin(bins.data(), 512), bin);
        EXPECT_NEAR(bins[bin], 1.0f, 0.01f) << bin;
        // The Hann window keeps the energy next to the peak.
        for (int k = 0; k < 512; ++k) {
            if (std::abs(k - bin) > 2) {
                EXPECT_LT(bins[k], 1e-3f) << bin << " leaks into " << k;
            }
        }
    }
}

TEST(SpectrumAnalyzer, ToneBetweenBinsLosesAtMostTheWindowScallop) {
    platform::SpectrumAnalyzer analyzer;
    // 1 kHz at 44.1 kHz is bin 23.22; halfway between bins is the worst case.
    for (double cycles : {1000.0 * 1024 / 44100, 40.5}) {
        auto bins = analyzer.analyse(sine(cycles, 0.5).data());
        EXPECT_EQ(sound_test::peakBin(bins.data(), 512), static_cast<int>(std::lround(cycles)));
        EXPECT_GT(bins[std::lround(cycles)], 0.5f * 0.84f);
        EXPECT_LE(bins[std::lround(cycles)], 0.5f * 1.001f);
    }
}

TEST(SpectrumAnalyzer, SilenceReadsZero) {
    platform::SpectrumAnalyzer analyzer;
    std::vector<float> silence(1024, 0.0f);
    for (float v : analyzer.analyse(silence.data())) EXPECT_EQ(v, 0.0f);
}

}  // namespace
