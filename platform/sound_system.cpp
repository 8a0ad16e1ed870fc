#include "platform/sound_system.h"

namespace platform {
namespace {
SoundSystem* installedSound = nullptr;
}

SoundSystem& soundSystem() {
    return installedSound != nullptr ? *installedSound : defaultSoundSystem();
}

SoundSystem* setSoundSystem(SoundSystem* s) {
    SoundSystem* previous = installedSound;
    installedSound = s;
    return previous;
}

}  // namespace platform
