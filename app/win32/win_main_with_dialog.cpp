// The program built with the settings dialog (BRONTAVIK_ASK_SETTINGS): the
// same entry, with the dialog (resource 101) WinMain shows before the window
// opens.
#include <windows.h>

#include "app/main_loop.h"
#include "app/win32/settings_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    setSettingsDialogInstance(instance);
    settingsDialog = showSettingsDialog;
    return WinMain();
}
