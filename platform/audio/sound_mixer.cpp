#include "platform/audio/sound_mixer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace platform {

struct SoundMixer::Voice {
    bool active = false;
    std::shared_ptr<MusicStream> stream;
    std::shared_ptr<MusicStream> retired;  // released by the decoder, not the device thread
    int rate = 0;
    double step = 1.0;  // source frames per output frame
    std::int64_t length = -1;

    // Decoded frames waiting to be mixed, source frames ringStart onwards.
    std::vector<float> ring;
    std::size_t ringHead = 0;
    std::size_t ringCount = 0;
    std::int64_t ringStart = 0;
    bool eof = false;              // the decoder reached the end of the stream
    std::int64_t eofIndex = 0;     // first frame index past the end
    std::uint64_t generation = 0;  // bumped by start and seek: stale decodes are dropped
    std::int64_t pendingSeek = -1;

    // Playback: output interpolates between frames a (index n) and b (n + 1).
    bool primed = false;
    bool needB = false;
    std::int64_t n = 0;
    float a[2] = {0.0f, 0.0f};
    float b[2] = {0.0f, 0.0f};
    double frac = 0.0;
    float gain = 1.0f;
    float targetGain = 1.0f;
    bool paused = false;

    // The last device block: frames stampStart..stampEnd, played (by the
    // smoothed device clock) from blockBegin to blockEnd.
    bool stamped = false;
    std::int64_t stampStart = 0;
    std::int64_t stampEnd = 0;
    double blockBegin = 0.0;
    double blockEnd = 0.0;
    std::int64_t lastReported = 0;

    void clearRing(std::int64_t from) {
        ringHead = 0;
        ringCount = 0;
        ringStart = from;
    }
    void push(const float* frames, std::size_t count) {
        const std::size_t capacity = ring.size() / 2;
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t slot = (ringHead + ringCount) % capacity;
            ring[2 * slot] = frames[2 * i];
            ring[2 * slot + 1] = frames[2 * i + 1];
            ++ringCount;
        }
    }
};

SoundMixer::SoundMixer(int mixRate, int channels)
    : mixRate_(mixRate > 0 ? mixRate : 44100), history_(kHistory, 0.0f) {
    channels = std::clamp(channels, 1, 1024);
    for (int i = 0; i < channels; ++i) voices_.push_back(std::make_unique<Voice>());
    mixBuffer_.resize(2 * 4096);
}

SoundMixer::~SoundMixer() = default;

int SoundMixer::start(int channel, std::unique_ptr<MusicStream> stream) {
    if (!stream) return -1;
    // Decode the first chunk here, before the stream is shared with the
    // decoder, so the very next device block carries music.
    std::vector<float> first(2 * kDecodeChunk);
    std::size_t got = stream->read(first.data(), kDecodeChunk);

    std::shared_ptr<MusicStream> old;
    {
        std::lock_guard lock(mutex_);
        int chosen = -1;
        if (channel == -1) {
            for (int i = 0; i < channelCount(); ++i) {
                if (!voices_[i]->active) {
                    chosen = i;
                    break;
                }
            }
        } else if (channel >= 0 && channel < channelCount()) {
            chosen = channel;
        }
        if (chosen < 0) return -1;
        Voice& v = *voices_[chosen];
        old = std::move(v.stream);
        v.rate = stream->sampleRate();
        v.step = static_cast<double>(v.rate) / mixRate_;
        v.length = stream->lengthFrames();
        v.stream = std::move(stream);
        if (v.ring.empty()) v.ring.assign(2 * kRingFrames, 0.0f);
        v.clearRing(0);
        v.push(first.data(), got);
        v.eof = got < kDecodeChunk;
        v.eofIndex = static_cast<std::int64_t>(got);
        ++v.generation;
        v.pendingSeek = -1;
        v.primed = false;
        v.needB = false;
        v.n = 0;
        v.frac = 0.0;
        v.gain = v.targetGain = 1.0f;
        v.paused = false;
        v.stamped = false;
        v.lastReported = 0;
        v.active = true;
        workPending_ = true;
        workSignal_.notify_all();
        return chosen;
    }
}

std::int64_t SoundMixer::position(int channel, std::int64_t nowNanos) {
    std::lock_guard lock(mutex_);
    if (channel < 0 || channel >= channelCount()) return 0;
    Voice& v = *voices_[channel];
    if (!v.active) return 0;
    std::int64_t p = v.n;
    if (v.stamped) {
        // Before blockBegin this gives less than stampStart, which the floor
        // below turns into "not moved yet".
        double part = (static_cast<double>(nowNanos) - v.blockBegin) / (v.blockEnd - v.blockBegin);
        double advanced = std::floor(part * static_cast<double>(v.stampEnd - v.stampStart));
        p = std::min(v.stampStart + static_cast<std::int64_t>(advanced), v.stampEnd);
    }
    if (v.eof) p = std::min(p, v.eofIndex);
    p = std::max(p, v.lastReported);
    v.lastReported = p;
    return p;
}

