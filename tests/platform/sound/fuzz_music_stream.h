#pragma once
// Arbitrary bytes through a music stream: open, read, seek, read again.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

template <typename Stream>
int fuzzMusicStream(const std::uint8_t* data, std::size_t size) {
    auto stream = Stream::openMemory(std::span<const std::uint8_t>(data, size));
    if (!stream) return 0;
    if (stream->sampleRate() <= 0 || stream->channels() <= 0) __builtin_trap();
    std::vector<float> block(2 * 4096);
    std::size_t total = 0;
    // Bounded: a tiny file may claim hours of audio.
    while (total < 1'000'000) {
        std::size_t n = stream->read(block.data(), 4096);
        if (n > 4096) __builtin_trap();
        if (n == 0) break;
        total += n;
    }
    std::int64_t length = stream->lengthFrames();
    for (std::int64_t target : {std::int64_t{0}, length / 2, length - 1, length, length + 100}) {
        if (stream->seek(target)) stream->read(block.data(), 256);
    }
    return 0;
}
