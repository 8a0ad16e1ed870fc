#pragma once
#include "app/main_loop.h"
#include "app/startup_options.h"
#include "app/window_state.h"
#include "runtime/demo_clock.h"
#include "runtime/demo_driver.h"

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