int SoundMixer::frequency(int channel) {
    std::lock_guard lock(mutex_);
    if (channel < 0 || channel >= channelCount()) return 0;
    const Voice& v = *voices_[channel];
    return v.active ? v.rate : 0;
}

bool SoundMixer::seek(int channel, std::int64_t frame) {
    std::lock_guard lock(mutex_);
    if (channel < 0 || channel >= channelCount()) return false;
    Voice& v = *voices_[channel];
    if (!v.active || v.length < 0) return false;
    frame = std::clamp<std::int64_t>(frame, 0, v.length);
    v.clearRing(frame);
    v.n = frame;
    v.primed = false;
    v.needB = false;
    v.frac = 0.0;
    v.eof = frame >= v.length;
    v.eofIndex = v.length;
    v.pendingSeek = v.eof ? -1 : frame;
    ++v.generation;
    v.stamped = false;
    v.lastReported = frame;
    workPending_ = true;
    workSignal_.notify_all();
    return true;
}

bool SoundMixer::setPaused(int channel, bool paused) {
    std::lock_guard lock(mutex_);
    if (channel < 0 || channel >= channelCount()) return false;
    Voice& v = *voices_[channel];
    if (!v.active) return false;
    v.paused = paused;
    // The next block after a change stamps the position afresh.
    v.stamped = false;
    return true;
}

bool SoundMixer::setVolume(int channel, int volume) {
    std::lock_guard lock(mutex_);
    float gain = static_cast<float>(std::clamp(volume, 0, 255)) / 255.0f;
    if (channel == -3) {
        for (auto& v : voices_) v->targetGain = gain;
        return true;
    }
    if (channel < 0 || channel >= channelCount()) return false;
    voices_[channel]->targetGain = gain;
    return true;
}

void SoundMixer::stopAll() {
    std::lock_guard lock(mutex_);
    for (auto& v : voices_) {
        if (v->active) stopVoice(*v);
    }
    workPending_ = true;
    workSignal_.notify_all();
}

void SoundMixer::stopVoice(Voice& v) {
    v.active = false;
    v.retired = std::move(v.stream);
    v.clearRing(0);
    v.primed = false;
    ++v.generation;
}

// Next source frame into `frame`: from the ring, silence past the end of
// the stream, or false when the decoder has not caught up.
bool SoundMixer::takeFrame(Voice& v, float* frame) {
    if (v.ringCount > 0) {
        frame[0] = v.ring[2 * v.ringHead];
        frame[1] = v.ring[2 * v.ringHead + 1];
        v.ringHead = (v.ringHead + 1) % (v.ring.size() / 2);
        --v.ringCount;
        ++v.ringStart;
        return true;
    }
    if (v.eof) {
        frame[0] = frame[1] = 0.0f;
        return true;
    }
    return false;
}

bool SoundMixer::prime(Voice& v) {
    if (v.ringCount == 0 && !v.eof) return false;
    takeFrame(v, v.a);
    takeFrame(v, v.b);
    v.primed = true;
    v.needB = false;
    v.frac = 0.0;
    return true;
}

namespace {

// Brings b up to date and frac below 1; false when the ring ran dry.
template <typename Take>
bool settle(double& frac, std::int64_t& n, float* a, float* b, bool& needB, Take take) {
    if (needB) {
        if (!take(b)) return false;
        needB = false;
    }
    while (frac >= 1.0) {
        frac -= 1.0;
        ++n;
        a[0] = b[0];
        a[1] = b[1];
        if (!take(b)) {
            needB = true;
            return false;
        }
    }
    return true;
}

}  // namespace

