#include "platform/audio/radix2_fft.h"

#include <cmath>
#include <numbers>

namespace platform {

Radix2Fft::Radix2Fft(std::size_t size)
    : size_(size), reversed_(size), twiddles_(size / 2), work_(size) {
    std::size_t bits = 0;
    while ((std::size_t{1} << bits) < size_) ++bits;
    for (std::size_t i = 0; i < size_; ++i) {
        std::size_t r = 0;
        for (std::size_t b = 0; b < bits; ++b) r |= ((i >> b) & 1) << (bits - 1 - b);
        reversed_[i] = r;
    }
    for (std::size_t k = 0; k < size_ / 2; ++k) {
        const double angle = -2.0 * std::numbers::pi * static_cast<double>(k) / size_;
        twiddles_[k] = {std::cos(angle), std::sin(angle)};
    }
}

void Radix2Fft::magnitudes(const float* samples, float* magnitudes) {
    for (std::size_t i = 0; i < size_; ++i) work_[reversed_[i]] = {samples[i], 0.0};
    for (std::size_t span = 2; span <= size_; span *= 2) {
        const std::size_t half = span / 2;
        const std::size_t stride = size_ / span;
        for (std::size_t start = 0; start < size_; start += span) {
            for (std::size_t j = 0; j < half; ++j) {
                const std::complex<double> odd = twiddles_[j * stride] * work_[start + j + half];
                work_[start + j + half] = work_[start + j] - odd;
                work_[start + j] += odd;
            }
        }
    }
    for (std::size_t k = 0; k < size_ / 2; ++k)
        magnitudes[k] = static_cast<float>(std::abs(work_[k]));
}

}  // namespace platform
