#pragma once
// The connection to a sync editor, never waiting for it: connecting, sending
// and receiving return at once, and the caller asks every frame how the
// connection stands. Each build carries it on its own system's interface
// (the desktops on TCP sockets, the browser on a WebSocket) and defines
// makeSyncTransport(); the bytes it carries are the caller's.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

class SyncTransport {
  public:
    enum class State { Closed, Connecting, Open };

    virtual ~SyncTransport() = default;

    // Looks the editor's address up, once, before the show starts (this may
    // wait for a name service); false with the reason when it cannot be
    // used. Every later connection goes to this address.
    virtual bool resolve(const std::string& host, int port, std::string& error) = 0;
    // Starts a connection to the resolved address (closing one that is
    // open); state() tells when it is open or why it failed.
    virtual void open() = 0;
    // Advances a connection that is being made, sends what is queued and
    // takes in what has arrived. Closed when the connection was refused,
    // cut or closed by the editor (closeReason() says why) or never opened.
    virtual State update() = 0;
    // Queues the greeting, which a transport that tells message kinds apart
    // sends as text, and whole protocol messages, each as one message.
    virtual void sendGreeting(std::span<const std::uint8_t> bytes) = 0;
    virtual void send(std::span<const std::uint8_t> bytes) = 0;
    // Appends what was received to `into`: on a byte stream everything since
    // the last call, on a transport that carries messages the next whole
    // message (one a call). False when nothing was waiting.
    virtual bool takeReceived(std::vector<std::uint8_t>& into) = 0;
    // True when the editor's bytes arrive as messages (a WebSocket), each
    // holding whole protocol messages: one that ends within one was cut.
    virtual bool carriesMessages() const { return false; }
    virtual void close() = 0;
    virtual std::string closeReason() const = 0;
};

// The transport of the build the executable links.
std::unique_ptr<SyncTransport> makeSyncTransport();

}  // namespace platform
