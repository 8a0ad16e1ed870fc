#pragma once
// The sound system in a browser: Ogg Vorbis decoded by stb_vorbis in
// chunks of about 0.7 s, kept two seconds ahead of the audio clock and
// played gapless through Web Audio (web_audio.h); positions from the audio
// clock, volume through a gain node, the spectrum from an analyser node
// scaled as the desktop's (a full-scale sine reads 1.0 in its bin).
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sound_system.h"

namespace platform {

class BrowserSoundSystem : public SoundSystem {
  public:
    static constexpr int kChunkFrames = 32768;
    static constexpr double kSecondsAhead = 2.0;

    BrowserSoundSystem();
    ~BrowserSoundSystem() override;

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

    // Decodes and schedules what each playing channel needs to stay ahead;
    // runs on a timer while the sound system is open.
    void keepAhead();

  private:
    struct Sample;
    struct Voice;
    Voice* playing(int channel);
    void stopVoice(Voice& voice);

    bool open_ = false;
    long timer_ = 0;
    std::vector<std::unique_ptr<Sample>> samples_;
    std::vector<std::unique_ptr<Voice>> voices_;
    std::array<float, 1> fftUnit_{};  // its address is the unit handle
    bool fftActive_ = false;
    std::array<float, kSpectrumBins> bins_{};
    std::array<float, kSpectrumBins> silent_{};
};

// A full-scale sine on a bin centre, as the analyser reports it in dB
// (Blackman window, magnitudes over the window length): 20 log10(0.42 / 2).
inline constexpr double kAnalyserFullScaleDecibels = -13.5556;

// Converts the analyser's dB values into the desktop spectrum's scale.
void analyserToSpectrum(const float* decibels, float* bins);

}  // namespace platform
