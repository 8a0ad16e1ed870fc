#include "platform/platform.h"

namespace platform {
namespace {
Platform* installed = nullptr;
}

Platform& current() {
    if (installed == nullptr) installed = &defaultPlatform();
    return *installed;
}

Platform* setPlatform(Platform* p) {
    Platform* previous = installed;
    installed = p;
    return previous;
}

}  // namespace platform
