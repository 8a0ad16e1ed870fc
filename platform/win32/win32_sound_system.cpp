#include "platform/win32/win32_sound_system.h"

#include <cstdio>

#include "platform/audio/radix2_fft.h"
#include "platform/audio/stb_vorbis_stream.h"

namespace platform {

Win32SoundSystem::Win32SoundSystem()
    : MixedSoundSystem([](const char* path) { return StbVorbisStream::openFile(path); },
                       std::make_unique<Radix2Fft>(SpectrumAnalyzer::kWindow)) {}

Win32SoundSystem::~Win32SoundSystem() {
    close();
}

bool Win32SoundSystem::openDevice() {
    if (device_.start(mixer())) return true;
    std::fprintf(stderr, "sound: no audio output device\n");
    return false;
}

void Win32SoundSystem::closeDevice() {
    device_.stop();
}

std::int64_t Win32SoundSystem::heardPosition(int channel) {
    return device_.heardPosition(channel);
}

void Win32SoundSystem::channelMoved(int channel, std::int64_t frame) {
    device_.channelMoved(channel, frame);
}

SoundSystem& defaultSoundSystem() {
    static auto* system = new Win32SoundSystem();
    return *system;
}

}  // namespace platform
