#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "texturing/byte_source.h"

// Serves bytes that are already in memory (a file read whole, an embedded
// picture, a fuzzer's input). The bytes are not copied: they must outlive
// the source. At most `chunk` bytes are delivered per read, so a caller can
// see its data arrive in small pieces.
class MemoryByteSource : public ByteSource {
  public:
    MemoryByteSource(const std::uint8_t* data, std::size_t size, int chunk = INT_MAX)
        : data_(data), size_(size), chunk_(chunk < 1 ? 1 : chunk) {}
    explicit MemoryByteSource(const std::vector<std::uint8_t>& bytes, int chunk = INT_MAX)
        : MemoryByteSource(bytes.data(), bytes.size(), chunk) {}

    int read(std::uint8_t* buffer, int wanted, bool* endFlag) override;
    void beginUse() override {}
    void endUse() override {}

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    int chunk_;
};
