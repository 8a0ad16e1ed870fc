#include "app/settings_controls.h"

#include "runtime/startup_options.h"
#include "runtime/window_state.h"

bool SettingsControls::isChecked(int id) const {
    switch (id) {
        case kId800x600:
            return res800x600;
        case kId1024x768:
            return res1024x768;
        case kId512x384:
            return res512x384;
        case kIdMusic:
            return music;
        case kIdWindowed:
            return windowed;
        case kIdOverlay:
            return overlay;
        default:
            return false;
    }
}

SettingsControls initialSettingsControls() {
    SettingsControls controls;
    controls.res1024x768 = true;
    controls.music = true;
    return controls;
}

void applySettingsControls(const SettingsControls& controls) {
    if (controls.isChecked(kId1024x768)) highResolution = true;
    if (controls.isChecked(kId800x600)) highResolution = false;
    if (controls.isChecked(kId512x384)) lowResolution = true;
    musicEnabled = controls.isChecked(kIdMusic);
    fullscreen = !controls.isChecked(kIdWindowed);
    overlayEnabled = controls.isChecked(kIdOverlay);
}
