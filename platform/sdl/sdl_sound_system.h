#pragma once
// The sound system over an SDL2 audio device: 16-bit stereo output at the
// mixing rate in blocks of 1024 frames, music streamed from Ogg Vorbis files
// by a decoder thread, spectrum by FFT of the recent output.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/fft_analyzer.h"
#include "platform/audio/sound_mixer.h"
#include "platform/audio/vorbis_stream.h"
#include "platform/sound_system.h"

namespace platform {

class SdlSoundSystem : public SoundSystem {
  public:
    static constexpr int kBlockFrames = 1024;

    SdlSoundSystem() = default;
    ~SdlSoundSystem() override;

    bool init(int mixRate, int channels, unsigned flags) override;
    SampleHandle loadSample(int slot, const char* path, unsigned mode, int offset,
                            int length) override;
    bool setSampleMode(SampleHandle sample, unsigned mode) override;
    int playSound(int channel, SampleHandle sample) override;
    std::uint32_t currentPosition(int channel) override;
    int frequency(int channel) override;
    bool setCurrentPosition(int channel, std::uint32_t frame) override;
    bool setVolume(int channel, int volume) override;
    DspUnitHandle fftUnit() override;
    bool setDspActive(DspUnitHandle unit, bool active) override;
    const float* spectrum() override;
    void close() override;

    // Time of the first device block that carried a channel's sound since
    // the last playSound (steady-clock nanoseconds; 0 until then). For measuring.
    std::int64_t firstSoundBlockTime() const { return firstSoundBlock_.load(); }
    // Frames handed to the device since init.
    std::uint64_t deviceFrames() const { return mixer_ ? mixer_->framesMixed() : 0; }
    // Bytes of the mixer's own buffers (rings, history).
    std::size_t bufferBytes() const { return mixer_ ? mixer_->bufferBytes() : 0; }

  private:
    struct Sample {
        std::string path;
        std::unique_ptr<VorbisStream> opened;  // handed to the first playSound
        unsigned mode = 0;
    };
    static void deviceCallback(void* self, std::uint8_t* stream, int bytes);

    std::uint32_t device_ = 0;
    bool audioSubsystem_ = false;
    std::unique_ptr<SoundMixer> mixer_;
    std::thread decoder_;
    std::atomic<bool> decoding_{false};
    std::vector<std::unique_ptr<Sample>> samples_;
    std::atomic<std::int64_t> firstSoundBlock_{0};
    std::array<float, 1> fftUnit_{};  // its address is the unit handle
    std::atomic<bool> fftActive_{false};
    SpectrumAnalyzer analyzer_;
    std::vector<float> recent_ = std::vector<float>(SpectrumAnalyzer::kWindow);
    std::array<float, kSpectrumBins> silent_{};
};

}  // namespace platform
