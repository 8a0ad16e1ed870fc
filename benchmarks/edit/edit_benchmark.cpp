// What editing costs a frame: the show's own frame function against
// brontavik-edit's frame with no editor (connecting in vain) and with an
// editor holding 30 tracks keyed on every row of the show, all drawn at the
// same moments of the show; then the time from a key arriving to the end of
// the frame that shows it, and from a SET_ROW across the whole show to the
// end of the frame drawn there. 800x600 on the offscreen GL driver, the
// music on SDL's dummy driver. Run from build/bin:
//   SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./edit_benchmark
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

#include "app/edit/edit_session.h"
#include "app/main_loop.h"
#include "app/main_window.h"
#include "runtime/driver/frame_clock.h"
#include "runtime/render_context.h"
#include "runtime/window_state.h"
#include "scene/camera_path.h"
#include "scene/gl_headers.h"
#include "sync/show_tracks.h"
#include "tests/support/scripted_editor.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLastRow = 1340;  // 83.75 s: the whole show

bool openWindow() {
    static const bool open = [] {
        setenv("BRONTAVIK_NO_MESSAGE_BOXES", "1", 1);
        windowTopLeft = {0.0, 0.0, 0.0, 1};
        windowBottomRight = {800.0, 600.0, 0.0, 1};
        return createMainWindow(kWindowTitle, 800, 600, 32, false, false);
    }();
    return open;
}

// The moment of iteration i: spread over the show, the same for every run.
double moment(std::int64_t i) {
    return std::fmod(static_cast<double>(i) * 7.3, 80.0);
}

std::unique_ptr<EditSession> startSession(int port) {
    EditOptions options;
    options.port = port;
    options.tracksFolder = "/nonexistent";
    auto session = std::make_unique<EditSession>(options);
    std::string error;
    if (!session->prepare(error)) return nullptr;
    session->begin();
    return session;
}

int closedPort() {
    ScriptedEditor probe;
    return probe.port();
}

static_assert(std::is_trivially_copyable_v<ShowParameters>);

// Every row of the show keyed on 30 tracks with the show's own values (the
// camera's eye with its path's), so the picture is the show's.
void keyEveryRow(ScriptedEditor& editor) {
    const ShowParameters shipped;
    const auto all = showTracks();
    for (std::uint32_t t = 0; t < all.size(); ++t) {
        const std::string name = all[t].name;
        if (name.rfind("camera:target", 0) == 0) continue;  // 30 of the 33
        for (int row = 0; row <= kLastRow; ++row) {
            const double time = timeOfRow(row);
            ShowClock clock;
            double value = 0.0;
            if (name == "show:time") {
                value = time;
            } else if (name.rfind("camera:eye", 0) == 0) {
                RenderContext& context = renderContext();
                updateCameraPath(context, time);
                value = name.back() == 'x'   ? context.camera.eye.x
                        : name.back() == 'y' ? context.camera.eye.y
                                             : context.camera.eye.z;
            } else {
                // The default: the double the track's own apply overwrites
                // (the record is trivially copyable, its bytes compare).
                ShowParameters values = shipped;
                all[t].apply(12345.0, clock, values);
                const auto* changed = reinterpret_cast<const unsigned char*>(&values);
                const auto* original = reinterpret_cast<const unsigned char*>(&shipped);
                std::size_t k = 0;
                while (k < sizeof values && changed[k] == original[k]) ++k;
                if (k < sizeof values) std::memcpy(&value, original + (k - k % 8), sizeof value);
            }
            editor.setKey(t, static_cast<std::uint32_t>(row), static_cast<float>(value), 1);
        }
    }
}

void BM_ShowFrame(benchmark::State& state) {
    if (!openWindow()) return state.SkipWithError("no GL window");
    std::int64_t i = 0;
    for (auto _ : state) {
        drawFrameAtMoment(stillMoment(moment(i++)));
        glFinish();
    }
}
BENCHMARK(BM_ShowFrame)->Unit(benchmark::kMillisecond)->MinTime(5.0);

