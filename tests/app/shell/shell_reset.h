#pragma once
#include "app/main_loop.h"
#include "runtime/demo_clock.h"
#include "runtime/driver/demo_driver.h"
#include "runtime/startup_options.h"
#include "runtime/window_state.h"

// Puts the shell's process-wide state back to its start-up values.
inline void resetShellState() {
    for (bool& key : keys) key = false;
    active = true;
    fullscreen = true;
    mainWindow = nullptr;
    mainDeviceContext = nullptr;
    mainGlContext = nullptr;
    ending = false;
    fadeStart = -1.0;
    frameCount = 0;
    musicEnabled = false;
    demoTime = 0.0;
}
