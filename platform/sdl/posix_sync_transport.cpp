// The sync editor's connection on POSIX sockets: a non-blocking TCP
// connection whose progress is polled with a zero timeout, so no call ever
// waits for the editor.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/socket_sync_transport.h"

namespace platform {
namespace {

class PosixSyncTransport : public SocketSyncTransport {
  public:
    ~PosixSyncTransport() override { close(); }

    bool resolve(const std::string& host, int port, std::string& error) override {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(port);
        const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        if (status != 0 || found == nullptr) {
            error = "cannot find " + host + ": " + gai_strerror(status);
            return false;
        }
        std::memcpy(&address_, found->ai_addr, found->ai_addrlen);
        addressLength_ = found->ai_addrlen;
        family_ = found->ai_family;
        freeaddrinfo(found);
        return true;
    }

    void open() override {
        close();
        reason_.clear();
        if (addressLength_ == 0) return fail("no address");
        socket_ = ::socket(family_, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (socket_ < 0) return fail(std::strerror(errno));
        // Small messages go out at once instead of waiting to be gathered.
        const int on = 1;
        setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (::connect(socket_, reinterpret_cast<const sockaddr*>(&address_), addressLength_) == 0) {
            state_ = State::Open;
        } else if (errno == EINPROGRESS) {
            state_ = State::Connecting;
        } else {
            fail(std::strerror(errno));
        }
    }

  private:
    void closeSocket() override {
        if (socket_ >= 0) ::close(socket_);
        socket_ = -1;
    }

    void finishConnecting() override {
        pollfd entry{socket_, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, 0);
        if (ready < 0) return fail(std::strerror(errno));
        if (ready == 0) return;  // not yet
        int problem = 0;
        socklen_t length = sizeof problem;
        if (getsockopt(socket_, SOL_SOCKET, SO_ERROR, &problem, &length) != 0) problem = errno;
        if (problem != 0) return fail(std::strerror(problem));
        state_ = State::Open;
    }

    void flush() override {
        while (!outgoing_.empty()) {
            const ssize_t sent =
                ::send(socket_, outgoing_.data(), outgoing_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
                return fail(std::strerror(errno));
            }
            outgoing_.erase(outgoing_.begin(), outgoing_.begin() + sent);
        }
    }

    void drain() override {
        std::uint8_t block[65536];
        for (int reads = 0; reads < 16; ++reads) {
            const ssize_t got = ::recv(socket_, block, sizeof block, MSG_DONTWAIT);
            if (got > 0) {
                incoming_.insert(incoming_.end(), block, block + got);
                continue;
            }
            if (got == 0) return fail("the editor closed the connection");
            if (errno == EAGAIN || errno == EWOULDBLOCK) return;
            if (errno == EINTR) continue;
            return fail(std::strerror(errno));
        }
    }

    sockaddr_storage address_{};
    socklen_t addressLength_ = 0;
    int family_ = AF_INET;
    int socket_ = -1;
};

}  // namespace

std::unique_ptr<SyncTransport> makeSyncTransport() {
    return std::make_unique<PosixSyncTransport>();
}

}  // namespace platform
