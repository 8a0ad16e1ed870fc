#pragma once
// What the desktop builds' sync connections share: a TCP socket that never
// waits, with a queue of bytes to send and one of bytes received. Each build
// supplies the socket calls (making the connection, sending, receiving,
// closing); this keeps the states and the queues.
#include <string>
#include <vector>

#include "platform/sync_transport.h"

namespace platform {

class SocketSyncTransport : public SyncTransport {
  public:
    State update() override {
        if (state_ == State::Connecting) finishConnecting();
        if (state_ == State::Open) flush();
        if (state_ == State::Open) drain();
        return state_;
    }

    void sendGreeting(std::span<const std::uint8_t> bytes) override { send(bytes); }

    void send(std::span<const std::uint8_t> bytes) override {
        if (state_ == State::Closed) return;
        outgoing_.insert(outgoing_.end(), bytes.begin(), bytes.end());
        if (state_ == State::Open) flush();
    }

    bool takeReceived(std::vector<std::uint8_t>& into) override {
        if (incoming_.empty()) return false;
        into.insert(into.end(), incoming_.begin(), incoming_.end());
        incoming_.clear();
        return true;
    }

    void close() override {
        closeSocket();
        state_ = State::Closed;
        outgoing_.clear();
    }

    std::string closeReason() const override { return reason_; }

  protected:
    // Looks once whether a connection being made is open or failed.
    virtual void finishConnecting() = 0;
    // Sends what the queue holds, as far as the system takes it now.
    virtual void flush() = 0;
    // Takes what has arrived, up to a bound a frame: an editor sending
    // without pause cannot hold the frame there.
    virtual void drain() = 0;
    virtual void closeSocket() = 0;

    void fail(const std::string& reason) {
        // What arrived before the end is still the caller's to read.
        close();
        reason_ = reason;
    }

    State state_ = State::Closed;
    std::vector<std::uint8_t> outgoing_;
    std::vector<std::uint8_t> incoming_;
    std::string reason_;
};

}  // namespace platform
