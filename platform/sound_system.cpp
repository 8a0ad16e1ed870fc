#include "platform/sound_system.h"

#include "platform/sdl_sound_system.h"

namespace platform {
namespace {

SoundSystem* installedSound = nullptr;

SoundSystem& defaultSound() {
    // Never destroyed: the process may end with music still playing.
    static auto* system = new SdlSoundSystem();
    return *system;
}

}  // namespace

SoundSystem& soundSystem() {
    return installedSound != nullptr ? *installedSound : defaultSound();
}

SoundSystem* setSoundSystem(SoundSystem* s) {
    SoundSystem* previous = installedSound;
    installedSound = s;
    return previous;
}

}  // namespace platform
