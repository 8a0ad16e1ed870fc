// Fuzz target: the bytes an editor could send, read by the client after its
// greeting (greeting included), split into pieces of the first byte's
// length, over a transport that hands them in as they come: as a byte
// stream, or (the first byte's bit 6) each piece as a message of its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sync/show_tracks.h"
#include "sync/sync_client.h"

namespace {

class FedTransport : public platform::SyncTransport {
  public:
    std::vector<std::uint8_t> piece;
    bool cut = false;
    bool resolve(const std::string&, int, std::string&) override { return true; }
    void open() override { state_ = State::Open; }
    State update() override { return cut ? State::Closed : state_; }
    void sendGreeting(std::span<const std::uint8_t>) override {}
    void send(std::span<const std::uint8_t>) override {}
    bool takeReceived(std::vector<std::uint8_t>& into) override {
        if (piece.empty()) return false;
        into.insert(into.end(), piece.begin(), piece.end());
        piece.clear();
        return true;
    }
    bool carriesMessages() const override { return messages; }
    bool messages = false;  // each piece a message, as a WebSocket hands them in
    void close() override { state_ = State::Closed; }
    std::string closeReason() const override { return "closed"; }

  private:
    State state_ = State::Closed;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t step = data[0] % 32 + 1;
    const bool messages = (data[0] & 0x40) != 0;
    ++data;
    --size;
    std::vector<SyncTrack> tracks = makeShowTrackSet();
    FedTransport transport;
    transport.messages = messages;
    SyncHandlers handlers;
    bool dropped = false;
    handlers.disconnected = [&dropped] { dropped = true; };
    SyncClient client(transport, tracks, handlers, "fuzz");
    client.update(0.0);
    for (std::size_t at = 0; at < size && !dropped; at += step) {
        transport.piece.assign(data + at, data + std::min(size, at + step));
        transport.cut = at + step >= size && (data[0] & 1);
        client.update(0.1);
    }
    // Whatever arrived, every track's keys are sorted, one a row, rows >= 0.
    for (const SyncTrack& track : tracks) {
        for (std::size_t i = 0; i < track.keys.size(); ++i) {
            if (track.keys[i].row < 0 || (i > 0 && track.keys[i - 1].row >= track.keys[i].row))
                std::abort();
            (void)trackValue(track, track.keys[i].row + 0.5);
        }
    }
    return 0;
}
