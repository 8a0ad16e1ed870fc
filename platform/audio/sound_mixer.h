#pragma once
// The mixer behind the desktop sound systems, free of any device so it can be
// driven directly: channels that stream decoded music from a ring filled
// ahead of time by decodeAhead() (a decoder thread), mixing into 16-bit
// stereo with per-channel volume, positions interpolated between device
// blocks, and the recent output kept for the spectrum.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/music_stream.h"

namespace platform {

class SoundMixer {
  public:
    static constexpr std::size_t kRingFrames = 16384;  // ~0.37 s at 44.1 kHz
    static constexpr std::size_t kDecodeChunk = 4096;
    static constexpr std::size_t kHistory = 1024;

    SoundMixer(int mixRate, int channels);
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    int mixRate() const { return mixRate_; }
    int channelCount() const { return static_cast<int>(voices_.size()); }

    // Starts `stream` on `channel` (-1: the first free one) at full volume,
    // decoding its first block right away so the next device block already
    // carries it. Returns the channel or -1.
    int start(int channel, std::unique_ptr<MusicStream> stream);
    // Position in frames of the channel's stream at time `nowNanos` (on the
    // clock the device blocks are stamped with): interpolated through the
    // last block along the device's smoothed block times, never beyond what
    // was handed out, never going back except through seek(). 0 when the
    // channel plays nothing.
    std::int64_t position(int channel, std::int64_t nowNanos);
    // The stream's sample rate, or 0 when the channel plays nothing.
    int frequency(int channel);
    // Moves the channel to `frame`; decoding resumes there. False when the
    // channel plays nothing or its stream cannot seek.
    bool seek(int channel, std::int64_t frame);
    // A paused channel is left out of the mix: silent, its position standing
    // where it is (seek still moves it). False when the channel plays nothing.
    bool setPaused(int channel, bool paused);
    // 0 to 255 (clamped) for one channel or, with -3, every channel.
    bool setVolume(int channel, int volume);
    void stopAll();

    // Device side: fills `frames` interleaved stereo frames, stamped `nowNanos`.
    // Returns how many channels contributed sound.
    int mix(std::int16_t* out, std::size_t frames, std::int64_t nowNanos);
    // Decoder side: tops up every channel's ring by at most one chunk each;
    // true when any work was done. Releases the streams of ended channels.
    bool decodeAhead();
    // Blocks the decoder until a device block was mixed, a channel changed,
    // or the timeout passed.
    void waitForWork(std::int64_t timeoutNanos);
    void wake();

    // What the last mix() handed out of each channel that played in it:
    // stream frames first to end (not included). Lets a device that keeps its
    // own clock tell which frame of a stream it is playing.
    struct ChannelSpan {
        int channel = 0;
        std::int64_t first = 0;
        std::int64_t end = 0;
    };
    std::vector<ChannelSpan> lastSpans() const;

    // The last kHistory mixed samples as mono (L+R)/2, oldest first.
    void recentOutput(float* out) const;
    // Frames handed to the device since the mixer was made.
    std::uint64_t framesMixed() const;
    // Bytes of buffers the mixer itself holds (rings, history).
    std::size_t bufferBytes() const;

  private:
    struct Voice;
    void stopVoice(Voice& v);
    bool takeFrame(Voice& v, float* frame);
    bool prime(Voice& v);

    // When the device plays the current block, smoothed over many blocks.
    struct DeviceClock {
        bool running = false;
        double nominal = 0.0;
        double blockBegin = 0.0;  // nanoseconds
        double blockEnd = 0.0;
        double estimate = 0.0;  // block period
        void tick(double now, double period);
    };

    const int mixRate_;
    DeviceClock clock_;
    mutable std::mutex mutex_;
    std::condition_variable workSignal_;
    bool workPending_ = false;
    std::vector<std::unique_ptr<Voice>> voices_;
    std::vector<float> history_;
    std::size_t historyNext_ = 0;
    std::uint64_t framesMixed_ = 0;
    std::vector<float> mixBuffer_;
    std::vector<ChannelSpan> spans_;
};

}  // namespace platform
