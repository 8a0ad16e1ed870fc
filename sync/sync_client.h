#pragma once
// The demo's side of a sync editor's connection. It never waits: it starts
// a connection, looks at it once a frame, and while no editor answers tries
// again about once a second. Connected, it greets, asks for its tracks in
// their order and keeps them up to the editor's keys; the editor's row,
// pause and save requests go to the handlers. Bad bytes from the editor
// drop the connection with a one-line note; the tracks keep their keys
// until an editor is connected again, which sends them afresh.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/sync_transport.h"
#include "sync/sync_track.h"

struct SyncHandlers {
    std::function<void(std::uint32_t row)> setRow;
    std::function<void(bool paused)> pause;
    std::function<void()> saveTracks;
    // The editor answered the greeting; the tracks were emptied and asked for.
    std::function<void()> connected;
    // The connection to an editor that had answered ended.
    std::function<void()> disconnected;
    // One line for the user (the client adds no newline).
    std::function<void(const std::string& line)> note;
};

class SyncClient {
  public:
    static constexpr double kRetrySeconds = 1.0;
    // From the start of a connection to the editor's greeting.
    static constexpr double kHandshakeSeconds = 5.0;

    // `where` names the editor in notes ("127.0.0.1:1338").
    SyncClient(platform::SyncTransport& transport, std::vector<SyncTrack>& tracks,
               SyncHandlers handlers, std::string where);

    // One frame's work, `now` in seconds on a steady clock.
    void update(double now);
    // Tells the editor the demo's row (while it plays); nothing unless connected.
    void sendRow(std::uint32_t row);
    bool connected() const { return state_ == State::Connected; }

  private:
    enum class State { Waiting, Connecting, Greeting, Connected };

    void start(double now);
    // Reads what arrived: the greeting, then the editor's commands.
    void readReceived();
    void readBytes();
    void greet();
    void readCommands();
    // Ends the connection with a note; the next attempt is a second later.
    void drop(const std::string& why);
    void noteFailure(const std::string& line);

    platform::SyncTransport& transport_;
    std::vector<SyncTrack>& tracks_;
    SyncHandlers handlers_;
    std::string where_;
    State state_ = State::Waiting;
    double retryAt_ = 0.0;
    double deadline_ = 0.0;
    double now_ = 0.0;
    // The last failure told; the same one again is not told again.
    std::string lastFailure_;
    std::vector<std::uint8_t> received_;
};
