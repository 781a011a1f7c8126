#include <gtest/gtest.h>

#include "platform/ErrorDetail.h"
#include "platform/wsman/WsmanTransport.h"
#include "tests/wsman/CodecFixtures.h"

namespace veskin {
namespace {

using testing::Fixture;

struct Fault {
    HRESULT Code = 0;
    std::string Message;
};

Fault Decode(const std::string& fixture) {
    Fault f;
    EXPECT_TRUE(DecodeWsmanFault(Fixture(fixture), f.Code, f.Message)) << fixture;
    return f;
}

TEST(WsmanFaults, WmiErrorCodeWinsOverWsmanFault) {
    Fault f = Decode("fault_wmierror.xml");
    EXPECT_EQ(f.Code, WBEM_E_INVALID_CLASS);
    EXPECT_EQ(f.Message, "Invalid class");
}

// A fault always fails: an error_Code that is no failure code gives way to the
// WSManFault's code (found by the fuzzer).
TEST(WsmanFaults, AFaultWhoseWmiCodeIsNoFailureStillFails) {
    std::string body = Fixture("fault_wmierror.xml");
    const auto at = body.find("2147749904");
    ASSERT_NE(at, std::string::npos);
    body.replace(at, 10, "1073874952");
    HRESULT code = S_OK;
    std::string message;
    ASSERT_TRUE(DecodeWsmanFault(body, code, message));
    EXPECT_TRUE(Failed(code));
}

TEST(WsmanFaults, OlderServersWsmanFaultWrappingAProviderFault) {
    Fault f = Decode("fault_wsmanfault.xml");
    EXPECT_EQ(f.Code, WSMAN_E_UNKNOWN_CLASS);
    EXPECT_EQ(f.Message, "The specified class does not exist in the given namespace.");
}

TEST(WsmanFaults, SubcodesGiveWinRMCodesAndTheReasonText) {
    struct Case {
        const char* File;
        HRESULT Code;
        const char* MessageStart;
    } cases[] = {
        {"fault_timedout.xml", WSMAN_E_OPERATION_TIMEOUT, "The WS-Management service cannot complete"},
        {"fault_invalid_context.xml", WSMAN_E_INVALID_ENUMERATION_CONTEXT, "The enumeration context"},
        {"fault_resource_uri.xml", WSMAN_E_INVALID_RESOURCE_URI, "The WS-Management service cannot process"},
        {"fault_quota.xml", WSMAN_E_QUOTA, "The WS-Management service cannot process"},
    };
    for (const Case& c : cases) {
        Fault f = Decode(c.File);
        EXPECT_EQ(f.Code, c.Code) << c.File;
        EXPECT_EQ(f.Message.rfind(c.MessageStart, 0), 0u) << c.File << ": " << f.Message;
    }
}

TEST(WsmanFaults, SmallWsmanFaultCodesAreWin32Errors) {
    std::string body = Fixture("fault_wsmanfault.xml");
    body.replace(body.find("Code=\"2150858778\""), 17, "Code=\"5\"");
    Fault f;
    ASSERT_TRUE(DecodeWsmanFault(body, f.Code, f.Message));
    EXPECT_EQ(f.Code, E_ACCESSDENIED);
}

TEST(WsmanFaults, DecodeFunctionsReturnTheCodeAndRecordTheText) {
    const std::string body = Fixture("fault_wmierror.xml");
    WsmanPage page;
    ClearErrorDetail();
    EXPECT_EQ(DecodeEnumerationResponse(body, testing::Context(nullptr), page), WBEM_E_INVALID_CLASS);
    EXPECT_EQ(TakeErrorDetail(WBEM_E_INVALID_CLASS), "Invalid class");
    WbemObjectPtr object;
    EXPECT_EQ(DecodeGetResponse(Fixture("fault_quota.xml"), testing::Context(nullptr), object), WSMAN_E_QUOTA);
    EXPECT_NE(TakeErrorDetail(WSMAN_E_QUOTA).find("15 concurrent operations"), std::string::npos);
    WbemClassPtr cls;
    EXPECT_EQ(DecodeClassSchema(Fixture("fault_resource_uri.xml"), cls), WSMAN_E_INVALID_RESOURCE_URI);
    EXPECT_FALSE(cls);
}

TEST(WsmanFaults, AnswersWithoutFaultAreNoFault) {
    HRESULT code = S_OK;
    std::string message;
    EXPECT_FALSE(DecodeWsmanFault(Fixture("pull_page.xml"), code, message));
    EXPECT_FALSE(DecodeWsmanFault("<html><body>Bad Request</body></html>", code, message));
    EXPECT_FALSE(DecodeWsmanFault("", code, message));
}

}  // namespace
}  // namespace veskin
