#pragma once
// A sound system on the shared mixer, whatever device plays it: music
// streamed from files by a decoder thread into the mixer's channels,
// volumes, positions, the spectrum of the recent output. A build adds its
// device (SDL2 audio, WASAPI) by opening and closing it and by telling which
// frame of a channel's stream is being heard.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/fft_analyzer.h"
#include "platform/audio/music_stream.h"
#include "platform/audio/sound_mixer.h"
#include "platform/sound_system.h"

namespace platform {

class MixedSoundSystem : public SoundSystem {
  public:
    // Opens a music file for streaming; null when it is missing or unplayable.
    using StreamOpener = std::function<std::unique_ptr<MusicStream>(const char* path)>;

    bool init(int mixRate, int channels, unsigned flags) override;
    SampleHandle loadSample(int slot, const char* path, unsigned mode, int offset,
                            int length) override;
    bool setSampleMode(SampleHandle sample, unsigned mode) override;
    int playSound(int channel, SampleHandle sample) override;
    std::uint32_t currentPosition(int channel) override;
    int frequency(int channel) override;
    bool setCurrentPosition(int channel, std::uint32_t frame) override;
    bool setPaused(int channel, bool paused) override;
    bool setVolume(int channel, int volume) override;
    DspUnitHandle fftUnit() override;
    bool setDspActive(DspUnitHandle unit, bool active) override;
    const float* spectrum() override;
    void close() override;

  protected:
    MixedSoundSystem(StreamOpener opener, std::unique_ptr<RealFft> fft);
    // A derived system's destructor calls close(): its device goes first.

    // Opens the device, which then pulls blocks from mixer(); false when
    // there is no audio output.
    virtual bool openDevice() = 0;
    // Stops the device; no block is mixed after it returns.
    virtual void closeDevice() = 0;
    // Frame of the channel's stream being heard now.
    virtual std::int64_t heardPosition(int channel) = 0;
    // A sound was started on the channel (frame 0) or moved to `frame`.
    virtual void channelMoved(int /*channel*/, std::int64_t /*frame*/) {}

    SoundMixer& mixer() { return *mixer_; }

  private:
    struct Sample {
        std::string path;
        std::unique_ptr<MusicStream> opened;  // handed to the first playSound
        unsigned mode = 0;
    };

    StreamOpener opener_;
    std::unique_ptr<SoundMixer> mixer_;
    std::thread decoder_;
    std::atomic<bool> decoding_{false};
    std::vector<std::unique_ptr<Sample>> samples_;
    std::array<float, 1> fftUnit_{};  // its address is the unit handle
    std::atomic<bool> fftActive_{false};
    SpectrumAnalyzer analyzer_;
    std::vector<float> recent_ = std::vector<float>(SpectrumAnalyzer::kWindow);
    std::array<float, kSpectrumBins> silent_{};
};

}  // namespace platform
