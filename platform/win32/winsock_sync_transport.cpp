// The sync editor's connection on Winsock: a non-blocking TCP connection
// (FIONBIO) whose progress select() looks at with a zero timeout, so no call
// ever waits for the editor. Failures are told in the words the Linux build
// uses, so a maker reads the same line on either system.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "platform/socket_sync_transport.h"

namespace platform {
namespace {

// The reasons a maker meets, as the Linux build words them; others by number.
std::string reasonFor(int code) {
    switch (code) {
        case WSAECONNREFUSED:
            return "Connection refused";
        case WSAENETUNREACH:
            return "Network is unreachable";
        case WSAEHOSTUNREACH:
            return "No route to host";
        case WSAECONNRESET:
            return "Connection reset by peer";
        case WSAECONNABORTED:
            return "Software caused connection abort";
        case WSAETIMEDOUT:
            return "Connection timed out";
        case WSAENETDOWN:
            return "Network is down";
        case WSAEADDRNOTAVAIL:
            return "Cannot assign requested address";
        case WSAHOST_NOT_FOUND:
            return "Name or service not known";
        case WSATRY_AGAIN:
            return "Temporary failure in name resolution";
        case WSANO_DATA:
            return "No address associated with hostname";
        default:
            return "Winsock error " + std::to_string(code);
    }
}

class WinsockSyncTransport : public SocketSyncTransport {
  public:
    WinsockSyncTransport() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }

    ~WinsockSyncTransport() override {
        close();
        if (started_) WSACleanup();
    }

    bool resolve(const std::string& host, int port, std::string& error) override {
        if (!started_) {
            error = "Winsock did not start";
            return false;
        }
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(port);
        const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        if (status != 0 || found == nullptr) {
            error = "cannot find " + host + ": " + reasonFor(status);
            return false;
        }
        std::memcpy(&address_, found->ai_addr, found->ai_addrlen);
        addressLength_ = static_cast<int>(found->ai_addrlen);
        family_ = found->ai_family;
        freeaddrinfo(found);
        return true;
    }

    void open() override {
        close();
        reason_.clear();
        if (addressLength_ == 0) return fail("no address");
        socket_ = ::socket(family_, SOCK_STREAM, IPPROTO_TCP);
        if (socket_ == INVALID_SOCKET) return fail(reasonFor(WSAGetLastError()));
        u_long nonBlocking = 1;
        if (ioctlsocket(socket_, FIONBIO, &nonBlocking) != 0)
            return fail(reasonFor(WSAGetLastError()));
        // Small messages go out at once instead of waiting to be gathered.
        const BOOL on = TRUE;
        setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
                   sizeof on);
        if (::connect(socket_, reinterpret_cast<const sockaddr*>(&address_), addressLength_) == 0) {
            state_ = State::Open;
            return;
        }
        const int code = WSAGetLastError();
        if (code == WSAEWOULDBLOCK || code == WSAEINPROGRESS) {
            state_ = State::Connecting;
        } else {
            fail(reasonFor(code));
        }
    }

  private:
    void closeSocket() override {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

    // Windows tells a connection that failed in the exception set, one that
    // is made in the write set.
    void finishConnecting() override {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket_, &writable);
        FD_SET(socket_, &failed);
        timeval now{0, 0};
        const int ready = ::select(0, nullptr, &writable, &failed, &now);
        if (ready == SOCKET_ERROR) return fail(reasonFor(WSAGetLastError()));
        if (ready == 0) return;  // not yet
        int problem = 0;
        int length = sizeof problem;
        char* into = reinterpret_cast<char*>(&problem);
        if (getsockopt(socket_, SOL_SOCKET, SO_ERROR, into, &length) != 0)
            problem = WSAGetLastError();
        if (problem == 0 && FD_ISSET(socket_, &failed)) problem = WSAECONNREFUSED;
        if (problem != 0) return fail(reasonFor(problem));
        state_ = State::Open;
    }

    void flush() override {
        while (!outgoing_.empty()) {
            const int sent = ::send(socket_, reinterpret_cast<const char*>(outgoing_.data()),
                                    static_cast<int>(outgoing_.size()), 0);
            if (sent == SOCKET_ERROR) {
                const int code = WSAGetLastError();
                if (code == WSAEWOULDBLOCK || code == WSAEINTR) return;
                return fail(reasonFor(code));
            }
            outgoing_.erase(outgoing_.begin(), outgoing_.begin() + sent);
        }
    }

    void drain() override {
        char block[65536];
        for (int reads = 0; reads < 16; ++reads) {
            const int got = ::recv(socket_, block, sizeof block, 0);
            if (got > 0) {
                incoming_.insert(incoming_.end(), block, block + got);
                continue;
            }
            if (got == 0) return fail("the editor closed the connection");
            const int code = WSAGetLastError();
            if (code == WSAEWOULDBLOCK) return;
            if (code == WSAEINTR) continue;
            return fail(reasonFor(code));
        }
    }

    bool started_ = false;
    sockaddr_storage address_{};
    int addressLength_ = 0;
    int family_ = AF_INET;
    SOCKET socket_ = INVALID_SOCKET;
};

}  // namespace

std::unique_ptr<SyncTransport> makeSyncTransport() {
    return std::make_unique<WinsockSyncTransport>();
}

}  // namespace platform
