#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_loop.h"
#include "app/main_window.h"
#include "runtime/window_state.h"
#include "tests/app/shell/shell_reset.h"
#include "tests/support/fake_platform.h"

using platform::BoxAnswer;
using platform::BoxButtons;
using platform::BoxIcon;

namespace {

struct FailureStep {
    const char* operation;
    const char* text;
};

class CreateWindowFailure : public ::testing::TestWithParam<FailureStep> {};

TEST_P(CreateWindowFailure, ShowsItsTextReleasesFirstAndReturnsFalse) {
    resetShellState();
    FakePlatform fake;
    fake.failing.insert(GetParam().operation);
    EXPECT_FALSE(createMainWindow(kWindowTitle, 800, 600, 32, true));
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, GetParam().text);
    EXPECT_EQ(fake.boxes[0].caption, "ERROR");
    EXPECT_EQ(fake.boxes[0].buttons, BoxButtons::Ok);
    EXPECT_EQ(fake.boxes[0].icon, BoxIcon::Exclamation);
    // The window is released before the message is shown.
    const auto box = std::find(fake.calls.begin(), fake.calls.end(), "messageBox");
    const auto unregister =
        std::find(fake.calls.begin(), fake.calls.end(), "unregisterWindowClass");
    EXPECT_LT(unregister - fake.calls.begin(), box - fake.calls.begin());
    EXPECT_TRUE(fake.called("restoreDisplayMode"));
    EXPECT_FALSE(fake.called("showWindow"));
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, CreateWindowFailure,
    ::testing::Values(FailureStep{"createWindow", "Window Creation Error."},
                      FailureStep{"getDeviceContext", "Can't Create A GL Device Context."},
                      FailureStep{"choosePixelFormat", "Can't Find A Suitable PixelFormat."},
                      FailureStep{"setPixelFormat", "Can't Set The PixelFormat."},
                      FailureStep{"createGlContext", "Can't Create A GL Rendering Context."},
                      FailureStep{"makeCurrent", "Can't Activate The GL Rendering Context."}));

TEST(CreateWindow, UnregisteredClassReportsAndReleasesNothing) {
    resetShellState();
    FakePlatform fake;
    fake.failing.insert("registerWindowClass");
    EXPECT_FALSE(createMainWindow(kWindowTitle, 800, 600, 32, true));
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, "Failed To Register The Window Class.");
    EXPECT_EQ(fake.boxes[0].caption, "ERROR");
    EXPECT_FALSE(fake.called("unregisterWindowClass"));
    EXPECT_FALSE(fake.called("restoreDisplayMode"));
}

TEST(CreateWindow, FallbackYesGoesOnWithACaptionedWindow) {
    resetShellState();
    FakePlatform fake;
    fake.failing.insert("changeDisplayMode");
    fake.failing.insert("createWindow");  // stop right after the style is chosen
    fake.boxAnswers.push_back(BoxAnswer::Yes);
    EXPECT_FALSE(createMainWindow(kWindowTitle, 800, 600, 32, true));
    ASSERT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(fake.boxes[0].text,
              "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed "
              "Mode Instead?");
    EXPECT_EQ(fake.boxes[0].caption, "KRV GL ;-)");
    EXPECT_EQ(fake.boxes[0].buttons, BoxButtons::YesNo);
    EXPECT_FALSE(fullscreen);
    EXPECT_TRUE(fake.called("captioned 0,0 800x600"));
    EXPECT_EQ(fake.boxes[1].text, "Window Creation Error.");
    // Windowed: the desktop mode was never changed, so it is not restored.
    EXPECT_FALSE(fake.called("restoreDisplayMode"));
}

// A maker's window (not kept on top) is an ordinary one sized by its client
// area, so the caption does not cover the top of the 800 by 600 picture.
TEST(CreateWindow, MakersWindowIsOrdinaryAndSizedByItsClientArea) {
    resetShellState();
    FakePlatform fake;
    ASSERT_TRUE(createMainWindow(kWindowTitle, 800, 600, 32, false, false));
    EXPECT_TRUE(fake.called("overlapped 0,0 800x600"));
    EXPECT_FALSE(fake.called("changeDisplayMode"));
    EXPECT_FALSE(fake.called("setWindowPosTopmost"));
}

TEST(CreateWindow, FallbackNoClosesTheProgramWithExitCodeZero) {
    resetShellState();
    FakePlatform fake;
    fake.failing.insert("changeDisplayMode");
    fake.boxAnswers.push_back(BoxAnswer::No);
    EXPECT_EQ(WinMain(), 0);
    ASSERT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(fake.boxes[1].text, "Program Will Now Close.");
    EXPECT_EQ(fake.boxes[1].caption, "ERROR");
    EXPECT_EQ(fake.boxes[1].icon, BoxIcon::Stop);
    EXPECT_FALSE(fake.called("createWindow"));
    EXPECT_FALSE(fake.called("unregisterWindowClass"));
}

TEST(CreateWindow, ShippedOptionsAskForAnExclusive800By600Mode) {
    resetShellState();
    FakePlatform fake;
    fake.failing.insert("createWindow");
    EXPECT_EQ(WinMain(), 0);
    EXPECT_TRUE(fake.called("changeDisplayMode 800x600x32"));
    EXPECT_TRUE(fake.called("popup 0,0 800x600"));
    EXPECT_EQ(fake.title, " = Brontavik 2006  . KRV / Zolvi 2006 = ");
}

TEST(ReleaseMainWindow, ReportsEveryFailureAndGoesOn) {
    resetShellState();
    FakePlatform fake;
    fake.failing = {"makeCurrent null", "deleteGlContext", "releaseDeviceContext", "destroyWindow",
                    "unregisterWindowClass"};
    int window, dc, context;
    mainWindow = &window;
    mainDeviceContext = &dc;
    mainGlContext = &context;
    releaseMainWindow();
    std::vector<std::string> texts;
    for (const auto& box : fake.boxes) {
        EXPECT_EQ(box.caption, "SHUTDOWN ERROR");
        EXPECT_EQ(box.icon, BoxIcon::Information);
        texts.push_back(box.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Release Of DC And RC Failed.", "Release Rendering Context Failed.",
                         "Release Device Context Failed.", "Could Not Release hWnd.",
                         "Could Not Unregister Class."}));
    EXPECT_EQ(mainGlContext, nullptr);
    EXPECT_TRUE(fake.called("restoreDisplayMode"));
}

TEST(ReleaseMainWindow, WindowedReleaseLeavesTheDisplayModeAlone) {
    resetShellState();
    FakePlatform fake;
    fullscreen = false;
    releaseMainWindow();
    EXPECT_FALSE(fake.called("restoreDisplayMode"));
    EXPECT_FALSE(fake.called("destroyWindow"));  // no window was made
    EXPECT_TRUE(fake.boxes.empty());
}

}  // namespace
