#pragma once

#include <cstdint>

// The JPEG decoder's input: an abstract stream of bytes.
class ByteSource {
  public:
    virtual ~ByteSource();
    // Delivers up to `wanted` bytes into `buffer` and returns how many were
    // delivered; sets *endFlag when the data has ended. Returns -1 on failure.
    virtual int read(std::uint8_t* buffer, int wanted, bool* endFlag) = 0;
    // Called by the decoder when it starts to use the source.
    virtual void beginUse() = 0;
    // Called by the decoder when it releases its resources.
    virtual void endUse() = 0;
};
