#pragma once
// Streaming Ogg Vorbis decoder: hands out stereo float frames a block at a
// time, so playback can begin long before the whole file is decoded.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/audio/music_stream.h"

namespace platform {

class VorbisStream : public MusicStream {
  public:
    // Opens a file; null when it is missing or not a playable Ogg Vorbis stream.
    static std::unique_ptr<VorbisStream> openFile(const char* path);
    // Decodes from bytes held by the caller, which must outlive the stream.
    static std::unique_ptr<VorbisStream> openMemory(std::span<const std::uint8_t> bytes);

    ~VorbisStream() override;
    VorbisStream(const VorbisStream&) = delete;
    VorbisStream& operator=(const VorbisStream&) = delete;

    int sampleRate() const override { return rate_; }
    int channels() const override { return channels_; }
    // Length in frames; -1 when the stream cannot tell (not seekable).
    std::int64_t lengthFrames() const override { return length_; }

    // Decodes up to `frames` interleaved stereo frames into `out` (2 floats
    // each). Mono is doubled to both sides; from three channels on the
    // front left and right of the Vorbis channel order are kept. Returns the
    // frames written; 0 only at the end of the stream or on a read error
    // that cannot be skipped.
    std::size_t read(float* out, std::size_t frames) override;

    // Moves to a frame; past the end means "at the end". False when the
    // stream is not seekable.
    bool seek(std::int64_t frame) override;

  private:
    struct Impl;
    explicit VorbisStream(std::unique_ptr<Impl> impl);
    bool describe();

    std::unique_ptr<Impl> impl_;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t length_ = -1;
};

}  // namespace platform
