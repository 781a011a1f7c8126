// libFuzzer target for the HTTP response parser: any bytes, fed whole and in pieces
// whose sizes come from the input, must give the same result without crashing, and a
// finished response must keep the parser's own limits.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/wsman/HttpMessage.h"

using namespace veskin;

namespace {

HttpResponseParser::Result FeedAll(HttpResponseParser& parser, std::string_view data, std::size_t step) {
    auto result = HttpResponseParser::Result::NeedMore;
    while (!data.empty() && result == HttpResponseParser::Result::NeedMore) {
        const std::size_t take = std::min(step, data.size());
        result = parser.Feed(data.substr(0, take));
        data.remove_prefix(take);
    }
    if (result == HttpResponseParser::Result::NeedMore) result = parser.FinishAtEof();
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 262144) return 0;
    const std::size_t step = 1 + data[0] % 17;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    HttpResponseParser whole, pieces;
    const auto a = FeedAll(whole, text, text.size() + 1);
    const auto b = FeedAll(pieces, text, step);
    if (a != b) std::abort();
    if (a == HttpResponseParser::Result::Done) {
        if (whole.Response().Body != pieces.Response().Body) std::abort();
        if (whole.Response().Status < 200 || whole.Response().Status > 999) std::abort();
        if (whole.Response().Body.size() > HttpResponseParser::MaxBodyBytes) std::abort();
        (void)whole.Response().Header("Content-Type");
    }
    return 0;
}
