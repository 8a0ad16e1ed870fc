#pragma once
// The sound system over an SDL2 audio device: 16-bit stereo output at the
// mixing rate in blocks of 1024 frames, music streamed from Ogg Vorbis files
// (libvorbisfile) by a decoder thread, spectrum by KISS FFT of the recent
// output (platform/audio/mixed_sound_system.h).
#include <atomic>
#include <cstdint>

#include "platform/audio/mixed_sound_system.h"

namespace platform {

class SdlSoundSystem : public MixedSoundSystem {
  public:
    static constexpr int kBlockFrames = 1024;

    SdlSoundSystem();
    ~SdlSoundSystem() override;

    int playSound(int channel, SampleHandle sample) override;

    // Time of the first device block that carried a channel's sound since
    // the last playSound (steady-clock nanoseconds; 0 until then). For measuring.
    std::int64_t firstSoundBlockTime() const { return firstSoundBlock_.load(); }
    // Frames handed to the device since init.
    std::uint64_t deviceFrames() { return device_ != 0 ? mixer().framesMixed() : 0; }
    // Bytes of the mixer's own buffers (rings, history).
    std::size_t bufferBytes() { return device_ != 0 ? mixer().bufferBytes() : 0; }

  protected:
    bool openDevice() override;
    void closeDevice() override;
    std::int64_t heardPosition(int channel) override;

  private:
    static void deviceCallback(void* self, std::uint8_t* stream, int bytes);

    std::uint32_t device_ = 0;
    std::atomic<std::int64_t> firstSoundBlock_{0};
};

}  // namespace platform
