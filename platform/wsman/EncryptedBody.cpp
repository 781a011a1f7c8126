#include "platform/wsman/EncryptedBody.h"

#include <cctype>
#include <cstdint>

#include "platform/wsman/WsmanText.h"
#include "rtl/TextFold.h"

namespace veskin {

namespace {

constexpr std::string_view Boundary = "Encrypted Boundary";
constexpr std::string_view OctetStream = "application/octet-stream";

// The value of a parameter of a header value ("boundary" in 'a/b;boundary="x"'), unquoted.
std::string Parameter(std::string_view value, std::string_view name) {
    std::size_t at = 0;
    while ((at = value.find(';', at)) != std::string_view::npos) {
        ++at;
        std::string_view rest = TrimXml(value.substr(at));
        if (rest.size() <= name.size() || !SameText(rest.substr(0, name.size()), name)) continue;
        rest = TrimXml(rest.substr(name.size()));
        if (rest.empty() || rest.front() != '=') continue;
        rest = TrimXml(rest.substr(1));
        if (!rest.empty() && rest.front() == '"') {
            const std::size_t end = rest.find('"', 1);
            return std::string(rest.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1));
        }
        return std::string(rest.substr(0, rest.find(';')));
    }
    return {};
}

// Reads "Name: value" lines (each may start with white space) up to the next line that
// opens with "--"; at moves past them.
bool HeaderLine(std::string_view body, std::size_t& at, std::string_view& name, std::string_view& value) {
    if (body.compare(at, 2, "--") == 0) return false;
    const std::size_t end = body.find("\r\n", at);
    if (end == std::string_view::npos) return false;
    const std::string_view line = TrimXml(body.substr(at, end - at));
    for (const char c : line)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return false;  // no header carries control characters
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    name = TrimXml(line.substr(0, colon));
    value = TrimXml(line.substr(colon + 1));
    at = end + 2;
    return true;
}

}  // namespace

bool IsEncryptedContentType(std::string_view contentType) {
    return contentType.size() >= 19 && SameText(contentType.substr(0, 19), "multipart/encrypted");
}

std::string EncryptedContentType(std::string_view protocol) {
    std::string type = "multipart/encrypted;protocol=\"";
    type += protocol;
    type += "\";boundary=\"";
    type += Boundary;
    type += '"';
    return type;
}

std::string EncodeEncryptedBody(std::string_view protocol, std::size_t plainLength, std::string_view header,
                                std::string_view sealed) {
    std::string body;
    body.reserve(header.size() + sealed.size() + 256);
    body += "--";
    body += Boundary;
    body += "\r\n\tContent-Type: ";
    body += protocol;
    body += "\r\n\tOriginalContent: type=application/soap+xml;charset=UTF-8;Length=";
    body += std::to_string(plainLength);
    body += "\r\n--";
    body += Boundary;
    body += "\r\n\tContent-Type: ";
    body += OctetStream;
    body += "\r\n";
    const auto length = static_cast<std::uint32_t>(header.size());
    for (int shift = 0; shift < 32; shift += 8) body += static_cast<char>((length >> shift) & 0xFF);
    body += header;
    body += sealed;
    body += "--";
    body += Boundary;
    body += "--\r\n";
    return body;
}

bool DecodeEncryptedBody(std::string_view contentType, std::string_view body, EncryptedFrame& frame,
                         std::string& error) {
    frame = EncryptedFrame();
    if (!IsEncryptedContentType(contentType)) {
        error = "the answer is not encrypted (Content-Type " + std::string(contentType) + ")";
        return false;
    }
    const std::string boundary = Parameter(contentType, "boundary");
    if (boundary.empty()) {
        error = "the encrypted answer names no boundary";
        return false;
    }
    std::string open = "--";
    open += boundary;
    open += "\r\n";
    if (body.substr(0, open.size()) != open) {
        error = "the encrypted answer does not start with its boundary";
        return false;
    }
    std::size_t at = open.size();
    std::string_view name, value;
    bool haveLength = false;
    while (HeaderLine(body, at, name, value)) {
        if (SameText(name, "Content-Type")) frame.Protocol = std::string(value);
        if (!SameText(name, "OriginalContent")) continue;
        std::string parameters = ";";  // appended: GCC 12 at -O3 reports a false overlap for ";" + text
        parameters += value;
        const std::string length = Parameter(parameters, "Length");
        std::uint64_t parsed = 0;
        if (!ParseXsUInt64(length, parsed) || parsed > body.size() * 4 + 65536) {
            error = "the encrypted answer declares no valid length";
            return false;
        }
        frame.Length = static_cast<std::size_t>(parsed);
        haveLength = true;
    }
    if (!haveLength || frame.Protocol.empty()) {
        error = "the encrypted answer lacks its OriginalContent or Content-Type";
        return false;
    }
    for (const char c : frame.Protocol)
        if (!std::isalnum(static_cast<unsigned char>(c)) && std::string_view("!#$&^_.+-/").find(c) == std::string_view::npos) {
            error = "the encrypted answer's protocol is no media type";
            return false;
        }
    if (body.substr(at, open.size()) != open) {
        error = "the encrypted answer has no second part";
        return false;
    }
    at += open.size();
    if (!HeaderLine(body, at, name, value) || !SameText(name, "Content-Type") || !SameText(value, OctetStream)) {
        error = "the encrypted part is not application/octet-stream";
        return false;
    }
    std::string close = "--";
    close += boundary;
    close += "--";
    const std::size_t end = body.rfind(close);
    if (end == std::string_view::npos || end < at + 4) {
        error = "the encrypted answer is cut short";
        return false;
    }
    const std::string_view data = body.substr(at, end - at);
    std::uint32_t headerLength = 0;
    for (int i = 0; i < 4; ++i) headerLength |= std::uint32_t(static_cast<unsigned char>(data[i])) << (8 * i);
    if (headerLength > data.size() - 4) {
        error = "the encrypted answer's header is longer than the answer";
        return false;
    }
    frame.Header = data.substr(4, headerLength);
    frame.Sealed = data.substr(4 + headerLength);
    return true;
}

}  // namespace veskin
