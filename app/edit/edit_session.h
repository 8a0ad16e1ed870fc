#pragma once
// A maker's run of the show: the show in its window, connected to a sync
// editor or playing exported tracks, with the maker's own keys while no
// editor is connected (Space pause, Left/Right 1 s, Page Up/Down 10 s,
// Home the start, M mark, L loop the last marked span; Escape ends as in
// the show).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/edit/edit_clock.h"
#include "platform/sync_transport.h"
#include "sync/sync_client.h"
#include "sync/sync_track.h"

struct EditOptions {
    std::string host = "127.0.0.1";
    int port = 1338;
    // Where SAVE_TRACKS writes the tracks and --play reads them; none in a
    // web page, which cannot write files.
    std::string tracksFolder = "sync";
    // Tracks from the folder, no editor.
    bool play = false;
};

class EditSession {
  public:
    explicit EditSession(EditOptions options);

    // Before the window opens: reads the tracks (--play) or looks the
    // editor's address up. False with the reason.
    bool prepare(std::string& error);
    // After the demo was initialised: takes the clock over and shows the
    // cursor the show hides; the first frame starts connecting.
    void begin();
    // One frame: the editor's messages, the clock, the picture. False once
    // the fade-out Escape started is complete (that frame is not shown).
    bool frame();
    // A key went down (virtual-key code); `repeat` when it was already held
    // (the system repeating it): seeks repeat, switches do not.
    void keyDown(std::uintptr_t key, bool repeat);

    EditClock& clock() { return clock_; }
    std::vector<SyncTrack>& tracks() { return tracks_; }
    bool editorConnected() const { return client_ && client_->connected(); }
    // Writes every track into the tracks folder (what SAVE_TRACKS does).
    bool saveTracks(std::string& error);

  private:
    void reportRow();

    EditOptions options_;
    std::vector<SyncTrack> tracks_;
    EditClock clock_;
    std::unique_ptr<platform::SyncTransport> transport_;
    std::unique_ptr<SyncClient> client_;
    std::optional<std::uint32_t> lastRowSent_;
};

// Opens the maker's window, which initialises the demo: an ordinary 800 by
// 600 window the maker can move beside the editor; no display mode is
// switched. False (the user was told why) when it cannot.
bool openEditWindow();

// One pass of the maker's message loop: every waiting message (the keys to
// the session), then one frame drawn and presented. True when the run is
// over (the window closed, or Escape's fade is complete), with the exit
// code, after the window was released. The desktop repeats it; the browser
// runs one pass per animation frame.
bool editLoopPass(EditSession& session, int& exitCode);

// Runs the maker's message loop until the run is over; returns the exit code.
int runEditLoop(EditSession& session);
