#include "platform/wsman/HttpMessage.h"

#include <algorithm>
#include <cctype>

#include "rtl/TextFold.h"

namespace veskin {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// True when the comma-separated list of tokens holds token.
bool HasToken(std::string_view list, std::string_view token) {
    while (!list.empty()) {
        const auto comma = list.find(',');
        if (SameText(Trim(list.substr(0, comma)), token)) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

bool ParseDecimal(std::string_view text, std::size_t& value) {
    text = Trim(text);
    if (text.empty() || text.size() > 18) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return true;
}

bool ParseHex(std::string_view text, std::size_t& value) {
    text = Trim(text.substr(0, text.find(';')));  // chunk extensions are ignored
    if (text.empty() || text.size() > 15) return false;
    value = 0;
    for (char c : text) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                      : -1;
        if (digit < 0) return false;
        value = value * 16 + static_cast<std::size_t>(digit);
    }
    return true;
}

}  // namespace

bool HttpResponse::IsSoap() const {
    const std::string type = Header("Content-Type");
    return !Body.empty() && type.size() >= 20 && SameText(type.substr(0, 20), "application/soap+xml");
}

std::string HttpResponse::Header(const std::string& name) const {
    for (const auto& [key, value] : Headers)
        if (SameText(key, name)) return value;
    return std::string();
}

std::string BuildHttpRequest(const std::string& method, const std::string& path,
                             const std::vector<std::pair<std::string, std::string>>& headers,
                             const std::string& body) {
    std::string text = method + " " + path + " HTTP/1.1\r\n";
    for (const auto& [name, value] : headers) text += name + ": " + value + "\r\n";
    text += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    text += body;
    return text;
}

HttpResponseParser::Result HttpResponseParser::Feed(std::string_view data) {
    if (FStage == Stage::Failed) return Result::Error;
    if (!data.empty()) FStarted = true;
    // Drop what has been parsed before appending, so the buffer stays small.
    if (FPos > 0) {
        FBuffer.erase(0, FPos);
        FPos = 0;
    }
    // Inside a body with nothing left over, the bytes go straight into the body rather
    // than through the buffer.
    if ((FStage == Stage::Body || FStage == Stage::ChunkData) && FBuffer.empty()) {
        data.remove_prefix(TakeBody(data));
        if (FStage == Stage::Done) {
            FBuffer.append(data);  // bytes after the response stay unread
            return Result::Done;
        }
    }
    FBuffer.append(data);
    return Parse();
}

std::size_t HttpResponseParser::TakeBody(std::string_view bytes) {
    const std::size_t take = std::min(FRemaining, bytes.size());
    FResponse.Body.append(bytes.data(), take);
    FRemaining -= take;
    if (FRemaining == 0) FStage = FStage == Stage::Body ? Stage::Done : Stage::ChunkDataEnd;
    return take;
}

HttpResponseParser::Result HttpResponseParser::FinishAtEof() {
    if (FStage == Stage::ToEof) {
        FStage = Stage::Done;
        FKeepAlive = false;
        return Result::Done;
    }
    if (FStage == Stage::Done) return Result::Done;
    return Fail(FStarted ? "the connection ended inside the response" : "the connection ended before any response");
}

HttpResponseParser::Result HttpResponseParser::Fail(std::string text) {
    FStage = Stage::Failed;
    FError = std::move(text);
    return Result::Error;
}

bool HttpResponseParser::ReadLine(std::string_view& line) {
    const auto end = FBuffer.find('\n', FPos);
    if (end == std::string::npos) return false;
    line = std::string_view(FBuffer).substr(FPos, end - FPos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    FPos = end + 1;
    return true;
}

bool HttpResponseParser::ParseStatusLine(std::string_view line) {
    // "HTTP/1.1 200 OK"
    if (line.size() < 12 || line.substr(0, 5) != "HTTP/" || line[8] != ' ') return false;
    const std::string_view version = line.substr(5, 3);
    if (version != "1.1" && version != "1.0") return false;
    int status = 0;
    for (std::size_t i = 9; i < 12; ++i) {
        if (line[i] < '0' || line[i] > '9') return false;
        status = status * 10 + (line[i] - '0');
    }
    if (status < 100 || (line.size() > 12 && line[12] != ' ')) return false;
    FHttp10 = version == "1.0";
    FKeepAlive = !FHttp10;
    FResponse = HttpResponse();
    FResponse.Status = status;
    if (line.size() > 13) FResponse.Reason = std::string(line.substr(13));
    return true;
}

bool HttpResponseParser::ParseHeaderLine(std::string_view line) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    const std::string_view name = line.substr(0, colon);
    for (char c : name)
        if (c == ' ' || c == '\t') return false;
    FResponse.Headers.emplace_back(std::string(name), std::string(Trim(line.substr(colon + 1))));
    return true;
}

HttpResponseParser::Result HttpResponseParser::HeadersComplete() {
    const std::string connection = FResponse.Header("Connection");
    if (HasToken(connection, "close")) FKeepAlive = false;
    else if (FHttp10 && HasToken(connection, "keep-alive")) FKeepAlive = true;

    const int status = FResponse.Status;
    if (status < 200) {  // an interim answer: the real one follows
        FStage = Stage::StatusLine;
        FHeaderBytes = 0;
        return Parse();
    }
    if (status == 204 || status == 304) {
        FStage = Stage::Done;
        return Result::Done;
    }
    const std::string encoding = FResponse.Header("Transfer-Encoding");
    if (!encoding.empty()) {
        if (!SameText(Trim(encoding), "chunked")) return Fail("unsupported Transfer-Encoding: " + encoding);
        FStage = Stage::ChunkSize;
        return Parse();
    }
    bool lengthSeen = false;
    for (const auto& [name, value] : FResponse.Headers) {
        if (!SameText(name, "Content-Length")) continue;
        std::size_t length = 0;
        if (!ParseDecimal(value, length)) return Fail("bad Content-Length: " + value);
        if (lengthSeen && length != FRemaining) return Fail("conflicting Content-Length headers");
        FRemaining = length;
        lengthSeen = true;
    }
    if (lengthSeen) {
        if (FRemaining > MaxBodyBytes) return Fail("the response body is too large");
        FResponse.Body.reserve(FRemaining);  // one allocation, no copies while it grows
        FStage = Stage::Body;
    } else {
        FStage = Stage::ToEof;
        FKeepAlive = false;
    }
    return Parse();
}

HttpResponseParser::Result HttpResponseParser::Parse() {
    std::string_view line;
    for (;;) {
        switch (FStage) {
            case Stage::StatusLine:
            case Stage::Headers: {
                const std::size_t before = FPos;
                if (!ReadLine(line)) {
                    if (FHeaderBytes + FBuffer.size() - FPos > MaxHeaderBytes)
                        return Fail("the response headers are too long");
                    return Result::NeedMore;
                }
                FHeaderBytes += FPos - before;
                if (FHeaderBytes > MaxHeaderBytes) return Fail("the response headers are too long");
                if (FStage == Stage::StatusLine) {
                    if (!ParseStatusLine(line)) return Fail("not an HTTP response");
                    FStage = Stage::Headers;
                } else if (line.empty()) {
                    return HeadersComplete();
                } else if (!ParseHeaderLine(line)) {
                    return Fail("malformed header line");
                }
                break;
            }
            case Stage::Body:
            case Stage::ChunkData:
                FPos += TakeBody(std::string_view(FBuffer).substr(FPos));
                if (FStage == Stage::Done) return Result::Done;
                if (FRemaining > 0) return Result::NeedMore;
                break;
            case Stage::ChunkSize:
                if (!ReadLine(line)) {
                    if (FBuffer.size() - FPos > 1024) return Fail("malformed chunk size");
                    return Result::NeedMore;
                }
                if (!ParseHex(line, FRemaining)) return Fail("malformed chunk size");
                if (FRemaining > MaxBodyBytes - FResponse.Body.size()) return Fail("the response body is too large");
                FStage = FRemaining == 0 ? Stage::Trailers : Stage::ChunkData;
                break;
            case Stage::ChunkDataEnd:
                if (!ReadLine(line)) {
                    if (FBuffer.size() - FPos >= 2) return Fail("chunk without its line end");
                    return Result::NeedMore;
                }
                if (!line.empty()) return Fail("chunk longer than its size");
                FStage = Stage::ChunkSize;
                break;
            case Stage::Trailers:
                if (!ReadLine(line)) {
                    if (FBuffer.size() - FPos > MaxHeaderBytes) return Fail("the trailers are too long");
                    return Result::NeedMore;
                }
                if (line.empty()) {
                    FStage = Stage::Done;
                    return Result::Done;
                }
                break;
            case Stage::ToEof:
                FResponse.Body.append(FBuffer, FPos, std::string::npos);
                FPos = FBuffer.size();
                if (FResponse.Body.size() > MaxBodyBytes) return Fail("the response body is too large");
                return Result::NeedMore;
            case Stage::Done:
                return Result::Done;
            case Stage::Failed:
                return Result::Error;
        }
    }
}

}  // namespace veskin
