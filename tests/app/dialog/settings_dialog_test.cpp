#include "app/sdl/settings_dialog.h"

#include <gtest/gtest.h>
#include <imgui.h>

#include "runtime/startup_options.h"
#include "runtime/window_state.h"

namespace {

struct Options {
    bool high, low, music, full, overlay;
    bool operator==(const Options&) const = default;
};

Options current() {
    return {highResolution, lowResolution, musicEnabled, fullscreen, overlayEnabled};
}
void set(const Options& o) {
    highResolution = o.high;
    lowResolution = o.low;
    musicEnabled = o.music;
    fullscreen = o.full;
    overlayEnabled = o.overlay;
}

class SettingsOptions : public ::testing::Test {
  protected:
    void SetUp() override { saved = current(); }
    void TearDown() override { set(saved); }
    Options saved{};
};

TEST_F(SettingsOptions, InitialControlsAre1024By768WithMusic) {
    const SettingsControls c = initialSettingsControls();
    EXPECT_TRUE(c.isChecked(kId1024x768));
    EXPECT_TRUE(c.isChecked(kIdMusic));
    for (int id : {kId800x600, kId512x384, kIdWindowed, kIdOverlay, 999}) {
        EXPECT_FALSE(c.isChecked(id)) << id;
    }
}

TEST_F(SettingsOptions, OkReadsTheControlsInOrder) {
    struct Case {
        const char* what;
        SettingsControls controls;
        Options before;
        Options after;
    };
    const Options shipped{false, false, true, true, false};
    const Case cases[] = {
        {"as opened", initialSettingsControls(), shipped, {true, false, true, true, false}},
        {"800 x 600 clears an earlier high",
         {true, false, false, true, false, false},
         {true, false, true, true, false},
         {false, false, true, true, false}},
        {"512 x 384 sets low, high stays as the pair says",
         {false, true, true, true, false, false},
         shipped,
         {true, true, true, true, false}},
        {"512 x 384 unticked leaves an earlier low",
         {true, false, false, true, false, false},
         {false, true, true, true, false},
         {false, true, true, true, false}},
        {"no radio on leaves high alone",
         {false, false, false, true, false, false},
         {true, false, true, true, false},
         {true, false, true, true, false}},
        {"music off, windowed, layer on",
         {true, false, false, false, true, true},
         shipped,
         {false, false, false, false, true}},
    };
    for (const Case& c : cases) {
        set(c.before);
        applySettingsControls(c.controls);
        EXPECT_EQ(current(), c.after) << c.what;
    }
}

// Drives the dialog through Dear ImGui without a window: the mouse is moved
// onto a control, pressed and released over three frames, as a user would.
class SettingsDialogUi : public ::testing::Test {
  protected:
    void SetUp() override {
        ImGui::CreateContext();
        styleSettingsDialog();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(kSettingsDialogWidth, kSettingsDialogHeight);
        io.DeltaTime = 1.0f / 60.0f;
        unsigned char* pixels;
        int w, h;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
        controls = initialSettingsControls();
        frame({-100, -100}, false);  // lays the controls out
    }
    void TearDown() override { ImGui::DestroyContext(); }

    SettingsAction frame(ImVec2 mouse, bool down) {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = mouse;
        io.MouseDown[0] = down;
        ImGui::NewFrame();
        const SettingsAction action = drawSettingsDialog(controls, &rects);
        ImGui::Render();
        return action;
    }

    SettingsAction click(int id) {
        const ControlRect r = rects.at(id);
        const ImVec2 centre(r.x + r.width / 2, r.y + r.height / 2);
        SettingsAction action = frame(centre, false);
        if (action == SettingsAction::None) action = frame(centre, true);
        if (action == SettingsAction::None) action = frame(centre, false);
        frame({-100, -100}, false);
        return action;
    }

    SettingsControls controls;
    std::map<int, ControlRect> rects;
};

TEST_F(SettingsDialogUi, EveryControlIsLaidOutInsideTheWindow) {
    for (int id : {kId800x600, kId1024x768, kId512x384, kIdMusic, kIdWindowed, kIdOverlay, kIdOk,
                   kIdCancel}) {
        ASSERT_TRUE(rects.count(id)) << id;
        const ControlRect r = rects.at(id);
        EXPECT_GT(r.width, 10) << id;
        EXPECT_GE(r.x, 0) << id;
        EXPECT_GE(r.y, 0) << id;
        EXPECT_LE(r.x + r.width, kSettingsDialogWidth) << id;
        EXPECT_LE(r.y + r.height, kSettingsDialogHeight) << id;
    }
}

TEST_F(SettingsDialogUi, ClicksChangeTheControlsAndTheButtonsEndIt) {
    EXPECT_EQ(click(kId800x600), SettingsAction::None);
    EXPECT_TRUE(controls.res800x600);
    EXPECT_FALSE(controls.res1024x768);
    EXPECT_EQ(click(kId1024x768), SettingsAction::None);
    EXPECT_TRUE(controls.res1024x768);
    EXPECT_FALSE(controls.res800x600);
    for (int id : {kId512x384, kIdMusic, kIdWindowed, kIdOverlay}) {
        const bool before = controls.isChecked(id);
        EXPECT_EQ(click(id), SettingsAction::None);
        EXPECT_NE(controls.isChecked(id), before) << id;
    }
    EXPECT_EQ(click(kIdCancel), SettingsAction::Cancel);
    EXPECT_EQ(click(kIdOk), SettingsAction::Ok);
}

TEST_F(SettingsDialogUi, NothingHappensWithoutAClick) {
    const SettingsControls before = controls;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(frame({10, 10}, false), SettingsAction::None);
    EXPECT_EQ(controls.isChecked(kId1024x768), before.isChecked(kId1024x768));
    EXPECT_EQ(controls.isChecked(kIdMusic), before.isChecked(kIdMusic));
}

}  // namespace
