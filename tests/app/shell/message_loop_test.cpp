#include <gtest/gtest.h>

#include "app/main_loop.h"
#include "tests/app/shell/shell_reset.h"
#include "tests/support/fake_platform.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/recording_scene.h"

using namespace platform;

namespace {

Message keyDown(std::uintptr_t key) {
    return {WM_KEYDOWN, key, 0};
}

// The loop draws real frames: a GL context and a scene part that records.
class MessageLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        resetShellState();
        sceneParts[0] = &scene;
    }
    void TearDown() override { sceneParts[0] = nullptr; }
    GlTestContext gl{64, 64};
    RecordingScene scene;
};

TEST_F(MessageLoop, EscapeHeldSetsEndingOnceAndQuitReturnsItsCode) {
    FakePlatform fake;
    fake.proc = mainWindowProc;
    fake.messages = {keyDown(VK_ESCAPE)};
    fake.quitAfterIdlePasses = 3;
    EXPECT_EQ(runMessageLoop(), 0);
    EXPECT_TRUE(ending);
    EXPECT_TRUE(keys[VK_ESCAPE]);
    // Every idle pass draws and presents; the pass that handled the key did not.
    EXPECT_EQ(frameCount, 3);
    EXPECT_EQ(fake.countOf("swapBuffers"), 3);
    EXPECT_TRUE(fake.called("unregisterWindowClass"));  // released on WM_QUIT
}

TEST_F(MessageLoop, MinimisedWindowDrawsNothingButStillPresents) {
    FakePlatform fake;
    fake.proc = mainWindowProc;
    fake.messages = {{WM_ACTIVATE, makeActivateParam(false, true), 0}};
    fake.quitAfterIdlePasses = 4;
    runMessageLoop();
    EXPECT_FALSE(active);
    EXPECT_EQ(frameCount, 0);
    EXPECT_EQ(fake.countOf("swapBuffers"), 4);
}

TEST_F(MessageLoop, CloseEndsAtOnceWithExitCodeZero) {
    FakePlatform fake;
    fake.proc = mainWindowProc;
    fake.messages = {{WM_CLOSE, 0, 0}};
    EXPECT_EQ(runMessageLoop(), 0);
    EXPECT_EQ(frameCount, 0);
    EXPECT_FALSE(ending);  // no fade-out
}

TEST(WindowProc, HandlesItsMessagesAndPassesTheRestOn) {
    resetShellState();
    FakePlatform fake;
    // Deactivated but not minimised keeps drawing.
    mainWindowProc(nullptr, WM_ACTIVATE, makeActivateParam(false, false), 0);
    EXPECT_TRUE(active);
    mainWindowProc(nullptr, WM_ACTIVATE, makeActivateParam(true, true), 0);
    EXPECT_FALSE(active);
    mainWindowProc(nullptr, WM_ACTIVATE, makeActivateParam(true, false), 0);
    EXPECT_TRUE(active);

    mainWindowProc(nullptr, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(keys['A']);
    mainWindowProc(nullptr, WM_KEYUP, 'A', 0);
    EXPECT_FALSE(keys['A']);

    EXPECT_EQ(mainWindowProc(nullptr, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(mainWindowProc(nullptr, WM_SYSCOMMAND, SC_MONITORPOWER, 0), 0);
    EXPECT_FALSE(fake.called("defaultWindowProc"));
    mainWindowProc(nullptr, WM_SYSCOMMAND, 0xF020, 0);  // minimise command
    EXPECT_EQ(fake.countOf("defaultWindowProc"), 1);
    mainWindowProc(nullptr, 0x0201, 0, 0);  // a mouse button
    EXPECT_EQ(fake.countOf("defaultWindowProc"), 2);

    mainWindowProc(nullptr, WM_CLOSE, 0, 0);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].message, WM_QUIT);
}

}  // namespace
