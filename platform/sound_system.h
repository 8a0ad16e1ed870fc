#pragma once
// The sound system the demo plays its music through: initialise, load a
// sample, play it on a channel, ask for the channel's position and
// frequency, reposition it, set volumes, analyse the spectrum, shut down.
// The calls take the values the program passes and report as the program
// expects; the build the executable links provides the default and tests
// install their own with setSoundSystem().
#include <cstdint>

namespace platform {

// Opaque handles handed out by the sound system.
using SampleHandle = void*;
using DspUnitHandle = void*;

// Channel and sample-slot selectors.
inline constexpr int kSoundFree = -1;         // any free channel or slot
inline constexpr int kSoundAllChannels = -3;  // every channel

// init flags.
inline constexpr unsigned kSoundInitGlobalFocus = 2;  // keep playing in the background

// loadSample modes: 0x130 is the default (16-bit, signed, mono-or-stereo
// decoded PCM); loop modes for setSampleMode.
inline constexpr unsigned kSampleNormal = 0x130;
inline constexpr unsigned kLoopOff = 1;

inline constexpr int kSpectrumBins = 512;

class SoundSystem {
  public:
    virtual ~SoundSystem() = default;

    // Starts output at `mixRate` Hz with up to `channels` channels; false
    // when no audio output can be opened.
    virtual bool init(int mixRate, int channels, unsigned flags) = 0;
    // Opens a music file for playback (it is decoded while it plays); null
    // when the file is missing or unreadable. offset and length 0: the whole file.
    virtual SampleHandle loadSample(int slot, const char* path, unsigned mode, int offset,
                                    int length) = 0;
    virtual bool setSampleMode(SampleHandle sample, unsigned mode) = 0;
    // Plays the sample on `channel` (kSoundFree: the first free one);
    // returns the channel or -1.
    virtual int playSound(int channel, SampleHandle sample) = 0;
    // Playback position of the channel in frames of its sample; moves
    // smoothly between device blocks and never runs ahead of the output.
    virtual std::uint32_t currentPosition(int channel) = 0;
    // Sample rate of what the channel plays, in Hz; 0 when it plays nothing
    // (never started, or the sound is over).
    virtual int frequency(int channel) = 0;
    virtual bool setCurrentPosition(int channel, std::uint32_t frame) = 0;
    // Pauses or resumes the channel. Paused it is silent, its position
    // stands at what was being heard when it paused (repositioning moves
    // it) and it reports its frequency as before; it resumes from there.
    // False when the channel plays nothing or the system cannot pause.
    virtual bool setPaused(int /*channel*/, bool /*paused*/) { return false; }
    // Volume 0 to 255 for one channel or kSoundAllChannels.
    virtual bool setVolume(int channel, int volume) = 0;
    virtual DspUnitHandle fftUnit() = 0;
    virtual bool setDspActive(DspUnitHandle unit, bool active) = 0;
    // kSpectrumBins magnitudes of the most recent output (all 0 while the
    // FFT unit is off); valid until the next call.
    virtual const float* spectrum() = 0;
    // Stops all sound and closes the output.
    virtual void close() = 0;
};

// The installed sound system (the linked build's default unless a test
// installed another).
SoundSystem& soundSystem();
// Installs `s` (not owned; null restores the default) and returns the previous one.
SoundSystem* setSoundSystem(SoundSystem* s);

// The sound system of the build the executable links, defined by that
// build's folder; never destroyed, as the process may end with music
// still playing.
SoundSystem& defaultSoundSystem();

}  // namespace platform
