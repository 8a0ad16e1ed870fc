#include "app/edit/edit_session.h"

#include <cstdio>
#include <utility>

#include "app/main_loop.h"
#include "app/main_window.h"
#include "platform/platform.h"
#include "runtime/demo_clock.h"
#include "runtime/driver/demo_driver.h"
#include "runtime/startup_options.h"
#include "runtime/window_state.h"
#include "sync/show_tracks.h"
#include "sync/track_file.h"

namespace {

void note(const std::string& line) {
    std::fprintf(stderr, "brontavik-edit: %s\n", line.c_str());
}

// Seconds the seek keys move the clock by (held, they repeat).
std::optional<double> seekStep(std::uintptr_t key) {
    using namespace platform;
    switch (key) {
        case VK_LEFT:
            return -1.0;
        case VK_RIGHT:
            return 1.0;
        case VK_PRIOR:
            return -10.0;
        case VK_NEXT:
            return 10.0;
        default:
            return std::nullopt;
    }
}

double secondsNow() {
    platform::Platform& system = platform::current();
    return static_cast<double>(system.performanceCounter()) /
           static_cast<double>(system.performanceFrequency());
}

}  // namespace

EditSession::EditSession(EditOptions options)
    : options_(std::move(options)), tracks_(makeShowTrackSet()) {}

bool EditSession::prepare(std::string& error) {
    if (options_.play) {
        if (!loadTrackFiles(options_.tracksFolder, tracks_, error)) return false;
    } else {
        transport_ = platform::makeSyncTransport();
        if (!transport_->resolve(options_.host, options_.port, error)) return false;
        SyncHandlers handlers;
        handlers.setRow = [this](std::uint32_t row) { clock_.seek(timeOfRow(row)); };
        handlers.pause = [this](bool paused) { clock_.setPaused(paused); };
        handlers.saveTracks = [this] {
            std::string problem;
            if (!saveTracks(problem)) note(problem);
        };
        handlers.connected = [this] {
            // The editor holds the clock now; the maker's loop would fight it.
            clock_.stopLoop();
            lastRowSent_.reset();
        };
        handlers.disconnected = [this] {
            // Without its editor the run goes on from where it is.
            clock_.setPaused(false);
        };
        handlers.note = note;
        const std::string where = options_.host + ":" + std::to_string(options_.port);
        client_ = std::make_unique<SyncClient>(*transport_, tracks_, std::move(handlers), where);
    }
    return true;
}

void EditSession::begin() {
    clock_.start();
    platform::Platform& system = platform::current();
    while (system.showCursor(true) < 0) {
    }
}

bool EditSession::saveTracks(std::string& error) {
    if (options_.tracksFolder.empty()) {
        error =
            "the editor asked to save the tracks, but this run has no folder to write them "
            "in; the keys stay in the editor";
        return false;
    }
    if (!saveTrackFiles(options_.tracksFolder, tracks_, error)) return false;
    note("saved " + std::to_string(tracks_.size()) + " tracks in " + options_.tracksFolder);
    return true;
}

bool EditSession::frame() {
    if (client_) client_->update(secondsNow());
    const bool shown = drawShowFrame([this] { clock_.advance(); },
                                     [this](ShowClock& clock, ShowParameters& parameters) {
                                         shapeFrame(tracks_, clock, parameters);
                                     });
    reportRow();
    return shown || !clock_.endRequested();
}

void EditSession::keyDown(std::uintptr_t key, bool repeat) {
    using namespace platform;
    if (key == VK_ESCAPE) return clock_.requestEnd();
    // The editor holds the clock while it is connected.
    if (editorConnected()) return;
    if (const std::optional<double> step = seekStep(key)) return clock_.seek(clock_.time() + *step);
    if (repeat) return;
    switch (key) {
        case VK_SPACE:
            clock_.setPaused(!clock_.paused());
            break;
        case VK_HOME:
            clock_.seek(0.0);
            break;
        case 'M':
            clock_.mark();
            break;
        case 'L':
            if (!clock_.toggleLoop()) note("L loops between the last two marks: mark them with M");
            break;
        default:
            break;
    }
}

void EditSession::reportRow() {
    if (!editorConnected() || clock_.paused()) return;
    const std::uint32_t row = clock_.row();
    if (lastRowSent_ == row) return;
    client_->sendRow(row);
    lastRowSent_ = row;
}

bool openEditWindow() {
    windowTopLeft = {0.0, 0.0, 0.0, 1};
    windowBottomRight = {800.0, 600.0, 0.0, 1};
    return createMainWindow(kWindowTitle, 800, 600, 32, false, false);
}

bool editLoopPass(EditSession& session, int& exitCode) {
    platform::Platform& system = platform::current();
    platform::Message message;
    while (system.peekMessage(message)) {
        if (message.message == platform::WM_QUIT) {
            releaseMainWindow();
            exitCode = static_cast<int>(message.wParam);
            return true;
        }
        // Every press counts, however short: the window procedure's held
        // keys may be up again before the next frame looks.
        if (message.message == platform::WM_KEYDOWN && message.wParam < 256)
            session.keyDown(message.wParam, keys[message.wParam]);
        system.dispatchMessage(message);
    }
    if (active && !session.frame()) {
        if (musicEnabled) closeMusic();
        releaseMainWindow();
        exitCode = 0;
        return true;
    }
    system.swapBuffers(mainDeviceContext);
    return false;
}

int runEditLoop(EditSession& session) {
    int exitCode = 0;
    while (!editLoopPass(session, exitCode)) {
    }
    return exitCode;
}
