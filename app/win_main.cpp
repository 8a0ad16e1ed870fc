#include "app/main_loop.h"
#include "runtime/startup_options.h"

int demo::WinMain() {
    if (askSettings && settingsDialog != nullptr) {
        settingsDialog();  // may change fullscreen and the other options
    }
    if (!openStartupWindow()) return 0;
    return runMessageLoop();
}
