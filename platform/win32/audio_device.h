#pragma once
// The sound card as the mixer sees it: a thread that keeps the system's
// default output (WASAPI, shared mode, 16-bit stereo at the mixing rate) fed
// from the mixer in blocks of 10 ms, and tells from the device's own clock
// which frame of each channel's stream is being heard.
//
// When the device goes away (unplugged, disabled) or another one becomes
// the default, the music goes on from the frame that was being heard on the
// new default device. While there is none, the blocks are taken at the pace
// of the performance counter and thrown away, so positions go on with the
// timer and the music resumes in step when a device appears again.
#include <atomic>
#include <cstdint>
#include <deque>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/sound_mixer.h"

namespace platform {

class AudioDevice {
  public:
    static constexpr int kBlockFrames = 441;  // 10 ms at 44.1 kHz

    AudioDevice() = default;
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Opens the default output device and starts feeding it from `mixer`
    // (which must outlive the device); false when the system has none.
    bool start(SoundMixer& mixer);
    // Stops the output and the thread.
    void stop();

    // Frame of the channel's stream being heard now; the end of what it
    // played once it is over; 0 before it began.
    std::int64_t heardPosition(int channel);
    // The channel was started or moved to `frame`: until the blocks mixed
    // from there on are heard, that frame is what is heard.
    void channelMoved(int channel, std::int64_t frame);

    // What the music plays on now: the device's name, or "" while there is none.
    std::string deviceName();

  private:
    // A mixed block on the device timeline (frames since start, across
    // devices) and what it carried of each channel.
    struct Block {
        std::int64_t deviceStart = 0;
        std::int64_t frames = 0;
        std::vector<SoundMixer::ChannelSpan> spans;
    };
    struct Endpoint;

    void run(std::promise<bool> opened);
    // Mixes one block and queues it at the end of the timeline.
    void mixBlock(std::int16_t* out);
    // The channel's stream frame heard at timeline frame `heard`; drops the
    // blocks heard whole by then. Called with the lock held.
    std::int64_t positionAt(int channel, std::int64_t heard);
    // The device timeline frame heard now, from the last clock reading.
    std::int64_t heardFrame();
    // Moves every channel back to what was heard at `frame` and drops the
    // blocks from there on: they were never heard.
    void rewindTo(std::int64_t frame);
    // Keeps the null output's clock: blocks taken at the timer's pace.
    void feedTimer();

    SoundMixer* mixer_ = nullptr;
    std::thread thread_;
    std::atomic<bool> running_{false};
    void* stopEvent_ = nullptr;

    std::mutex mutex_;
    std::deque<Block> blocks_;
    std::int64_t written_ = 0;  // device timeline frames mixed so far
    // The last clock reading: timeline frame and performance-counter time.
    std::int64_t readFrame_ = 0;
    std::int64_t readCounter_ = 0;
    std::int64_t counterFrequency_ = 1;
    std::int64_t lastHeard_ = 0;
    std::vector<std::int64_t> heardEnd_;   // per channel: end of its last heard span
    std::vector<std::int64_t> movedMark_;  // per channel: timeline frame of its last move
    std::string deviceName_;
    bool onTimer_ = false;
    std::int64_t timerBase_ = 0;  // timeline frame where the timer took over
    std::int64_t timerStart_ = 0;
};

}  // namespace platform
