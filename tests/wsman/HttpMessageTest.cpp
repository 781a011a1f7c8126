#include <gtest/gtest.h>

#include <string>

#include "platform/wsman/HttpMessage.h"

namespace veskin {
namespace {

using Result = HttpResponseParser::Result;

// Feeds text one byte at a time; the result after the last byte, and where Done came.
Result FeedBytewise(HttpResponseParser& parser, const std::string& text, std::size_t& doneAt) {
    Result result = Result::NeedMore;
    doneAt = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        result = parser.Feed(std::string_view(text).substr(i, 1));
        if (result != Result::NeedMore) {
            doneAt = i + 1;
            break;
        }
    }
    return result;
}

TEST(HttpMessageTest, ContentLengthBodyInAnySplitEndsExactlyAtItsLastByte) {
    const std::string text =
        "HTTP/1.1 500 Internal Server Error\r\nContent-Type: application/soap+xml;charset=UTF-8\r\n"
        "content-length: 11\r\nX-Empty:\r\n\r\n<s:Fault/>\n";
    HttpResponseParser bytewise;
    std::size_t doneAt = 0;
    ASSERT_EQ(FeedBytewise(bytewise, text, doneAt), Result::Done);
    EXPECT_EQ(doneAt, text.size());
    for (std::size_t split = 0; split <= text.size(); ++split) {
        HttpResponseParser parser;
        Result first = parser.Feed(std::string_view(text).substr(0, split));
        Result result = first == Result::Done ? first : parser.Feed(std::string_view(text).substr(split));
        ASSERT_EQ(result, Result::Done) << split;
        const HttpResponse& response = parser.Response();
        EXPECT_EQ(response.Status, 500);
        EXPECT_EQ(response.Reason, "Internal Server Error");
        EXPECT_EQ(response.Body, "<s:Fault/>\n");
        EXPECT_EQ(response.Header("CONTENT-TYPE"), "application/soap+xml;charset=UTF-8");
        EXPECT_EQ(response.Header("x-empty"), "");
        EXPECT_TRUE(parser.KeepAlive());
    }
}

TEST(HttpMessageTest, ChunkedBodyWithExtensionsAndTrailersAfterAnInterimAnswer) {
    const std::string text =
        "HTTP/1.1 100 Continue\r\n\r\n"
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
        "5;name=value\r\nHello\r\n19\r\n, a chunk of twenty-five!\r\n0\r\nX-Trailer: 1\r\n\r\nNEXT";
    HttpResponseParser parser;
    std::size_t doneAt = 0;
    ASSERT_EQ(FeedBytewise(parser, text, doneAt), Result::Done);
    EXPECT_EQ(doneAt, text.size() - 4);
    EXPECT_EQ(parser.Response().Status, 200);
    EXPECT_EQ(parser.Response().Body, "Hello, a chunk of twenty-five!");
    EXPECT_FALSE(parser.KeepAlive());

    HttpResponseParser whole;
    ASSERT_EQ(whole.Feed(text), Result::Done);
    EXPECT_EQ(whole.Response().Body, "Hello, a chunk of twenty-five!");
    EXPECT_EQ(whole.Pending(), "NEXT");
}

TEST(HttpMessageTest, BodiesSplitAnywhereLeaveTheNextResponseUnreadAndReuseAGivenBuffer) {
    const std::string sized = "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\n<a>body</a>\nHTTP/1.1 2";
    const std::string chunked =
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\n<a>b\r\n8\r\nody</a>\n\r\n0\r\n\r\nHTTP/1.1 2";
    for (const std::string& text : {sized, chunked}) {
        for (std::size_t first = 0; first <= text.size(); ++first) {
            for (std::size_t second = first; second <= text.size(); second += 7) {
                HttpResponseParser parser;
                parser.ReuseBody(std::string("left over from the last answer"));
                Result result = Result::NeedMore;
                std::size_t fed = 0;
                for (const std::size_t end : {first, second, text.size()}) {
                    if (result != Result::NeedMore) break;
                    result = parser.Feed(std::string_view(text).substr(fed, end - fed));
                    fed = end;
                }
                ASSERT_EQ(result, Result::Done) << first << " " << second;
                EXPECT_EQ(parser.Response().Body, "<a>body</a>\n") << first << " " << second;
                // The bytes fed after the answer's end are left for the next one.
                const std::size_t answerEnd = text.size() - 10;
                EXPECT_EQ(parser.Pending(), text.substr(answerEnd, fed - answerEnd)) << first << " " << second;
            }
        }
    }
}

TEST(HttpMessageTest, ConnectionRulesAndBodiesToTheEndOfTheConnection) {
    HttpResponseParser http10;
    ASSERT_EQ(http10.Feed("HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 0\r\n\r\n"), Result::Done);
    EXPECT_TRUE(http10.KeepAlive());

    HttpResponseParser toEof;
    EXPECT_EQ(toEof.Feed("HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\nnot "), Result::NeedMore);
    EXPECT_EQ(toEof.Feed("here"), Result::NeedMore);
    ASSERT_EQ(toEof.FinishAtEof(), Result::Done);
    EXPECT_EQ(toEof.Response().Body, "not here");
    EXPECT_FALSE(toEof.KeepAlive());

    HttpResponseParser noBody;
    ASSERT_EQ(noBody.Feed("HTTP/1.1 204 No Content\r\n\r\n"), Result::Done);
    EXPECT_TRUE(noBody.Response().Body.empty());

    HttpResponseParser nothing;
    EXPECT_FALSE(nothing.Started());
    EXPECT_EQ(nothing.FinishAtEof(), Result::Error);
}

TEST(HttpMessageTest, MalformedResponsesAreErrors) {
    const char* texts[] = {
        "HTTP/2 200 OK\r\n\r\n",
        "HTTP/1.1 2000 OK\r\n\r\n",
        "HTTP/1.1 099 Low\r\n\r\n",
        "SSH-2.0-OpenSSH\r\n\r\n",
        "HTTP/1.1 200 OK\r\nNo colon here\r\n\r\n",
        "HTTP/1.1 200 OK\r\nBad Name: x\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\nabc",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFF\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabc\r\n0\r\n\r\n",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        HttpResponseParser parser;
        EXPECT_EQ(parser.Feed(text), Result::Error);
        EXPECT_FALSE(parser.ErrorText().empty());
        EXPECT_EQ(parser.Feed("more"), Result::Error);
    }

    HttpResponseParser truncated;
    EXPECT_EQ(truncated.Feed("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"), Result::NeedMore);
    EXPECT_EQ(truncated.FinishAtEof(), Result::Error);

    HttpResponseParser endless;
    const std::string header = "HTTP/1.1 200 OK\r\nX: " + std::string(HttpResponseParser::MaxHeaderBytes, 'a');
    EXPECT_EQ(endless.Feed(header), Result::Error);
}

TEST(HttpMessageTest, RequestCarriesItsLength) {
    const std::string request =
        BuildHttpRequest("POST", "/wsman", {{"Host", "h:5985"}, {"User-Agent", "Veskin"}}, "<body/>");
    EXPECT_EQ(request,
              "POST /wsman HTTP/1.1\r\nHost: h:5985\r\nUser-Agent: Veskin\r\nContent-Length: 7\r\n\r\n<body/>");
}

}  // namespace
}  // namespace veskin
