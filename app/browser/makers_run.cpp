#include "app/browser/makers_run.h"

#include <emscripten.h>

#include <memory>
#include <string>

#include "app/edit/edit_session.h"
#include "app/main_loop.h"
#include "platform/browser/browser_platform.h"
#include "platform/browser/page_hooks.h"
#include "runtime/demo_clock.h"
#include "runtime/input_record.h"
#include "sync/show_tracks.h"
#include "sync/track_file.h"

namespace {

std::unique_ptr<EditSession> session;

// Room for what the page passes: a host name, a folder, an address.
constexpr int kTextCapacity = 2048;

struct PageRequest {
    EditOptions options;
    std::string tracksAddress;  // where the page fetched the track files from
};

bool readPageRequest(PageRequest& request) {
    char text[kTextCapacity] = {};
    int port = 0;
    if (pageSyncEditor(text, kTextCapacity, &port)) {
        request.options.host = text;
        request.options.port = port;
        // A page cannot write a folder: the editor's save has nowhere to go.
        request.options.tracksFolder.clear();
        return true;
    }
    char address[kTextCapacity] = {};
    if (pageTracksFolder(text, address, kTextCapacity)) {
        request.options.play = true;
        request.options.tracksFolder = text;
        request.tracksAddress = address;
        return true;
    }
    return false;
}

// The run is over: its connection to the editor ends with it, so that the
// page's next play (or another demo) finds the editor free.
void endRun() {
    session.reset();
}

void runPass() {
    const double before = emscripten_get_now();
    platform::fitCanvas();
    int exitCode = 0;
    if (editLoopPass(*session, exitCode)) {
        endRun();
        platform::current().exitProcess(exitCode);
    }
    if (active) pageFrameDone(emscripten_get_now() - before, demoTime, inputRecord().auxValue);
}

// Closing or leaving the page: the pass takes the WM_CLOSE the platform
// queued and releases the window while the page is still there.
void leavePage() {
    int exitCode = 0;
    if (!session || !editLoopPass(*session, exitCode)) return;
    endRun();
    platform::closePage();
}

}  // namespace

bool makersRunAsked() {
    PageRequest request;
    return readPageRequest(request);
}

bool prepareMakersRun() {
    PageRequest request;
    readPageRequest(request);
    session = std::make_unique<EditSession>(request.options);
    std::string error;
    if (!session->prepare(error)) {
        if (request.options.play) {
            // The files are named by the address the page fetched them from.
            const std::string folder = request.options.tracksFolder + "/";
            if (error.starts_with(folder))
                error = request.tracksAddress + error.substr(folder.size());
            pageProblem(("The exported tracks cannot be played: " + error + ".").c_str(),
                        "Export them again from the sync editor, or take the damaged file away.");
        } else {
            pageProblem(("The sync editor's address cannot be used: " + error + ".").c_str(),
                        "Give ?sync= an address such as ws://127.0.0.1:1339.");
        }
        return false;
    }
    platform::setPageLeaveHandler(&leavePage);
    return openEditWindow();
}

void startMakersRun() {
    platform::startShow();
    session->begin();
    emscripten_set_main_loop(&runPass, 0, 0);
    runPass();
}

// The names of the track files the page fetches for ?tracks=, one a line,
// in the order of the show's tracks.
extern "C" EMSCRIPTEN_KEEPALIVE const char* brontavikTrackFiles() {
    static std::string names;
    if (names.empty()) {
        for (const SyncTrack& track : makeShowTrackSet()) names += trackFileName(track.name) + "\n";
    }
    return names.c_str();
}
