#pragma once
#include "platform/platform.h"

// The window's device and GL contexts as recorded at start-up, and the
// offscreen surface's handles (null when the system offers none).
struct WindowRecord {
    platform::DeviceContext pbufferDeviceContext = nullptr;
    platform::GlContext pbufferGlContext = nullptr;
    platform::DeviceContext windowDeviceContext = nullptr;
    platform::GlContext windowGlContext = nullptr;
    void* pbuffer = nullptr;

    // Creates the offscreen surface, records the window's contexts and puts
    // the window context into a neutral pixel-transfer state.
    void setUpPixelBuffer();
};

WindowRecord& windowRecord();
