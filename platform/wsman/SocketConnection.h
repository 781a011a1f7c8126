#pragma once
// A TCP connection to host:port: name resolution and a non-blocking connect bounded by
// a deadline, then reads and writes that each wait at most until their deadline.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ComTypes.h"
#include "platform/wsman/ByteStream.h"

namespace veskin {

// Waits for fd to become readable (or writable) until the deadline; false on time-out.
bool PollUntil(int fd, bool forWrite, const Deadline& deadline);

// The addresses host resolves to, as text: S_OK, WSMAN_E_NAME_NOT_RESOLVED or
// WSMAN_E_NETWORK_TIMEOUT (the detail recorded through SetErrorDetail).
HRESULT ResolveAddresses(const std::string& host, std::uint16_t port, const Deadline& deadline,
                         std::vector<std::string>& addresses);

class SocketConnection : public ByteStream {
public:
    SocketConnection() = default;
    ~SocketConnection() override;
    SocketConnection(const SocketConnection&) = delete;
    SocketConnection& operator=(const SocketConnection&) = delete;

    // S_OK, WSMAN_E_NAME_NOT_RESOLVED, WSMAN_E_CONNECTION_REFUSED or
    // WSMAN_E_NETWORK_TIMEOUT (the detail recorded through SetErrorDetail).
    HRESULT Connect(const std::string& host, std::uint16_t port, const Deadline& deadline);
    int Fd() const { return FFd; }

    IoStatus WriteAll(const std::string& data, const Deadline& deadline) override;
    IoStatus ReadSome(char* buffer, std::size_t size, std::size_t& got, const Deadline& deadline) override;
    bool IdleBroken() override;
    std::string ErrorText() const override { return FError; }

private:
    int FFd = -1;
    std::string FError;
};

}  // namespace veskin
