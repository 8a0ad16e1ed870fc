#include "app/win32/settings_dialog.h"

#include <windows.h>

#include <cstdio>

#include "app/settings_controls.h"
#include "platform/platform.h"

namespace {

HINSTANCE dialogInstance = nullptr;

// The check boxes, beside the radio pair 800 by 600 / 1024 by 768.
constexpr int kCheckBoxes[] = {kId512x384, kIdMusic, kIdWindowed, kIdOverlay};

bool checked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

SettingsControls readControls(HWND dialog) {
    SettingsControls controls;
    controls.res800x600 = checked(dialog, kId800x600);
    controls.res1024x768 = checked(dialog, kId1024x768);
    controls.res512x384 = checked(dialog, kId512x384);
    controls.music = checked(dialog, kIdMusic);
    controls.windowed = checked(dialog, kIdWindowed);
    controls.overlay = checked(dialog, kIdOverlay);
    return controls;
}

}  // namespace

void setSettingsDialogInstance(void* instance) {
    dialogInstance = static_cast<HINSTANCE>(instance);
}

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            const SettingsControls initial = initialSettingsControls();
            CheckRadioButton(dialog, kId800x600, kId1024x768,
                             initial.res1024x768 ? kId1024x768 : kId800x600);
            for (int id : kCheckBoxes) {
                if (initial.isChecked(id)) CheckDlgButton(dialog, id, BST_CHECKED);
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                applySettingsControls(readControls(dialog));
                EndDialog(dialog, static_cast<INT_PTR>(wParam));
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, static_cast<INT_PTR>(wParam));
                platform::current().exitProcess(0);
            }
            return FALSE;
        default:
            return FALSE;
    }
}

void showSettingsDialog() {
    const INT_PTR result = DialogBoxParamA(
        dialogInstance, MAKEINTRESOURCEA(kSettingsDialogResource), nullptr, settingsDialogProc, 0);
    if (result == -1 || result == 0) {
        std::fprintf(stderr,
                     "Settings dialog not shown (error %lu); starting with the built-in "
                     "settings.\n",
                     GetLastError());
    }
}
