#include "app/main_loop.h"
#include "app/settings_dialog.h"
#include "app/startup_options.h"

int WinMain() {
    if (askSettings) {
        runSettingsDialog();  // may change fullscreen and the other options
    }
    if (!openStartupWindow()) return 0;
    return runMessageLoop();
}
