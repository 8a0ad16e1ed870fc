#pragma once
// The sound system on Windows: Ogg Vorbis decoded by stb_vorbis on a
// decoder thread into the shared mixer, played through WASAPI by
// AudioDevice with positions from the device's clock; the spectrum by our
// own FFT of the recent output (platform/audio/mixed_sound_system.h).
#include "platform/audio/mixed_sound_system.h"
#include "platform/win32/audio_device.h"

namespace platform {

class Win32SoundSystem : public MixedSoundSystem {
  public:
    Win32SoundSystem();
    ~Win32SoundSystem() override;

  protected:
    bool openDevice() override;
    void closeDevice() override;
    std::int64_t heardPosition(int channel) override;
    void channelMoved(int channel, std::int64_t frame) override;

  private:
    AudioDevice device_;
};

}  // namespace platform
