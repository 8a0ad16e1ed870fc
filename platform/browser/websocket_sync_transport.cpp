// The sync editor's connection in a browser: a WebSocket (GNU Rocket's Qt
// editor listens for them on port 1339). The greeting goes as a text
// message, every other protocol message as one binary message each way;
// what arrives is kept message by message, for the protocol reader to check
// that each ends where a protocol message ends. The browser connects, sends
// and receives on its own, between frames: nothing here ever waits.
//
// The page's side is a small bridge of its own rather than Emscripten's
// websocket.h, whose 3.1.6 library lets the WebSocket constructor's
// exceptions (a port the browser blocks, ws:// from an https page) escape
// into the program, copies every message into the heap before it can be
// refused, and never lets go of a closed socket (one a second while no
// editor answers).
#include <emscripten.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sync_transport.h"

extern "C" {
// Starts a connection to `url`; its handle, or 0 when the browser refused
// the address at once (syncSocketRefusal then says why).
int syncSocketOpen(const char* url);
// 1 connecting, 2 open, 0 closed (by either end, or failed).
int syncSocketState(int socket);
// The next message's size in bytes, -1 when none is waiting; `isText` tells
// its kind. The message stays waiting until syncSocketTake.
int syncSocketPeek(int socket, int* isText);
// Copies the next message, a binary one, into `into` (its size from
// syncSocketPeek) and lets it go; without `into`, only lets it go.
void syncSocketTake(int socket, std::uint8_t* into);
void syncSocketSend(int socket, const std::uint8_t* bytes, int size, int asText);
void syncSocketClose(int socket);
// Why the connection closed or was refused, into `into` (`capacity` bytes).
void syncSocketReason(int socket, char* into, int capacity);
}

// JavaScript bodies: clang-format would split === and => as C++ tokens.
// clang-format off
EM_JS(int, syncSocketOpen, (const char* url), {
    const all = Module.syncSockets || (Module.syncSockets = {next: 1, open: new Map()});
    const id = all.next++;
    const entry = {state: 1, messages: [], reason: ""};
    all.open.set(id, entry);
    try {
        entry.socket = new WebSocket(UTF8ToString(url));
    } catch (e) {
        entry.state = 0;
        entry.reason = "the browser refused the address: " + (e && e.message || e);
        return id;
    }
    entry.socket.binaryType = "arraybuffer";
    entry.socket.onopen = () => { if (entry.state === 1) entry.state = 2; };
    entry.socket.onmessage = (e) => {
        if (entry.state !== 2) return;
        // A text message is only told apart and measured: the program refuses it.
        entry.messages.push(typeof e.data === "string"
                                ? {text: true, size: lengthBytesUTF8(e.data)}
                                : {text: false, size: e.data.byteLength, bytes: new Uint8Array(e.data)});
    };
    entry.socket.onclose = (e) => {
        if (entry.state === 0) return;
        // 1006: the connection ended without the editor closing it.
        entry.reason = entry.state === 1 ? "the connection failed"
                     : e.code === 1006 ? "the connection to the editor was lost"
                     : "the editor closed the connection" +
                           (e.code !== 1000 && e.code !== 1005 ? " (code " + e.code + ")" : "");
        entry.state = 0;
    };
    return id;
});

EM_JS(int, syncSocketState, (int socket), {
    const entry = Module.syncSockets && Module.syncSockets.open.get(socket);
    return entry ? entry.state : 0;
});

EM_JS(int, syncSocketPeek, (int socket, int* isText), {
    const entry = Module.syncSockets && Module.syncSockets.open.get(socket);
    if (!entry || entry.messages.length === 0) return -1;
    HEAP32[isText >> 2] = entry.messages[0].text ? 1 : 0;
    return entry.messages[0].size;
});

EM_JS(void, syncSocketTake, (int socket, std::uint8_t* into), {
    const entry = Module.syncSockets && Module.syncSockets.open.get(socket);
    if (!entry || entry.messages.length === 0) return;
    const message = entry.messages.shift();
    if (into && !message.text) HEAPU8.set(message.bytes, into);
});

EM_JS(void, syncSocketSend, (int socket, const std::uint8_t* bytes, int size, int asText), {
    const entry = Module.syncSockets && Module.syncSockets.open.get(socket);
    if (!entry || entry.state !== 2) return;
    const copy = HEAPU8.slice(bytes, bytes + size);
    entry.socket.send(asText ? new TextDecoder().decode(copy) : copy);
});

