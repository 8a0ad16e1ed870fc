#pragma once

#include <cstdint>

#include "texturing/byte_source.h"

// Buffered byte input of the decoder. Once the source is exhausted the reader
// delivers FF and D9 alternately for ever, so a truncated stream looks like
// one that ends with end-of-image markers.
class JpegInput {
  public:
    static constexpr int kBufferSize = 4096;
    static constexpr int kMargin = 128;

    void start(ByteSource* source);

    std::uint8_t readByte() {
        if (pos_ < filled_) return buffer_[pos_++];
        return readByteSlow();
    }
    int read16() {
        int high = readByte();
        return (high << 8) | readByte();
    }
    void skip(int count);

    // Direct access for the bulk bit reader: bytes not yet read in the buffer.
    const std::uint8_t* cursor() const { return buffer_ + pos_; }
    int available() const { return filled_ - pos_; }
    void advance(int count) { pos_ += count; }

    std::uint64_t bytesRead() const { return bytesRead_; }

    // A marker code the entropy decoder met and consumed (FF and the code);
    // -1 when none is waiting.
    int pendingMarker = -1;

  private:
    std::uint8_t readByteSlow();
    void refill();

    ByteSource* source_ = nullptr;
    int pos_ = 0;
    int filled_ = 0;
    bool ended_ = false;
    bool padSecond_ = false;
    std::uint64_t bytesRead_ = 0;
    std::uint8_t buffer_[kBufferSize + kMargin] = {};
};
