// The makers' run in one process: the real window (SDL's offscreen driver),
// the show's music (SDL's dummy driver) and a scripted editor on a local TCP
// port, frame by frame.
#include "app/edit/edit_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/main_loop.h"
#include "app/main_window.h"
#include "runtime/demo_clock.h"
#include "runtime/driver/frame_clock.h"
#include "runtime/input_record.h"
#include "runtime/window_state.h"
#include "scene/gl_headers.h"
#include "sync/show_tracks.h"
#include "tests/support/png_writer.h"
#include "tests/support/scripted_editor.h"
#include "tests/support/tool_process.h"

namespace {

namespace fs = std::filesystem;
using Pixels = std::vector<std::uint8_t>;

// The window's picture as RGB rows, top row first.
Pixels readFrame() {
    Pixels rgba(800 * 600 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    Pixels rgb(800 * 600 * 3);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(y * 800 + x) * 3 + c] = rgba[((599 - y) * 800 + x) * 4 + c];
    return rgb;
}

// Peak signal-to-noise ratio of two pictures of the same size, dB.
double psnr(const Pixels& a, const Pixels& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<double>(a[i]) - b[i];
        sum += d * d;
    }
    if (sum == 0.0) return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 / (sum / static_cast<double>(a.size())));
}

int trackIndex(std::string_view name) {
    const auto all = showTracks();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].name == name) return static_cast<int>(i);
    return -1;
}

double musicSeconds() {
    platform::SoundSystem& sound = platform::soundSystem();
    return sound.currentPosition(0) / static_cast<double>(sound.frequency(0));
}

class EditSessionTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("BRONTAVIK_NO_MESSAGE_BOXES", "1", 1);
        windowTopLeft = {0.0, 0.0, 0.0, 1};
        windowBottomRight = {800.0, 600.0, 0.0, 1};
        windowOpen = createMainWindow(kWindowTitle, 800, 600, 32, false, false);
    }

    void SetUp() override {
        ASSERT_TRUE(windowOpen);
        folder = fs::temp_directory_path() / ("brontavik-edit-test-" + std::to_string(getpid()));
        fs::remove_all(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // A session talking to `port` (the editor's unless given).
    void startSession(int port, bool play = false) {
        EditOptions options;
        options.port = port;
        options.tracksFolder = (folder / "sync").string();
        options.play = play;
        session = std::make_unique<EditSession>(options);
        std::string error;
        ASSERT_TRUE(session->prepare(error)) << error;
        session->begin();
    }
    bool frame() { return session->frame(); }
    // Connects as an editor does: PAUSE 1 and the cursor's row, then the
    // tracks are asked for.
    void connectPausedAt(std::uint32_t row) {
        ASSERT_TRUE(editor.accept([this] { frame(); }));
        editor.pause(true);
        editor.setRow(row);
        ASSERT_TRUE(editor.waitForTracks(showTracks().size(), [this] { frame(); }));
        frame();
    }
    void press(std::uintptr_t key) {
        session->keyDown(key, false);
        frame();
    }
    // Frames until `done` or a limit.
    template <typename Done>
    bool framesUntil(Done done, int limit = 400) {
        for (int i = 0; i < limit && !done(); ++i) frame();
        return done();
    }
    // A port nobody listens on.
    static int closedPort() {
        ScriptedEditor probe;
        return probe.port();
    }
    void sleepFor(double seconds) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }

    static inline bool windowOpen = false;
    fs::path folder;
    ScriptedEditor editor;
    std::unique_ptr<EditSession> session;
};

TEST_F(EditSessionTest, HandshakeTracksInOrderPauseHoldsClockAndMusic) {
    startSession(editor.port());
    connectPausedAt(320);
    std::vector<std::string> names;
    for (const ShowTrack& track : showTracks()) names.emplace_back(track.name);
    EXPECT_EQ(editor.tracks(), names);
    EXPECT_TRUE(session->editorConnected());
    EXPECT_TRUE(session->clock().paused());
    EXPECT_EQ(showClock.demoTime, 20.0);
    EXPECT_EQ(showClock.sceneTime, 20.0);
    const double music = musicSeconds();
    EXPECT_NEAR(music, 20.0, 1.0 / 60.0);
    // Paused, neither the clock nor the music moves.
    sleepFor(0.3);
    frame();
    frame();
    EXPECT_EQ(showClock.demoTime, 20.0);
    EXPECT_EQ(musicSeconds(), music);
    EXPECT_TRUE(editor.rows().empty());  // a paused demo reports no rows
}

