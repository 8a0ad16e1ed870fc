#include "texturing/memory_byte_source.h"

#include <algorithm>
#include <cstring>

int MemoryByteSource::read(std::uint8_t* buffer, int wanted, bool* endFlag) {
    std::size_t count = std::min({size_ - position_, static_cast<std::size_t>(std::max(wanted, 0)),
                                  static_cast<std::size_t>(chunk_)});
    if (count > 0) std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    if (position_ == size_) *endFlag = true;
    return static_cast<int>(count);
}
