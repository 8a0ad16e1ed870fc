#include "platform/audio/fft_analyzer.h"

#include <cmath>
#include <numbers>

namespace platform {

SpectrumAnalyzer::SpectrumAnalyzer(std::unique_ptr<RealFft> fft)
    : fft_(std::move(fft)), window_(kWindow), input_(kWindow) {
    double sum = 0.0;
    for (std::size_t i = 0; i < kWindow; ++i) {
        double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                        static_cast<double>(kWindow));
        window_[i] = static_cast<float>(w);
        sum += w;
    }
    // A sine of amplitude A on a bin centre gives |X| = A * sum(w) / 2.
    scale_ = static_cast<float>(2.0 / sum);
}

const std::array<float, SpectrumAnalyzer::kBins>& SpectrumAnalyzer::analyse(const float* samples) {
    if (!fft_ || fft_->size() != kWindow) {
        bins_.fill(0.0f);
        return bins_;
    }
    for (std::size_t i = 0; i < kWindow; ++i) input_[i] = samples[i] * window_[i];
    fft_->magnitudes(input_.data(), bins_.data());
    for (float& bin : bins_) bin *= scale_;
    return bins_;
}

}  // namespace platform