TEST_F(EditSessionTest, AKeyOnEachKindOfTrackShowsInTheFrameThatReceivesIt) {
    startSession(editor.port());
    connectPausedAt(640);  // 40 s
    const Pixels own = readFrame();

    // show:time 20 draws what a still at 20 s draws.
    editor.setKey(trackIndex("show:time"), 0, 20.0f, 0);
    ASSERT_TRUE(framesUntil([&] { return !session->tracks()[0].keys.empty(); }));
    const Pixels atTwenty = readFrame();
    drawFrameAtMoment(stillMoment(20.0));  // moves the program's clock there
    const Pixels still = readFrame();
    session->clock().seek(40.0);
    EXPECT_GE(psnr(atTwenty, still), 50.0);
    EXPECT_LT(psnr(atTwenty, own), 30.0);

    // show:brightness 0 is black.
    editor.setKey(trackIndex("show:brightness"), 600, 0.0f, 0);
    ASSERT_TRUE(framesUntil([&] { return !session->tracks()[1].keys.empty(); }));
    const Pixels black = readFrame();
    EXPECT_EQ(std::count(black.begin(), black.end(), 0), static_cast<long>(black.size()));
    editor.deleteKey(trackIndex("show:brightness"), 600);

    // A scene value: the field of view narrows the picture.
    const int fov = trackIndex("camera:fov");
    editor.setKey(fov, 0, 30.0f, 1);
    ASSERT_TRUE(framesUntil([&] { return !session->tracks()[fov].keys.empty(); }));
    EXPECT_LT(psnr(readFrame(), atTwenty), 30.0);
    editor.deleteKey(fov, 0);

    // A timeline value: part 1 from 10 s on.
    const int part1 = trackIndex("timeline:part1.start");
    EXPECT_EQ(inputRecord().partIndex, 9);
    editor.setKey(part1, 0, 10.0f, 0);
    ASSERT_TRUE(framesUntil([&] { return !session->tracks()[part1].keys.empty(); }));
    EXPECT_EQ(inputRecord().partIndex, 1);
    editor.deleteKey(part1, 0);

    // Without keys every value is the show's own again.
    editor.deleteKey(0, 0);
    ASSERT_TRUE(framesUntil([&] { return session->tracks()[0].keys.empty(); }));
    frame();
    EXPECT_EQ(inputRecord().partIndex, 9);
    EXPECT_GE(psnr(readFrame(), own), 50.0);
}

TEST_F(EditSessionTest, PlayingReportsRowsAndSetRowSeeksPictureAndMusicExactly) {
    startSession(editor.port());
    connectPausedAt(0);
    editor.pause(false);
    ASSERT_TRUE(editor.waitForRows(3, [this] { frame(); }));
    for (std::size_t i = 1; i < editor.rows().size(); ++i)
        EXPECT_GT(editor.rows()[i], editor.rows()[i - 1]);
    const auto sent = std::chrono::steady_clock::now();
    editor.setRow(960);  // 60 s, while playing
    ASSERT_TRUE(framesUntil([] { return showClock.demoTime >= 60.0; }));
    EXPECT_EQ(showClock.demoTime, 60.0);
    EXPECT_EQ(showClock.sceneTime, 60.0);
    // The music went to 60 s and has played on since: it stands within a
    // frame of 60 s plus the time gone by since the row was sent (on a busy
    // machine that can be more than a frame).
    const double music = musicSeconds();
    const double since =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
    EXPECT_GE(music, 60.0 - 1.0 / 60.0);
    EXPECT_LE(music, 60.0 + since + 1.0 / 60.0);
    // And it plays on from there.
    sleepFor(0.2);
    frame();
    EXPECT_GT(showClock.demoTime, 60.0);
    EXPECT_LT(showClock.demoTime, 62.0);
}

