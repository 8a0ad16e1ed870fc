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

// Where <windows.h> came first, its macros of the same names stand in for
// these constants; the values are the system's, which the checks below make sure of.
#ifdef WM_SIZE
static_assert(WM_SIZE == 0x0005);
#else
inline constexpr std::uint32_t WM_SIZE = 0x0005;
#endif
#ifdef WM_ACTIVATE
static_assert(WM_ACTIVATE == 0x0006);
#else
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;
#endif
#ifdef WM_CLOSE
static_assert(WM_CLOSE == 0x0010);
#else
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
#endif
#ifdef WM_QUIT
static_assert(WM_QUIT == 0x0012);
#else
inline constexpr std::uint32_t WM_QUIT = 0x0012;
#endif
#ifdef WM_KEYDOWN
static_assert(WM_KEYDOWN == 0x0100);
#else
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
#endif
#ifdef WM_KEYUP
static_assert(WM_KEYUP == 0x0101);
#else
inline constexpr std::uint32_t WM_KEYUP = 0x0101;
#endif
#ifdef WM_SYSCOMMAND
static_assert(WM_SYSCOMMAND == 0x0112);
#else
inline constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
#endif

#ifdef SC_SCREENSAVE
static_assert(SC_SCREENSAVE == 0xF140);
#else
inline constexpr std::uintptr_t SC_SCREENSAVE = 0xF140;
#endif
#ifdef SC_MONITORPOWER
static_assert(SC_MONITORPOWER == 0xF170);
#else
inline constexpr std::uintptr_t SC_MONITORPOWER = 0xF170;
#endif

#ifdef WA_INACTIVE
static_assert(WA_INACTIVE == 0);
#else
inline constexpr std::uintptr_t WA_INACTIVE = 0;
#endif
#ifdef WA_ACTIVE
static_assert(WA_ACTIVE == 1);
#else
inline constexpr std::uintptr_t WA_ACTIVE = 1;
#endif

#ifdef VK_ESCAPE
static_assert(VK_ESCAPE == 27);
#else
inline constexpr std::uintptr_t VK_ESCAPE = 27;
#endif
// The keys of the makers' player.
#ifdef VK_SPACE
static_assert(VK_SPACE == 0x20);
#else
inline constexpr std::uintptr_t VK_SPACE = 0x20;
#endif
#ifdef VK_PRIOR
static_assert(VK_PRIOR == 0x21);
#else
inline constexpr std::uintptr_t VK_PRIOR = 0x21;
#endif
#ifdef VK_NEXT
static_assert(VK_NEXT == 0x22);
#else
inline constexpr std::uintptr_t VK_NEXT = 0x22;
#endif
#ifdef VK_END
static_assert(VK_END == 0x23);
#else
inline constexpr std::uintptr_t VK_END = 0x23;
#endif
#ifdef VK_HOME
static_assert(VK_HOME == 0x24);
#else
inline constexpr std::uintptr_t VK_HOME = 0x24;
#endif
#ifdef VK_LEFT
static_assert(VK_LEFT == 0x25);
#else
inline constexpr std::uintptr_t VK_LEFT = 0x25;
#endif
#ifdef VK_RIGHT
static_assert(VK_RIGHT == 0x27);
#else
inline constexpr std::uintptr_t VK_RIGHT = 0x27;
#endif

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
