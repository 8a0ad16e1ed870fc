#include "platform/audio/mixed_sound_system.h"

namespace platform {

MixedSoundSystem::MixedSoundSystem(StreamOpener opener, std::unique_ptr<RealFft> fft)
    : opener_(std::move(opener)), analyzer_(std::move(fft)) {}

bool MixedSoundSystem::init(int mixRate, int channels, unsigned /*flags*/) {
    // Every build's device plays whichever window has the focus, which is
    // what the global-focus flag asks for.
    close();
    if (mixRate <= 0 || channels <= 0) return false;
    mixer_ = std::make_unique<SoundMixer>(mixRate, channels);
    if (!openDevice()) {
        mixer_.reset();
        return false;
    }
    decoding_ = true;
    decoder_ = std::thread([this] {
        while (decoding_.load()) {
            if (!mixer_->decodeAhead()) mixer_->waitForWork(20'000'000);
        }
    });
    return true;
}

SampleHandle MixedSoundSystem::loadSample(int /*slot*/, const char* path, unsigned mode,
                                          int /*offset*/, int /*length*/) {
    if (!mixer_ || path == nullptr) return nullptr;
    auto stream = opener_(path);
    if (!stream) return nullptr;
    auto sample = std::make_unique<Sample>();
    sample->path = path;
    sample->opened = std::move(stream);
    sample->mode = mode;
    samples_.push_back(std::move(sample));
    return samples_.back().get();
}

bool MixedSoundSystem::setSampleMode(SampleHandle sample, unsigned mode) {
    if (sample == nullptr) return false;
    // Music plays once; looping is not offered by this layer.
    static_cast<Sample*>(sample)->mode = mode;
    return true;
}

int MixedSoundSystem::playSound(int channel, SampleHandle handle) {
    if (!mixer_ || handle == nullptr) return -1;
    auto* sample = static_cast<Sample*>(handle);
    // The stream opened by loadSample goes to the first play; later plays
    // of the same sample open their own.
    std::unique_ptr<MusicStream> stream = std::move(sample->opened);
    if (!stream) stream = opener_(sample->path.c_str());
    if (!stream) return -1;
    const int started = mixer_->start(channel, std::move(stream));
    if (started >= 0) channelMoved(started, 0);
    return started;
}

std::uint32_t MixedSoundSystem::currentPosition(int channel) {
    return mixer_ ? static_cast<std::uint32_t>(heardPosition(channel)) : 0;
}

int MixedSoundSystem::frequency(int channel) {
    return mixer_ ? mixer_->frequency(channel) : 0;
}

bool MixedSoundSystem::setCurrentPosition(int channel, std::uint32_t frame) {
    if (!mixer_ || !mixer_->seek(channel, frame)) return false;
    channelMoved(channel, frame);
    return true;
}

bool MixedSoundSystem::setPaused(int channel, bool paused) {
    if (!mixer_) return false;
    if (!paused) return mixer_->setPaused(channel, false);
    // The channel is held at what is being heard, not at what was last
    // handed to the device, so it resumes where the listener left it.
    const std::int64_t heard = heardPosition(channel);
    if (!mixer_->setPaused(channel, true)) return false;
    if (mixer_->seek(channel, heard)) channelMoved(channel, heard);
    return true;
}

bool MixedSoundSystem::setVolume(int channel, int volume) {
    return mixer_ && mixer_->setVolume(channel, volume);
}

DspUnitHandle MixedSoundSystem::fftUnit() {
    return mixer_ ? fftUnit_.data() : nullptr;
}

bool MixedSoundSystem::setDspActive(DspUnitHandle unit, bool active) {
    if (unit == nullptr || unit != fftUnit_.data()) return false;
    fftActive_ = active;
    return true;
}

const float* MixedSoundSystem::spectrum() {
    if (!mixer_ || !fftActive_) return silent_.data();
    mixer_->recentOutput(recent_.data());
    return analyzer_.analyse(recent_.data()).data();
}

void MixedSoundSystem::close() {
    if (mixer_) closeDevice();
    if (decoder_.joinable()) {
        decoding_ = false;
        mixer_->wake();
        decoder_.join();
    }
    if (mixer_) mixer_->stopAll();
    mixer_.reset();
    samples_.clear();
    fftActive_ = false;
}

}  // namespace platform
