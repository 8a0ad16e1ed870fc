#include "tools/model3ds-info/name_text.h"

#include <cstdint>

namespace {

// Length of the well-formed UTF-8 sequence at the start of `s` (RFC 3629:
// no overlong forms, no surrogates, nothing above U+10FFFF), or 0.
std::size_t utf8SequenceLength(std::string_view s) {
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length;
    std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

}  // namespace

std::string utf8FromFileBytes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        std::size_t length = utf8SequenceLength(bytes);
        if (length > 0) {
            text.append(bytes.substr(0, length));
        } else {
            // Latin-1: the byte is the code point, U+0080 to U+00FF.
            const std::uint8_t b = static_cast<std::uint8_t>(bytes[0]);
            text.push_back(static_cast<char>(0xC0 | (b >> 6)));
            text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
            length = 1;
        }
        bytes.remove_prefix(length);
    }
    return text;
}
