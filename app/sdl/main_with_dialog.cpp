#include "app/main_loop.h"
#include "app/sdl/settings_dialog.h"

// The program built with the settings dialog (BRONTAVIK_ASK_SETTINGS): the
// same entry, with the dialog WinMain shows before the window opens.
int main() {
    settingsDialog = runSettingsDialog;
    return WinMain();
}
