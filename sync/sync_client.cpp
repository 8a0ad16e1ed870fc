#include "sync/sync_client.h"

#include <utility>

#include "sync/sync_protocol.h"

using namespace syncprotocol;
using platform::SyncTransport;

SyncClient::SyncClient(SyncTransport& transport, std::vector<SyncTrack>& tracks,
                       SyncHandlers handlers, std::string where)
    : transport_(transport),
      tracks_(tracks),
      handlers_(std::move(handlers)),
      where_(std::move(where)) {}

void SyncClient::update(double now) {
    now_ = now;
    if (state_ == State::Waiting) {
        if (now < retryAt_) return;
        start(now);
    }
    const SyncTransport::State link = transport_.update();
    if (state_ == State::Connecting && link == SyncTransport::State::Open) {
        transport_.sendGreeting({reinterpret_cast<const std::uint8_t*>(kClientGreeting.data()),
                                 kClientGreeting.size()});
        state_ = State::Greeting;
        transport_.update();
    }
    readReceived();
    if (state_ == State::Waiting) return;  // dropped above

    if (link == SyncTransport::State::Closed) {
        if (state_ == State::Connecting) {
            noteFailure("no sync editor at " + where_ + " (" + transport_.closeReason() +
                        "); trying again about once a second");
            state_ = State::Waiting;
            retryAt_ = now + kRetrySeconds;
        } else if (!received_.empty()) {
            drop("the connection was cut in the middle of a message");
        } else {
            drop(transport_.closeReason());
        }
    } else if (state_ != State::Connected && now >= deadline_) {
        drop("no greeting within " + std::to_string(static_cast<int>(kHandshakeSeconds)) + " s");
    }
}

void SyncClient::sendRow(std::uint32_t row) {
    if (state_ == State::Connected) transport_.send(setRowMessage(row));
}

void SyncClient::start(double now) {
    received_.clear();
    transport_.open();
    state_ = State::Connecting;
    deadline_ = now + kHandshakeSeconds;
}

void SyncClient::readReceived() {
    if (!transport_.carriesMessages()) {
        transport_.takeReceived(received_);
        return readBytes();
    }
    // Message by message: each must end where a protocol message ends.
    while ((state_ == State::Greeting || state_ == State::Connected) &&
           transport_.takeReceived(received_)) {
        readBytes();
        if (state_ != State::Waiting && !received_.empty())
            return drop("a message from the editor was cut: it ends within a " +
                        std::string(state_ == State::Greeting ? "greeting" : "command"));
    }
}

void SyncClient::readBytes() {
    if (state_ == State::Greeting) greet();
    if (state_ == State::Connected) readCommands();
}

void SyncClient::greet() {
    std::size_t used = 0;
    std::string error;
    switch (readServerGreeting(received_, used, error)) {
        case ReadResult::NeedMore:
            return;
        case ReadResult::Bad:
            return drop(error);
        case ReadResult::Command:
            break;
    }
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(used));
    state_ = State::Connected;
    lastFailure_.clear();
    if (handlers_.note) handlers_.note("connected to the sync editor at " + where_);
    // The editor is the keys' keeper: it sends each track's keys when asked.
    for (SyncTrack& track : tracks_) {
        track.keys.clear();
        transport_.send(getTrackMessage(track.name));
    }
    if (handlers_.connected) handlers_.connected();
}

void SyncClient::readCommands() {
    std::size_t done = 0;
    const auto trackCount = static_cast<std::uint32_t>(tracks_.size());
    while (state_ == State::Connected) {
        std::size_t used = 0;
        EditorCommand command;
        std::string error;
        const std::span<const std::uint8_t> rest(received_.data() + done, received_.size() - done);
        const ReadResult result = readEditorCommand(rest, trackCount, used, command, error);
        if (result == ReadResult::NeedMore) break;
        if (result == ReadResult::Bad) return drop(error);
        done += used;
        switch (command.kind) {
            case EditorCommand::Kind::SetKey:
                setKey(tracks_[command.track], command.key);
                break;
            case EditorCommand::Kind::DeleteKey:
                deleteKey(tracks_[command.track], command.key.row);
                break;
            case EditorCommand::Kind::SetRow:
                if (handlers_.setRow) handlers_.setRow(command.row);
                break;
            case EditorCommand::Kind::Pause:
                if (handlers_.pause) handlers_.pause(command.paused);
                break;
            case EditorCommand::Kind::SaveTracks:
                if (handlers_.saveTracks) handlers_.saveTracks();
                break;
        }
    }
    if (state_ == State::Connected)
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(done));
}

void SyncClient::drop(const std::string& why) {
    transport_.close();
    received_.clear();
    const bool wasConnected = state_ == State::Connected;
    state_ = State::Waiting;
    retryAt_ = now_ + kRetrySeconds;
    noteFailure("sync editor at " + where_ + ": " + why +
                (wasConnected ? "; connection dropped" : "") +
                "; trying again about once a second");
    if (wasConnected && handlers_.disconnected) handlers_.disconnected();
}

void SyncClient::noteFailure(const std::string& line) {
    // A connection that fails the same way every second is told once.
    if (line != lastFailure_ && handlers_.note) handlers_.note(line);
    lastFailure_ = line;
}
