#include "platform/box_announcement.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

BoxAnswer firstButton(BoxButtons buttons) {
    return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
}

bool announceBox(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    const char* off = std::getenv("BRONTAVIK_NO_MESSAGE_BOXES");
    return off == nullptr || off[0] == '\0' || off[0] == '0';
}

}  // namespace platform
