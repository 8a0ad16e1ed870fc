#pragma once
// Ogg Vorbis through stb_vorbis (Debian's libstb-dev, compiled in): the music
// stream of builds that have no libvorbisfile (Windows). The file is read
// into memory whole and decoded from there a chunk at a time.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/audio/music_stream.h"

namespace platform {

class StbVorbisStream : public MusicStream {
  public:
    // Opens a file; null when it is missing or not a playable Ogg Vorbis stream.
    static std::unique_ptr<StbVorbisStream> openFile(const char* path);
    // Decodes from a copy of `bytes`.
    static std::unique_ptr<StbVorbisStream> openMemory(std::span<const std::uint8_t> bytes);

    ~StbVorbisStream() override;
    StbVorbisStream(const StbVorbisStream&) = delete;
    StbVorbisStream& operator=(const StbVorbisStream&) = delete;

    int sampleRate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::int64_t lengthFrames() const override { return length_; }
    // Stereo as VorbisStream gives it: mono doubled, from three channels on
    // the front left and right.
    std::size_t read(float* out, std::size_t frames) override;
    bool seek(std::int64_t frame) override;

  private:
    explicit StbVorbisStream(std::vector<std::uint8_t> bytes);
    bool open();

    std::vector<std::uint8_t> bytes_;
    std::vector<char> arena_;  // all the decoder's memory
    void* decoder_ = nullptr;  // stb_vorbis, in arena_
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t length_ = -1;
    std::vector<float> planes_[3];  // decoded left, second and third channels
};

}  // namespace platform
