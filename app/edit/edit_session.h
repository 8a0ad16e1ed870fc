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
    // Where SAVE_TRACKS writes the tracks and --play reads them.
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

// Runs the maker's message loop until the window closes or Escape's fade is
// over; returns the exit code after releasing the window.
int runEditLoop(EditSession& session);
