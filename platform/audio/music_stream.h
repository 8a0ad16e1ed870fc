#pragma once
// A decoded music stream as the mixer pulls it: stereo float frames a block
// at a time, a sample rate, and a position that can be moved. Each build
// brings the decoder it has (libvorbisfile on the desktop, stb_vorbis where
// that is all there is) behind this one interface.
#include <cstddef>
#include <cstdint>

namespace platform {

// The source channel a stereo read takes its right side from: the left one
// again for mono, else the front right of the Vorbis channel order (second
// for two and four channels, third from three on: left, centre, right).
inline int stereoRightChannel(int channels) {
    return channels == 1 ? 0 : (channels == 2 || channels == 4) ? 1 : 2;
}

class MusicStream {
  public:
    virtual ~MusicStream() = default;

    virtual int sampleRate() const = 0;
    // Channels of the source; what read() hands out is always stereo.
    virtual int channels() const = 0;
    // Length in frames; -1 when the stream cannot tell (not seekable).
    virtual std::int64_t lengthFrames() const = 0;

    // Decodes up to `frames` interleaved stereo frames into `out` (2 floats
    // each). Returns the frames written; 0 only at the end of the stream or
    // on a read error that cannot be skipped.
    virtual std::size_t read(float* out, std::size_t frames) = 0;

    // Moves to a frame; past the end means "at the end". False when the
    // stream is not seekable.
    virtual bool seek(std::int64_t frame) = 0;
};

}  // namespace platform
