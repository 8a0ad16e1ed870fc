#pragma once
// The demo window, its device and GL contexts, and the display-mode state,
// process-wide for the whole run. The application shell creates and
// releases them; the frame driver reads them.
#include "platform/platform.h"
#include "runtime/records/point4.h"

inline bool fullscreen = true;
inline Point4 windowTopLeft{0.0, 0.0, 0.0, 1};
inline Point4 windowBottomRight{800.0, 600.0, 0.0, 1};
inline void* appInstance = nullptr;
inline platform::WindowHandle mainWindow = nullptr;
inline platform::DeviceContext mainDeviceContext = nullptr;
inline platform::GlContext mainGlContext = nullptr;

// Outer window size from the corner points, truncated to int.
inline int windowWidth() {
    return static_cast<int>(windowBottomRight.x - windowTopLeft.x);
}
inline int windowHeight() {
    return static_cast<int>(windowBottomRight.y - windowTopLeft.y);
}
