#include "platform/platform.h"

#ifdef __EMSCRIPTEN__
#include "platform/browser/browser_platform.h"
#else
#include "platform/sdl_platform.h"
#endif

namespace platform {
namespace {
Platform* installed = nullptr;
}

Platform& current() {
#ifdef __EMSCRIPTEN__
    if (installed == nullptr) installed = &browserPlatform();
#else
    if (installed == nullptr) installed = &sdlPlatform();
#endif
    return *installed;
}

Platform* setPlatform(Platform* p) {
    Platform* previous = installed;
    installed = p;
    return previous;
}

}  // namespace platform
