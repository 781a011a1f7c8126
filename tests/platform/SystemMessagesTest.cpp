#include <gtest/gtest.h>

#include "platform/SystemMessages.h"

namespace veskin {
namespace {

TEST(SystemMessagesTest, Win32ErrorsAndTheirResultCodesShareTheText) {
    EXPECT_EQ(SystemMessageText(5), "Access is denied.\r\n");
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x80070005u)), "Access is denied.\r\n");
    EXPECT_EQ(SystemMessageText(1722), "The RPC server is unavailable.\r\n");
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x800706BAu)),
              "The RPC server is unavailable.\r\n");
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x80070057u)),
              "The parameter is incorrect.\r\n");
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x8007000Eu)),
              "Not enough memory resources are available to complete this operation.\r\n");
    EXPECT_EQ(SystemMessageText(2), "The system cannot find the file specified.\r\n");
}

TEST(SystemMessagesTest, ComCodesAndUnknownCodes) {
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x80040154u)), "Class not registered\r\n");
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x80004005u)), "Unspecified error\r\n");
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x80010119u)).substr(0, 9), "Security ");
    // WMI's own codes and gaps are not in the system table; neither are unknown facilities.
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x8004104Au)), "");
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x80041001u)), "");
    EXPECT_EQ(SystemMessageText(static_cast<std::int32_t>(0x80060005u)), "");
    EXPECT_EQ(SystemMessageText(9999), "");
}

}  // namespace
}  // namespace veskin