TEST_F(EditSessionTest, SavedTracksAreTheFilesPlayAndCaptureDrawAsTheLiveRun) {
    startSession(editor.port());
    connectPausedAt(720);  // 45 s
    editor.setKey(trackIndex("show:time"), 700, 44.0f, 1);
    editor.setKey(trackIndex("show:time"), 740, 46.0f, 0);
    editor.setKey(trackIndex("floor:blue"), 0, 1.0f, 0);
    editor.setKey(trackIndex("camera:eye.y"), 720, 1.5f, 2);
    ASSERT_TRUE(framesUntil([&] { return session->tracks()[0].keys.size() == 2; }));
    frame();
    const Pixels live = readFrame();
    EXPECT_EQ(showClock.sceneTime, 45.0);

    editor.saveTracks();
    const fs::path timeFile = folder / "sync" / "sync_show-3Atime.track";
    ASSERT_TRUE(framesUntil([&] { return fs::exists(timeFile); }));
    std::ifstream in(timeFile, std::ios::binary);
    const Pixels bytes{std::istreambuf_iterator<char>(in), {}};
    const Pixels expected = {2,    0, 0,   0, 188, 2, 0, 0, 0,    0,    0x30,
                             0x42, 1, 228, 2, 0,   0, 0, 0, 0x38, 0x42, 0};
    EXPECT_EQ(bytes, expected);
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder / "sync")) {
        EXPECT_EQ(entry.path().extension(), ".track") << entry.path();
        ++files;
    }
    EXPECT_EQ(files, showTracks().size());

    // brontavik-capture --tracks draws that frame.
    const std::string png = (folder / "capture.png").string();
    const auto run = tool_process::run({tool_process::toolPath("brontavik-capture"), "--tracks",
                                        (folder / "sync").string(), "--at", "45", "--png", png},
                                       60.0);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Pixels captured;
    int width = 0, height = 0;
    ASSERT_TRUE(readPngRgb(png, captured, width, height));
    ASSERT_EQ(width * height, 800 * 600);
    EXPECT_GE(psnr(captured, live), 45.0);

    // So does --play, at the same time.
    editor.drop();
    startSession(editor.port(), true);
    press(platform::VK_SPACE);
    session->clock().seek(45.0);
    frame();
    EXPECT_EQ(showClock.sceneTime, 45.0);
    EXPECT_GE(psnr(readFrame(), live), 50.0);
}

TEST_F(EditSessionTest, NoEditorThenOneAppearsVanishesAndReturns) {
    const int port = closedPort();
    testing::internal::CaptureStderr();
    startSession(port);
    const double start = showClock.demoTime;
    for (int i = 0; i < 10; ++i) frame();
    EXPECT_GT(showClock.demoTime, start);  // the show plays on
    ScriptedEditor late(port);
    ASSERT_EQ(late.port(), port);
    ASSERT_TRUE(late.accept([this] { frame(); }, 2000));
    ASSERT_TRUE(late.waitForTracks(showTracks().size(), [this] { frame(); }));
    late.setKey(trackIndex("show:brightness"), 0, 0.5f, 0);
    ASSERT_TRUE(framesUntil([&] { return !session->tracks()[1].keys.empty(); }));
    late.pause(true);
    ASSERT_TRUE(framesUntil([&] { return session->clock().paused(); }));

    // Gone: the run goes on from where it was, with the keys it had.
    late.drop();
    ASSERT_TRUE(framesUntil([&] { return !session->editorConnected(); }));
    const double left = showClock.demoTime;
    sleepFor(0.1);
    frame();
    EXPECT_GT(showClock.demoTime, left);
    EXPECT_EQ(session->tracks()[1].keys.size(), 1u);
    // Back: it asks for the tracks again and takes the editor's keys.
    ASSERT_TRUE(late.accept([this] { frame(); }, 2000));
    ASSERT_TRUE(late.waitForTracks(showTracks().size(), [this] { frame(); }));
    EXPECT_TRUE(session->tracks()[1].keys.empty());
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("no sync editor at 127.0.0.1:" + std::to_string(port)), std::string::npos)
        << told;
    // Closed, or reset when rows the demo sent were still unread.
    EXPECT_NE(told.find("; connection dropped"), std::string::npos) << told;
}

