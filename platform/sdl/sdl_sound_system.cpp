#include "platform/sdl/sdl_sound_system.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>

namespace platform {
namespace {

std::int64_t steadyNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

SdlSoundSystem::~SdlSoundSystem() {
    close();
}

// The device thread's block: everything else the program does with sound
// meets it only through the mixer's lock.
void SdlSoundSystem::deviceCallback(void* self, std::uint8_t* stream, int bytes) {
    auto* system = static_cast<SdlSoundSystem*>(self);
    std::int64_t now = steadyNanos();
    std::size_t frames = static_cast<std::size_t>(bytes) / (2 * sizeof(std::int16_t));
    int sounding = system->mixer_->mix(reinterpret_cast<std::int16_t*>(stream), frames, now);
    if (sounding > 0 && system->firstSoundBlock_.load(std::memory_order_relaxed) == 0) {
        system->firstSoundBlock_.store(now);
    }
}

bool SdlSoundSystem::init(int mixRate, int channels, unsigned /*flags*/) {
    // SDL keeps output going whatever window has the focus, which is what
    // the global-focus flag asks for.
    close();
    if (mixRate <= 0 || channels <= 0) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "sound: no audio output: %s\n", SDL_GetError());
        return false;
    }
    audioSubsystem_ = true;
    mixer_ = std::make_unique<SoundMixer>(mixRate, channels);

    SDL_AudioSpec want{};
    want.freq = mixRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kBlockFrames;
    want.callback = &SdlSoundSystem::deviceCallback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to what the hardware takes.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        std::fprintf(stderr, "sound: cannot open the audio device: %s\n", SDL_GetError());
        mixer_.reset();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
        return false;
    }
    decoding_ = true;
    decoder_ = std::thread([this] {
        while (decoding_.load()) {
            if (!mixer_->decodeAhead()) mixer_->waitForWork(20'000'000);
        }
    });
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

SampleHandle SdlSoundSystem::loadSample(int /*slot*/, const char* path, unsigned mode,
                                        int /*offset*/, int /*length*/) {
    if (!mixer_ || path == nullptr) return nullptr;
    auto stream = VorbisStream::openFile(path);
    if (!stream) return nullptr;
    auto sample = std::make_unique<Sample>();
    sample->path = path;
    sample->opened = std::move(stream);
    sample->mode = mode;
    samples_.push_back(std::move(sample));
    return samples_.back().get();
}

bool SdlSoundSystem::setSampleMode(SampleHandle sample, unsigned mode) {
    if (sample == nullptr) return false;
    // Music plays once; looping is not offered by this layer.
    static_cast<Sample*>(sample)->mode = mode;
    return true;
}

int SdlSoundSystem::playSound(int channel, SampleHandle handle) {
    if (!mixer_ || handle == nullptr) return -1;
    auto* sample = static_cast<Sample*>(handle);
    // The stream opened by loadSample goes to the first play; later plays
    // of the same sample open their own.
    std::unique_ptr<VorbisStream> stream = std::move(sample->opened);
    if (!stream) stream = VorbisStream::openFile(sample->path.c_str());
    if (!stream) return -1;
    firstSoundBlock_ = 0;
    return mixer_->start(channel, std::move(stream));
}

std::uint32_t SdlSoundSystem::currentPosition(int channel) {
    if (!mixer_) return 0;
    return static_cast<std::uint32_t>(mixer_->position(channel, steadyNanos()));
}

int SdlSoundSystem::frequency(int channel) {
    return mixer_ ? mixer_->frequency(channel) : 0;
}

bool SdlSoundSystem::setCurrentPosition(int channel, std::uint32_t frame) {
    return mixer_ && mixer_->seek(channel, frame);
}

bool SdlSoundSystem::setVolume(int channel, int volume) {
    return mixer_ && mixer_->setVolume(channel, volume);
}

DspUnitHandle SdlSoundSystem::fftUnit() {
    return mixer_ ? fftUnit_.data() : nullptr;
}

bool SdlSoundSystem::setDspActive(DspUnitHandle unit, bool active) {
    if (unit == nullptr || unit != fftUnit_.data()) return false;
    fftActive_ = active;
    return true;
}

const float* SdlSoundSystem::spectrum() {
    if (!mixer_ || !fftActive_) return silent_.data();
    mixer_->recentOutput(recent_.data());
    return analyzer_.analyse(recent_.data()).data();
}

void SdlSoundSystem::close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);  // waits for the device thread's block to finish
        device_ = 0;
    }
    if (decoder_.joinable()) {
        decoding_ = false;
        mixer_->wake();
        decoder_.join();
    }
    if (mixer_) mixer_->stopAll();
    mixer_.reset();
    samples_.clear();
    fftActive_ = false;
    if (audioSubsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem_ = false;
    }
}

SoundSystem& defaultSoundSystem() {
    static auto* system = new SdlSoundSystem();
    return *system;
}

}  // namespace platform
