#pragma once
// A connected byte stream (plain TCP or TLS over it) whose every wait ends at a deadline.
#include <chrono>
#include <cstddef>
#include <string>

namespace veskin {

class Deadline {
public:
    explicit Deadline(int milliseconds)
        : FEnd(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds)) {}
    // What is left, in whole milliseconds rounded up (0 once passed).
    int RemainingMs() const;
    bool Passed() const { return RemainingMs() == 0; }

private:
    std::chrono::steady_clock::time_point FEnd;
};

enum class IoStatus {
    Ok,
    Closed,    // the peer ended the connection (EOF, EPIPE or ECONNRESET)
    TimedOut,  // the deadline passed
    Failed,    // anything else; the stream's ErrorText says what
};

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Writes all of data.
    virtual IoStatus WriteAll(const std::string& data, const Deadline& deadline) = 0;
    // Reads what is available (at least one byte), up to size.
    virtual IoStatus ReadSome(char* buffer, std::size_t size, std::size_t& got, const Deadline& deadline) = 0;
    // True when the idle connection has something to read or was closed: a kept-alive
    // connection in that state cannot carry the next request.
    virtual bool IdleBroken() = 0;
    virtual std::string ErrorText() const = 0;
};

}  // namespace veskin
