#pragma once
// The window messages and key codes the window procedure handles, with the
// values the program's logic is written against.
#include <cstdint>

namespace platform {

struct Message {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

inline constexpr std::uint32_t WM_SIZE = 0x0005;
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_KEYUP = 0x0101;
inline constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;

inline constexpr std::uintptr_t SC_SCREENSAVE = 0xF140;
inline constexpr std::uintptr_t SC_MONITORPOWER = 0xF170;

inline constexpr std::uintptr_t WA_INACTIVE = 0;
inline constexpr std::uintptr_t WA_ACTIVE = 1;

inline constexpr std::uintptr_t VK_ESCAPE = 27;

// WM_ACTIVATE's wParam: activation state in the low word, minimised flag in
// the high word.
inline constexpr std::uintptr_t makeActivateParam(bool activated, bool minimised) {
    return (activated ? WA_ACTIVE : WA_INACTIVE) | (minimised ? 0x10000u : 0u);
}
// WM_SIZE's lParam: client width in the low word, height in the high word.
inline constexpr std::intptr_t makeSizeParam(int width, int height) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(width) & 0xFFFF) |
                                      ((static_cast<std::uint32_t>(height) & 0xFFFF) << 16));
}

}  // namespace platform
