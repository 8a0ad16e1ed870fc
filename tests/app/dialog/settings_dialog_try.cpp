// Shows the settings dialog as the program does and prints the options it
// left; with --layout prints each control's centre in window pixels (the
// same layout, computed without a window) for scripts that click on them.
#include <imgui.h>

#include <cstdio>
#include <cstring>

#include "app/sdl/settings_dialog.h"
#include "runtime/startup_options.h"
#include "runtime/window_state.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--layout") == 0) {
        ImGui::CreateContext();
        styleSettingsDialog();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(kSettingsDialogWidth, kSettingsDialogHeight);
        unsigned char* pixels;
        int w, h;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
        SettingsControls controls = initialSettingsControls();
        std::map<int, ControlRect> rects;
        ImGui::NewFrame();
        drawSettingsDialog(controls, &rects);
        ImGui::Render();
        for (const auto& [id, r] : rects) {
            std::printf("%d %d %d\n", id, static_cast<int>(r.x + r.width / 2),
                        static_cast<int>(r.y + r.height / 2));
        }
        ImGui::DestroyContext();
        return 0;
    }
    runSettingsDialog();
    std::printf(
        "highResolution=%d lowResolution=%d musicEnabled=%d fullscreen=%d overlayEnabled=%d\n",
        highResolution, lowResolution, musicEnabled, fullscreen, overlayEnabled);
    return 0;
}
