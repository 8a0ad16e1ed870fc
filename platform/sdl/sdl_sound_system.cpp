#include "platform/sdl/sdl_sound_system.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>

#include "platform/audio/kiss_real_fft.h"
#include "platform/audio/vorbis_stream.h"

namespace platform {
namespace {

std::int64_t steadyNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

SdlSoundSystem::SdlSoundSystem()
    : MixedSoundSystem([](const char* path) { return VorbisStream::openFile(path); },
                       std::make_unique<KissRealFft>(SpectrumAnalyzer::kWindow)) {}

SdlSoundSystem::~SdlSoundSystem() {
    close();
}

// The device thread's block: everything else the program does with sound
// meets it only through the mixer's lock.
void SdlSoundSystem::deviceCallback(void* self, std::uint8_t* stream, int bytes) {
    auto* system = static_cast<SdlSoundSystem*>(self);
    std::int64_t now = steadyNanos();
    std::size_t frames = static_cast<std::size_t>(bytes) / (2 * sizeof(std::int16_t));
    int sounding = system->mixer().mix(reinterpret_cast<std::int16_t*>(stream), frames, now);
    if (sounding > 0 && system->firstSoundBlock_.load(std::memory_order_relaxed) == 0) {
        system->firstSoundBlock_.store(now);
    }
}

bool SdlSoundSystem::openDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "sound: no audio output: %s\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = mixer().mixRate();
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
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlSoundSystem::closeDevice() {
    if (device_ == 0) return;
    SDL_CloseAudioDevice(device_);  // waits for the device thread's block to finish
    device_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int SdlSoundSystem::playSound(int channel, SampleHandle sample) {
    firstSoundBlock_ = 0;
    return MixedSoundSystem::playSound(channel, sample);
}

std::int64_t SdlSoundSystem::heardPosition(int channel) {
    return mixer().position(channel, steadyNanos());
}

SoundSystem& defaultSoundSystem() {
    static auto* system = new SdlSoundSystem();
    return *system;
}

}  // namespace platform