int SoundMixer::mix(std::int16_t* out, std::size_t frames, std::int64_t nowNanos) {
    std::lock_guard lock(mutex_);
    if (mixBuffer_.size() < 2 * frames) mixBuffer_.resize(2 * frames);
    std::fill(mixBuffer_.begin(), mixBuffer_.begin() + 2 * frames, 0.0f);
    float* acc = mixBuffer_.data();
    int sounding = 0;
    clock_.tick(static_cast<double>(nowNanos), static_cast<double>(frames) * 1e9 / mixRate_);

    spans_.clear();
    for (std::size_t index = 0; index < voices_.size(); ++index) {
        Voice& v = *voices_[index];
        if (!v.active || v.paused) continue;
        if (v.eof && v.n >= v.eofIndex) {
            // Everything was handed out with the previous block: the sound is over.
            stopVoice(v);
            continue;
        }
        const std::int64_t from = v.n;
        bool flowing = v.primed || prime(v);
        auto take = [this, &v](float* f) { return takeFrame(v, f); };
        const float g0 = v.gain;
        const float g1 = v.targetGain;
        for (std::size_t i = 0; flowing && i < frames; ++i) {
            if (!settle(v.frac, v.n, v.a, v.b, v.needB, take)) break;
            float t = static_cast<float>(i + 1) / static_cast<float>(frames);
            float g = g0 + (g1 - g0) * t;
            float f = static_cast<float>(v.frac);
            acc[2 * i] += (v.a[0] + (v.b[0] - v.a[0]) * f) * g;
            acc[2 * i + 1] += (v.a[1] + (v.b[1] - v.a[1]) * f) * g;
            v.frac += v.step;
        }
        if (flowing) settle(v.frac, v.n, v.a, v.b, v.needB, take);
        if (v.n > from) ++sounding;
        v.gain = g1;
        v.stamped = true;
        v.stampStart = from;
        v.stampEnd = v.n;
        v.blockBegin = clock_.blockBegin;
        v.blockEnd = clock_.blockEnd;
        spans_.push_back({static_cast<int>(index), from, v.n});
    }

    for (std::size_t i = 0; i < frames; ++i) {
        float l = std::clamp(acc[2 * i], -1.0f, 1.0f);
        float r = std::clamp(acc[2 * i + 1], -1.0f, 1.0f);
        out[2 * i] = static_cast<std::int16_t>(std::lrint(l * 32767.0f));
        out[2 * i + 1] = static_cast<std::int16_t>(std::lrint(r * 32767.0f));
        history_[historyNext_] = 0.5f * (l + r);
        historyNext_ = (historyNext_ + 1) % kHistory;
    }
    framesMixed_ += frames;
    workPending_ = true;
    workSignal_.notify_all();
    return sounding;
}

void SoundMixer::DeviceClock::tick(double now, double period) {
    // A delay-locked loop (second order, about 1 Hz wide) over the block
    // times: it follows the device's real rate but not the scheduling noise
    // of when its thread happens to run. Start-up, a stall or a change of
    // block size restarts it from the raw time.
    double error = now - blockEnd;
    if (!running || std::fabs(error) > 1.5 * period || period != nominal) {
        running = true;
        nominal = period;
        blockBegin = now;
        blockEnd = now + period;
        estimate = period;
        return;
    }
    const double omega = 2.0 * 3.141592653589793 * 1.0 * period * 1e-9;
    blockBegin = blockEnd;
    blockEnd += std::sqrt(2.0) * omega * error + estimate;
    estimate += omega * omega * error;
}

bool SoundMixer::decodeAhead() {
    bool worked = false;
    std::vector<std::shared_ptr<MusicStream>> released;
    std::vector<float> scratch;
    for (std::size_t i = 0; i < voices_.size(); ++i) {
        Voice& v = *voices_[i];
        std::shared_ptr<MusicStream> stream;
        std::uint64_t generation = 0;
        std::int64_t seekTo = -1;
        std::size_t want = 0;
        {
            std::lock_guard lock(mutex_);
            if (v.retired) released.push_back(std::move(v.retired));
            if (!v.active || v.eof) continue;
            std::size_t space = kRingFrames - v.ringCount;
            if (space < kDecodeChunk && v.pendingSeek < 0) continue;
            want = std::min(space, kDecodeChunk);
            stream = v.stream;
            generation = v.generation;
            seekTo = v.pendingSeek;
            v.pendingSeek = -1;
        }
        worked = true;
        bool seekFailed = seekTo >= 0 && !stream->seek(seekTo);
        scratch.resize(2 * want);
        std::size_t got = seekFailed ? 0 : stream->read(scratch.data(), want);
        std::lock_guard lock(mutex_);
        if (v.generation != generation) continue;  // restarted or moved meanwhile
        v.push(scratch.data(), got);
        if (got < want) {
            v.eof = true;
            v.eofIndex = v.ringStart + static_cast<std::int64_t>(v.ringCount);
        }
    }
    return worked;
}

void SoundMixer::waitForWork(std::int64_t timeoutNanos) {
    std::unique_lock lock(mutex_);
    workSignal_.wait_for(lock, std::chrono::nanoseconds(timeoutNanos),
                         [this] { return workPending_; });
    workPending_ = false;
}

void SoundMixer::wake() {
    std::lock_guard lock(mutex_);
    workPending_ = true;
    workSignal_.notify_all();
}

void SoundMixer::recentOutput(float* out) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < kHistory; ++i) out[i] = history_[(historyNext_ + i) % kHistory];
}

std::vector<SoundMixer::ChannelSpan> SoundMixer::lastSpans() const {
    std::lock_guard lock(mutex_);
    return spans_;
}

std::uint64_t SoundMixer::framesMixed() const {
    std::lock_guard lock(mutex_);
    return framesMixed_;
}

std::size_t SoundMixer::bufferBytes() const {
    std::lock_guard lock(mutex_);
    std::size_t bytes = (history_.capacity() + mixBuffer_.capacity()) * sizeof(float);
    for (const auto& v : voices_) bytes += sizeof(Voice) + v->ring.capacity() * sizeof(float);
    return bytes;
}

}  // namespace platform
