#include "app/sdl/settings_dialog.h"

#include <GL/gl.h>
#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_opengl2.h>
#include <imgui_impl_sdl.h>

#include <cstdio>
#include <fstream>

#include "platform/platform.h"

namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr float kFontSize = 16.0f;

void record(std::map<int, ControlRect>* rects, int id) {
    if (rects == nullptr) return;
    const ImVec2 min = ImGui::GetItemRectMin();
    const ImVec2 max = ImGui::GetItemRectMax();
    (*rects)[id] = ControlRect{min.x, min.y, max.x - min.x, max.y - min.y};
}

bool fileExists(const char* path) {
    return std::ifstream(path).good();
}

}  // namespace

void styleSettingsDialog() {
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // no imgui.ini beside the program
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0.0f;
    style.FrameRounding = 3.0f;
    style.WindowPadding = ImVec2(16, 14);
    style.ItemSpacing = ImVec2(10, 8);
    io.Fonts->Clear();
    if (!fileExists(kFontFile) || io.Fonts->AddFontFromFileTTF(kFontFile, kFontSize) == nullptr) {
        io.Fonts->AddFontDefault();
    }
}

SettingsAction drawSettingsDialog(SettingsControls& controls, std::map<int, ControlRect>* rects) {
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::Begin("##settings", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
    SettingsAction action = SettingsAction::None;

    ImGui::TextUnformatted("Screen resolution");
    if (ImGui::RadioButton("800 x 600", controls.res800x600)) {
        controls.res800x600 = true;
        controls.res1024x768 = false;
    }
    record(rects, kId800x600);
    ImGui::SameLine(0, 24);
    if (ImGui::RadioButton("1024 x 768", controls.res1024x768)) {
        controls.res1024x768 = true;
        controls.res800x600 = false;
    }
    record(rects, kId1024x768);
    ImGui::Checkbox("512 x 384 (takes precedence)", &controls.res512x384);
    record(rects, kId512x384);

    ImGui::Separator();
    ImGui::Checkbox("Music", &controls.music);
    record(rects, kIdMusic);
    ImGui::Checkbox("Windowed", &controls.windowed);
    record(rects, kIdWindowed);
    ImGui::Checkbox("Brightening layer", &controls.overlay);
    record(rects, kIdOverlay);

    ImGui::Separator();
    const ImVec2 button(100, 0);
    if (ImGui::Button("OK", button)) action = SettingsAction::Ok;
    record(rects, kIdOk);
    ImGui::SameLine();
    if (ImGui::Button("Cancel", button)) action = SettingsAction::Cancel;
    record(rects, kIdCancel);

    ImGui::End();
    return action;
}

void runSettingsDialog() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr,
                     "Settings dialog not shown (%s); starting with the built-in settings.\n",
                     SDL_GetError());
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window =
        SDL_CreateWindow(kSettingsDialogTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         kSettingsDialogWidth, kSettingsDialogHeight, SDL_WINDOW_OPENGL);
    SDL_GLContext gl = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    if (gl == nullptr) {
        std::fprintf(stderr,
                     "Settings dialog not shown (%s); starting with the built-in settings.\n",
                     SDL_GetError());
        if (window != nullptr) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        return;
    }
    SDL_GL_MakeCurrent(window, gl);
    SDL_GL_SetSwapInterval(1);

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    styleSettingsDialog();
    ImGui_ImplSDL2_InitForOpenGL(window, gl);
    ImGui_ImplOpenGL2_Init();

    SettingsControls controls = initialSettingsControls();
    SettingsAction action = SettingsAction::None;
    while (action == SettingsAction::None) {
        SDL_Event event;
        // Poll, resting between looks, and redraw at least every 100 ms.
        // SDL_WaitEventTimeout would wake itself by sending an X event to the
        // window over a second connection; when Enter or Escape then closes
        // the dialog at once, the window can be gone before the X server
        // takes that event, and the BadWindow error ends the process.
        bool received = false;
        for (int rest = 0; rest < 10 && !(received = SDL_PollEvent(&event)); ++rest) {
            SDL_Delay(10);
        }
        if (received) {
            do {
                ImGui_ImplSDL2_ProcessEvent(&event);
                if (event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT &&
                                               event.window.event == SDL_WINDOWEVENT_CLOSE)) {
                    action = SettingsAction::Cancel;
                } else if (event.type == SDL_KEYDOWN) {
                    const SDL_Keycode key = event.key.keysym.sym;
                    if (key == SDLK_RETURN || key == SDLK_KP_ENTER) action = SettingsAction::Ok;
                    if (key == SDLK_ESCAPE) action = SettingsAction::Cancel;
                }
            } while (action == SettingsAction::None && SDL_PollEvent(&event));
        }
        if (action != SettingsAction::None) break;

        ImGui_ImplOpenGL2_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        action = drawSettingsDialog(controls);
        ImGui::Render();
        glViewport(0, 0, static_cast<int>(ImGui::GetIO().DisplaySize.x),
                   static_cast<int>(ImGui::GetIO().DisplaySize.y));
        glClearColor(0.1f, 0.1f, 0.12f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        SDL_GL_SwapWindow(window);
    }

    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    SDL_GL_MakeCurrent(window, nullptr);
    SDL_GL_DeleteContext(gl);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);

    if (action == SettingsAction::Cancel) platform::current().exitProcess(0);
    applySettingsControls(controls);
}