EM_JS(void, syncSocketClose, (int socket), {
    const entry = Module.syncSockets && Module.syncSockets.open.get(socket);
    if (!entry) return;
    Module.syncSockets.open.delete(socket);
    if (!entry.socket) return;
    entry.socket.onopen = entry.socket.onmessage = entry.socket.onclose = null;
    if (entry.socket.readyState <= 1) entry.socket.close(1000);
});

EM_JS(void, syncSocketReason, (int socket, char* into, int capacity), {
    const entry = Module.syncSockets && Module.syncSockets.open.get(socket);
    stringToUTF8(entry ? entry.reason : "", into, capacity);
});
// clang-format on

namespace platform {
namespace {

class WebSocketSyncTransport : public SyncTransport {
  public:
    // The longest message taken from the editor; GNU Rocket's are a few
    // bytes each.
    static constexpr int kLongestMessage = 4096;
    // Messages taken a frame at most: an editor sending without pause
    // cannot hold the frame there.
    static constexpr int kMessagesAFrame = 8192;

    ~WebSocketSyncTransport() override { close(); }

    bool resolve(const std::string& host, int port, std::string& error) override {
        if (host.empty() || port < 1 || port > 65535) {
            error = "no editor's address (ws://HOST:PORT)";
            return false;
        }
        url_ = "ws://" + host + ":" + std::to_string(port) + "/";
        return true;
    }

    void open() override {
        close();
        reason_.clear();
        socket_ = syncSocketOpen(url_.c_str());
        state_ = State::Connecting;
        update();
    }

    State update() override {
        taken_ = 0;
        if (socket_ == 0) return state_;
        switch (syncSocketState(socket_)) {
            case 1:
                state_ = State::Connecting;
                break;
            case 2:
                state_ = State::Open;
                break;
            default:
                // What arrived before the end is still the caller's to take.
                if (!hasWaiting()) fail(socketReason());
                break;
        }
        return state_;
    }

    void sendGreeting(std::span<const std::uint8_t> bytes) override { sendAs(bytes, true); }
    void send(std::span<const std::uint8_t> bytes) override { sendAs(bytes, false); }

    bool takeReceived(std::vector<std::uint8_t>& into) override {
        if (socket_ == 0 || taken_ >= kMessagesAFrame) return false;
        int isText = 0;
        const int size = syncSocketPeek(socket_, &isText);
        if (size < 0) return false;
        ++taken_;
        if (isText) {
            syncSocketTake(socket_, nullptr);
            fail("the editor sent a text message; after the greeting its messages are binary");
            return false;
        }
        if (size > kLongestMessage) {
            syncSocketTake(socket_, nullptr);
            fail("a message of " + std::to_string(size) + " bytes from the editor (at most " +
                 std::to_string(kLongestMessage) + ")");
            return false;
        }
        const std::size_t at = into.size();
        into.resize(at + static_cast<std::size_t>(size));
        syncSocketTake(socket_, into.data() + at);
        return true;
    }

    bool carriesMessages() const override { return true; }

    void close() override {
        if (socket_ != 0) syncSocketClose(socket_);
        socket_ = 0;
        state_ = State::Closed;
    }

    std::string closeReason() const override { return reason_; }

  private:
    void sendAs(std::span<const std::uint8_t> bytes, bool asText) {
        if (state_ != State::Open) return;
        syncSocketSend(socket_, bytes.data(), static_cast<int>(bytes.size()), asText ? 1 : 0);
    }

    bool hasWaiting() const {
        int isText = 0;
        return socket_ != 0 && syncSocketPeek(socket_, &isText) >= 0;
    }

    std::string socketReason() const {
        char text[256] = {};
        syncSocketReason(socket_, text, sizeof text);
        return text;
    }

    void fail(const std::string& reason) {
        close();
        reason_ = reason;
    }

    std::string url_;
    int socket_ = 0;
    State state_ = State::Closed;
    int taken_ = 0;
    std::string reason_;
};

}  // namespace

std::unique_ptr<SyncTransport> makeSyncTransport() {
    return std::make_unique<WebSocketSyncTransport>();
}

}  // namespace platform