// The session's frames, paused at the same moments as the show's: the clock
// record is set directly, since a seek would also move the music and keep
// its decoder busy during the frame (a seek's cost is measured below).
void drawEditFrames(benchmark::State& state, EditSession& session) {
    session.keyDown(platform::VK_SPACE, false);
    session.frame();
    std::int64_t i = 0;
    for (auto _ : state) {
        showClock.demoTime = moment(i++);
        session.frame();
        glFinish();
    }
}

void BM_EditFrameNoEditor(benchmark::State& state) {
    if (!openWindow()) return state.SkipWithError("no GL window");
    auto session = startSession(closedPort());
    drawEditFrames(state, *session);
}
BENCHMARK(BM_EditFrameNoEditor)->Unit(benchmark::kMillisecond)->MinTime(5.0);

// A session whose scripted editor has connected, been asked for the tracks
// and paused it.
struct EditorRun {
    ScriptedEditor editor;
    std::unique_ptr<EditSession> session = startSession(editor.port());

    bool connect() {
        const auto pump = [this] { session->frame(); };
        if (!editor.accept(pump) || !editor.waitForTracks(showTracks().size(), pump)) return false;
        editor.pause(true);
        return true;
    }
};

// For each iteration: `send` something from the editor, then draw frames
// until `shown`, and time it to the end of that frame. Counts the frames.
template <typename Send, typename Shown>
void timeUntilShown(benchmark::State& state, EditSession& session, Send send, Shown shown) {
    double frames = 0;
    for (auto _ : state) {
        const auto sent = Clock::now();
        send();
        do {
            session.frame();
            ++frames;
        } while (!shown());
        glFinish();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - sent).count());
    }
    state.counters["frames"] = benchmark::Counter(frames, benchmark::Counter::kAvgIterations);
}

void BM_EditFrameEditor30TracksKeyedEveryRow(benchmark::State& state) {
    if (!openWindow()) return state.SkipWithError("no GL window");
    EditorRun run;
    if (!run.connect()) return state.SkipWithError("the editor was not asked for the tracks");
    keyEveryRow(run.editor);
    EditSession& session = *run.session;
    for (int k = 0; k < 2000 && session.tracks()[0].keys.size() <= kLastRow; ++k) session.frame();
    std::size_t keys = 0;
    for (const SyncTrack& track : session.tracks()) keys += track.keys.size();
    state.counters["keys"] = static_cast<double>(keys);
    drawEditFrames(state, session);
}
BENCHMARK(BM_EditFrameEditor30TracksKeyedEveryRow)->Unit(benchmark::kMillisecond)->MinTime(5.0);

// From the editor's SET_KEY to the end of the frame that shows it (the key
// toggles the brightness, so every frame it is in differs).
void BM_KeyArrivalToFrame(benchmark::State& state) {
    if (!openWindow()) return state.SkipWithError("no GL window");
    EditorRun run;
    if (!run.connect()) return state.SkipWithError("the editor was not asked for the tracks");
    run.editor.setRow(720);
    run.session->frame();
    float value = 0.5f;
    const std::vector<TrackKey>& keys = run.session->tracks()[1].keys;
    timeUntilShown(
        state, *run.session,
        [&] {
            value = value == 0.5f ? 0.75f : 0.5f;
            run.editor.setKey(1, 0, value, 0);
        },
        [&] { return !keys.empty() && keys[0].value == value; });
}
BENCHMARK(BM_KeyArrivalToFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

// SET_ROW from one end of the show to the other and back, to the end of the
// frame drawn at the row's time (the music placed there too).
void BM_SeekAcrossTheShow(benchmark::State& state) {
    if (!openWindow()) return state.SkipWithError("no GL window");
    EditorRun run;
    if (!run.connect()) return state.SkipWithError("the editor was not asked for the tracks");
    std::uint32_t row = 0;
    timeUntilShown(
        state, *run.session,
        [&] {
            row = row == 0 ? kLastRow : 0;
            run.editor.setRow(row);
        },
        [&] { return showClock.demoTime == timeOfRow(row); });
}
BENCHMARK(BM_SeekAcrossTheShow)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
