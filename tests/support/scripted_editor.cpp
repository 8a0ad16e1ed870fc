#include "tests/support/scripted_editor.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 24));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

bool readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0;
}

}  // namespace

ScriptedEditor::ScriptedEditor(int port) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0) {
        ::close(listener_);
        listener_ = -1;
        return;
    }
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

ScriptedEditor::~ScriptedEditor() {
    drop();
    if (listener_ >= 0) ::close(listener_);
}

bool ScriptedEditor::accept(const Pump& pump, int pumps, const std::string& answer) {
    drop();
    for (int i = 0; i < pumps && client_ < 0; ++i) {
        if (readable(listener_)) client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client_ < 0) pump();
    }
    if (client_ < 0) return false;
    const int on = 1;
    setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    closedByDemo_ = false;
    received_.clear();
    tracks_.clear();
    rows_.clear();
    const std::string greeting = "hello, synctracker!";
    for (int i = 0; i < pumps && received_.size() < greeting.size(); ++i) {
        poll();
        if (received_.size() < greeting.size()) pump();
    }
    if (received_.size() < greeting.size() ||
        std::memcmp(received_.data(), greeting.data(), greeting.size()) != 0)
        return false;
    received_.erase(received_.begin(), received_.begin() + static_cast<long>(greeting.size()));
    sendBytes({answer.begin(), answer.end()});
    poll();
    return true;
}

void ScriptedEditor::poll() {
    while (client_ >= 0 && readable(client_)) {
        std::uint8_t block[4096];
        const ssize_t got = ::recv(client_, block, sizeof block, 0);
        if (got <= 0) {
            closedByDemo_ = true;
            ::close(client_);
            client_ = -1;
            break;
        }
        received_.insert(received_.end(), block, block + got);
    }
    // GET_TRACK (2, length, name) and SET_ROW (3, row) are all a demo sends.
    std::size_t done = 0;
    for (;;) {
        const std::size_t left = received_.size() - done;
        const std::uint8_t* p = received_.data() + done;
        if (left >= 5 && p[0] == 2 && left >= 5 + get32(p + 1)) {
            tracks_.emplace_back(reinterpret_cast<const char*>(p + 5), get32(p + 1));
            done += 5 + get32(p + 1);
        } else if (left >= 5 && p[0] == 3) {
            rows_.push_back(get32(p + 1));
            done += 5;
        } else {
            break;
        }
    }
    received_.erase(received_.begin(), received_.begin() + static_cast<long>(done));
}

bool ScriptedEditor::waitForTracks(std::size_t count, const Pump& pump, int pumps) {
    for (int i = 0; i < pumps && tracks_.size() < count; ++i) {
        poll();
        if (tracks_.size() < count) pump();
    }
    return tracks_.size() >= count;
}

bool ScriptedEditor::waitForRows(std::size_t count, const Pump& pump, int pumps) {
    for (int i = 0; i < pumps && rows_.size() < count; ++i) {
        poll();
        if (rows_.size() < count) pump();
    }
    return rows_.size() >= count;
}

void ScriptedEditor::setKey(std::uint32_t track, std::uint32_t row, float value,
                            std::uint8_t interpolation) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::vector<std::uint8_t> bytes{0};
    put32(bytes, track);
    put32(bytes, row);
    put32(bytes, bits);
    bytes.push_back(interpolation);
    sendBytes(bytes);
}

void ScriptedEditor::deleteKey(std::uint32_t track, std::uint32_t row) {
    std::vector<std::uint8_t> bytes{1};
    put32(bytes, track);
    put32(bytes, row);
    sendBytes(bytes);
}

void ScriptedEditor::setRow(std::uint32_t row) {
    std::vector<std::uint8_t> bytes{3};
    put32(bytes, row);
    sendBytes(bytes);
}

void ScriptedEditor::pause(bool paused) {
    sendBytes({4, static_cast<std::uint8_t>(paused ? 1 : 0)});
}

void ScriptedEditor::saveTracks() {
    sendBytes({5});
}

void ScriptedEditor::sendBytes(const std::vector<std::uint8_t>& bytes) {
    if (client_ >= 0) ::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void ScriptedEditor::drop() {
    if (client_ >= 0) ::close(client_);
    client_ = -1;
}
