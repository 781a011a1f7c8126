// libFuzzer target for the multipart/encrypted framing: any body under any boundary
// must decode without crashing, with views inside the body; a frame that decodes must
// come back the same after encoding it again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/wsman/EncryptedBody.h"

using namespace veskin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first line is the Content-Type header, the rest the body.
    const std::size_t newline = input.find('\n');
    const std::string_view type = newline == std::string_view::npos ? input : input.substr(0, newline);
    const std::string_view body = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    EncryptedFrame frame;
    std::string error;
    if (!DecodeEncryptedBody(type, body, frame, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    const auto inside = [&](std::string_view part) {
        return part.empty() || (part.data() >= body.data() && part.data() + part.size() <= body.data() + body.size());
    };
    if (!inside(frame.Header) || !inside(frame.Sealed)) std::abort();

    const std::string again = EncodeEncryptedBody(frame.Protocol, frame.Length, frame.Header, frame.Sealed);
    EncryptedFrame second;
    if (!DecodeEncryptedBody(EncryptedContentType(frame.Protocol), again, second, error)) std::abort();
    if (second.Header != frame.Header || second.Sealed != frame.Sealed || second.Length != frame.Length) std::abort();
    return 0;
}
