#pragma once
// HTTP/1.1 messages of the WS-Management client: the request text, and an incremental
// parser of the response (status line, headers, a body by Content-Length, chunked or up
// to the end of the connection) that accepts the bytes as they arrive.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/wsman/WsmanTransport.h"

namespace veskin {

// "POST path HTTP/1.1" with the headers given (each "Name: value") and the body;
// Content-Length is added.
std::string BuildHttpRequest(const std::string& method, const std::string& path,
                             const std::vector<std::pair<std::string, std::string>>& headers,
                             const std::string& body);

class HttpResponseParser {
public:
    enum class Result { NeedMore,
                        Done,
                        Error };

    // Limits that keep a hostile server from exhausting memory.
    static constexpr std::size_t MaxHeaderBytes = 64 * 1024;
    static constexpr std::size_t MaxBodyBytes = 256 * 1024 * 1024;

    // Gives the parser a buffer to hold the body in; its contents are dropped, its
    // capacity kept.
    void ReuseBody(std::string&& buffer) {
        FResponse.Body = std::move(buffer);
        FResponse.Body.clear();
    }
    // Takes the next bytes of the connection. Done once a whole response is there (1xx
    // interim responses are skipped); bytes after it are left unread in Pending().
    Result Feed(std::string_view data);
    // The connection ended: completes a body that runs to the end of the connection.
    Result FinishAtEof();

    // True once any byte has arrived.
    bool Started() const { return FStarted; }
    // Whether the connection may carry the next request (HTTP/1.1 without
    // "Connection: close", or HTTP/1.0 with "Connection: keep-alive").
    bool KeepAlive() const { return FKeepAlive; }
    const std::string& ErrorText() const { return FError; }
    HttpResponse& Response() { return FResponse; }
    std::string_view Pending() const { return std::string_view(FBuffer).substr(FPos); }

private:
    enum class Stage { StatusLine,
                       Headers,
                       Body,
                       ChunkSize,
                       ChunkData,
                       ChunkDataEnd,
                       Trailers,
                       ToEof,
                       Done,
                       Failed };

    Result Parse();
    bool ReadLine(std::string_view& line);
    bool ParseStatusLine(std::string_view line);
    bool ParseHeaderLine(std::string_view line);
    Result HeadersComplete();
    // Moves up to the rest of the body or chunk from bytes into the body, and on to the
    // next stage once it is complete; the count taken.
    std::size_t TakeBody(std::string_view bytes);
    Result Fail(std::string text);

    Stage FStage = Stage::StatusLine;
    std::string FBuffer;
    std::size_t FPos = 0;
    std::size_t FHeaderBytes = 0;
    std::size_t FRemaining = 0;  // of the body or the current chunk
    bool FStarted = false;
    bool FKeepAlive = true;
    bool FHttp10 = false;
    std::string FError;
    HttpResponse FResponse;
};

}  // namespace veskin
