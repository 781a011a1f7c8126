#include "platform/wsman/SocketConnection.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/ErrorDetail.h"
#include "platform/wsman/WsmanTransport.h"

namespace veskin {

int Deadline::RemainingMs() const {
    const auto left = FEnd - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

bool PollUntil(int fd, bool forWrite, const Deadline& deadline) {
    for (;;) {
        const int wait = deadline.RemainingMs();
        if (wait == 0) return false;
        pollfd entry{fd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
        const int ready = ::poll(&entry, 1, wait);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return true;  // the next call reports the error
    }
}

namespace {

// getaddrinfo has no time-out of its own: it runs on a helper thread that the caller
// waits for until the deadline. A late answer is dropped with the shared state.
struct Resolution {
    std::mutex Lock;
    std::condition_variable Ready;
    bool Done = false;
    int Status = 0;
    addrinfo* Result = nullptr;
    ~Resolution() {
        if (Result) freeaddrinfo(Result);
    }
};

// Our own status for "no answer in time" (getaddrinfo's codes are all negative).
constexpr int ResolveTimedOut = 1000;

int Resolve(const std::string& host, std::uint16_t port, const Deadline& deadline,
            std::shared_ptr<Resolution>& out) {
    auto state = std::make_shared<Resolution>();
    std::thread([state, host, service = std::to_string(port)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
        addrinfo* result = nullptr;
        const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
        std::lock_guard<std::mutex> guard(state->Lock);
        state->Status = status;
        state->Result = result;
        state->Done = true;
        state->Ready.notify_all();
    }).detach();
    std::unique_lock<std::mutex> guard(state->Lock);
    if (!state->Ready.wait_for(guard, std::chrono::milliseconds(deadline.RemainingMs()),
                               [&] { return state->Done; }))
        return ResolveTimedOut;
    out = state;
    return state->Status;
}

// Resolve's failures as the client reports them.
HRESULT ResolveFailure(int status, const std::string& host) {
    if (status == ResolveTimedOut) {
        SetErrorDetail(WSMAN_E_NETWORK_TIMEOUT, "the name " + host + " was not resolved in time");
        return WSMAN_E_NETWORK_TIMEOUT;
    }
    SetErrorDetail(WSMAN_E_NAME_NOT_RESOLVED, "the name " + host + " cannot be resolved (" + gai_strerror(status) + ")");
    return WSMAN_E_NAME_NOT_RESOLVED;
}

}  // namespace

HRESULT ResolveAddresses(const std::string& host, std::uint16_t port, const Deadline& deadline,
                         std::vector<std::string>& addresses) {
    addresses.clear();
    std::shared_ptr<Resolution> resolved;
    const int status = Resolve(host, port, deadline, resolved);
    if (status != 0 || !resolved->Result) return ResolveFailure(status, host);
    for (const addrinfo* ai = resolved->Result; ai; ai = ai->ai_next) {
        char text[NI_MAXHOST] = {};
        if (getnameinfo(ai->ai_addr, ai->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) == 0)
            addresses.emplace_back(text);
    }
    return S_OK;
}

SocketConnection::~SocketConnection() {
    if (FFd >= 0) ::close(FFd);
}

HRESULT SocketConnection::Connect(const std::string& host, std::uint16_t port, const Deadline& deadline) {
    std::shared_ptr<Resolution> resolved;
    const int status = Resolve(host, port, deadline, resolved);
    if (status != 0 || !resolved->Result) return ResolveFailure(status, host);

    bool timedOut = false;
    std::string lastError = "no address";
    for (const addrinfo* ai = resolved->Result; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            lastError = std::strerror(errno);
            continue;
        }
        int error = 0;
        if (::connect(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                if (!PollUntil(fd, true, deadline)) {
                    ::close(fd);
                    timedOut = true;
                    break;
                }
                socklen_t length = sizeof error;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
            }
        }
        if (error == 0) {
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            FFd = fd;
            return S_OK;
        }
        ::close(fd);
        lastError = std::strerror(error);
    }
    const std::string where = host + " port " + std::to_string(port);
    if (timedOut) {
        SetErrorDetail(WSMAN_E_NETWORK_TIMEOUT, "no connection to " + where + " within the time allowed");
        return WSMAN_E_NETWORK_TIMEOUT;
    }
    SetErrorDetail(WSMAN_E_CONNECTION_REFUSED, "cannot connect to " + where + ": " + lastError);
    return WSMAN_E_CONNECTION_REFUSED;
}

IoStatus SocketConnection::WriteAll(const std::string& data, const Deadline& deadline) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(FFd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n >= 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!PollUntil(FFd, true, deadline)) return IoStatus::TimedOut;
            continue;
        }
        FError = std::strerror(errno);
        return errno == EPIPE || errno == ECONNRESET ? IoStatus::Closed : IoStatus::Failed;
    }
    return IoStatus::Ok;
}

IoStatus SocketConnection::ReadSome(char* buffer, std::size_t size, std::size_t& got, const Deadline& deadline) {
    got = 0;
    for (;;) {
        const ssize_t n = ::recv(FFd, buffer, size, 0);
        if (n > 0) {
            got = static_cast<std::size_t>(n);
            return IoStatus::Ok;
        }
        if (n == 0) return IoStatus::Closed;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!PollUntil(FFd, false, deadline)) return IoStatus::TimedOut;
            continue;
        }
        FError = std::strerror(errno);
        return errno == ECONNRESET ? IoStatus::Closed : IoStatus::Failed;
    }
}

bool SocketConnection::IdleBroken() {
    pollfd entry{FFd, POLLIN, 0};
    return ::poll(&entry, 1, 0) != 0;
}

}  // namespace veskin
