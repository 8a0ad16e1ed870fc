#include "platform/platform.h"

#include "platform/sdl_platform.h"

namespace platform {
namespace {
Platform* installed = nullptr;
}

Platform& current() {
    if (installed == nullptr) installed = &sdlPlatform();
    return *installed;
}

Platform* setPlatform(Platform* p) {
    Platform* previous = installed;
    installed = p;
    return previous;
}

}  // namespace platform
