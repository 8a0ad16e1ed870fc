#include "platform/sound_system.h"

#ifdef __EMSCRIPTEN__
#include "platform/browser/browser_sound_system.h"
#else
#include "platform/sdl_sound_system.h"
#endif

namespace platform {
namespace {

SoundSystem* installedSound = nullptr;

SoundSystem& defaultSound() {
    // Never destroyed: the process may end with music still playing.
#ifdef __EMSCRIPTEN__
    static auto* system = new BrowserSoundSystem();
#else
    static auto* system = new SdlSoundSystem();
#endif
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