TEST_F(EditSessionTest, BadInputDropsTheConnectionWithOneLineAndTheShowGoesOn) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* told;
    };
    const std::vector<Case> cases = {
        {{9}, "unknown command 9"},
        {{0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "track 256 out of range"},
        {{1, 0, 0, 0, 0, 0x80, 0, 0, 0}, "row 2147483648 out of range"},
        {{3, 0xFF, 0xFF, 0xFF, 0xFF}, "row 4294967295 out of range"},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}, "unknown interpolation 7"},
        {{0, 0, 0, 0}, "cut in the middle of a message"},
    };
    startSession(editor.port());
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        ASSERT_TRUE(editor.accept([this] { frame(); }, 2000)) << c.told;
        ASSERT_TRUE(editor.waitForTracks(showTracks().size(), [this] { frame(); }));
        editor.sendBytes(c.bytes);
        if (std::string(c.told).find("cut") != std::string::npos) editor.drop();
        ASSERT_TRUE(framesUntil([&] { return !session->editorConnected(); })) << c.told;
        const std::string told = testing::internal::GetCapturedStderr();
        EXPECT_NE(told.find(c.told), std::string::npos) << told;
        EXPECT_EQ(told.find("dropped"), told.rfind("dropped")) << told;
    }
    // A greeting that is wrong.
    testing::internal::CaptureStderr();
    ASSERT_TRUE(editor.accept([this] { frame(); }, 2000, "hello, world"));
    ASSERT_TRUE(framesUntil([&] {
        editor.poll();
        return editor.closedByDemo();
    }));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("greeting is wrong"), std::string::npos);
}

TEST_F(EditSessionTest, TheRunHoldsAtTheEndAndSeeksBackOutOfTheFade) {
    startSession(closedPort());
    session->clock().seek(83.5);
    frame();
    EXPECT_TRUE(showClock.ending);
    EXPECT_EQ(showClock.fadeStart, fadeStartAtFrameRate(60));  // as a still at 83.5 s
    EXPECT_FALSE(session->clock().paused());
    ASSERT_TRUE(framesUntil([&] { return session->clock().paused(); }, 2000));
    EXPECT_EQ(showClock.demoTime, EditClock::holdTime());
    EXPECT_GT(fadeLevel(showClock.demoTime, showClock.fadeStart), 0.99);
    EXPECT_TRUE(frame());  // held there, drawn
    press(platform::VK_HOME);
    EXPECT_FALSE(showClock.ending);
    EXPECT_LT(showClock.fadeStart, 0.0);
}

TEST_F(EditSessionTest, TheMakersKeysWithoutAnEditor) {
    startSession(closedPort());
    press(platform::VK_SPACE);
    EXPECT_TRUE(session->clock().paused());
    press(platform::VK_HOME);
    EXPECT_EQ(showClock.demoTime, 0.0);
    press(platform::VK_NEXT);
    press(platform::VK_NEXT);
    press(platform::VK_RIGHT);
    EXPECT_EQ(showClock.demoTime, 21.0);
    press(platform::VK_PRIOR);
    press(platform::VK_LEFT);
    EXPECT_EQ(showClock.demoTime, 10.0);
    press(platform::VK_LEFT);
    press(platform::VK_HOME);
    press(platform::VK_LEFT);
    EXPECT_EQ(showClock.demoTime, 0.0);  // not before the start
    // A held key repeats its seeks, never its switches.
    session->keyDown(platform::VK_RIGHT, true);
    session->keyDown(platform::VK_SPACE, true);
    frame();
    EXPECT_EQ(showClock.demoTime, 1.0);
    EXPECT_TRUE(session->clock().paused());
    press(platform::VK_HOME);

    // Marks at 1 s and 1.5 s, then L: playing past 1.5 s goes back to 1 s.
    press(platform::VK_RIGHT);
    press('M');
    session->clock().seek(1.5);
    frame();
    press('M');
    press('L');
    EXPECT_TRUE(session->clock().looping());
    press(platform::VK_SPACE);
    EXPECT_FALSE(session->clock().paused());
    double highest = 0.0;
    bool wentBack = false;
    for (int i = 0; i < 400 && !wentBack; ++i) {
        sleepFor(0.01);
        frame();
        wentBack = showClock.demoTime < highest;
        highest = std::max(highest, showClock.demoTime);
    }
    EXPECT_TRUE(wentBack);
    EXPECT_LT(highest, 2.5);  // no further than a frame past the span
    EXPECT_GE(showClock.demoTime, 1.0);

    // Escape ends the run with the show's fade-out, about 2.9 s of demo time.
    press(platform::VK_ESCAPE);
    const double escaped = showClock.demoTime;
    bool ended = false;
    for (int i = 0; i < 2000 && !ended; ++i) {
        sleepFor(0.005);
        ended = !frame();
    }
    EXPECT_TRUE(ended);
    EXPECT_NEAR(showClock.demoTime - escaped, 1.0 / fadeRate, 0.3);
}

}  // namespace
