#include <gtest/gtest.h>

#include "platform/SystemMessages.h"
#include "platform/wsman/WsmanTransport.h"

namespace veskin {
namespace {

TEST(WinrmMessagesTest, EveryClientCodeHasASystemText) {
    const HRESULT codes[] = {WSMAN_E_NAME_NOT_RESOLVED, WSMAN_E_CONNECTION_REFUSED, WSMAN_E_NETWORK_TIMEOUT,
                             WSMAN_E_TLS_FAILURE, WSMAN_E_HTTP_NOT_FOUND, WSMAN_E_HTTP_BAD_REQUEST,
                             WSMAN_E_HTTP_SERVER_ERROR, WSMAN_E_CANNOT_DECRYPT, WSMAN_E_KERBEROS_TO_ADDRESS,
                             WSMAN_E_UNENCRYPTED_REFUSED, WSMAN_E_OPERATION_TIMEOUT, WSMAN_E_INVALID_RESOURCE_URI,
                             WSMAN_E_INVALID_ENUMERATION_CONTEXT, WSMAN_E_QUOTA, WSMAN_E_UNKNOWN_CLASS};
    for (HRESULT code : codes) {
        SCOPED_TRACE(code);
        const std::string text = SystemMessageText(code);
        ASSERT_GT(text.size(), 3u);
        EXPECT_EQ(text.substr(text.size() - 3), ".\r\n");
    }
    EXPECT_EQ(SystemMessageText(WSMAN_E_NAME_NOT_RESOLVED),
              "The WinRM client cannot process the request because the server name cannot be resolved.\r\n");
    // Neighbours in the facility are still unknown.
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x80338001u)), "");
}

}  // namespace
}  // namespace veskin
