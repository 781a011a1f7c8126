#include "platform/SystemMessages.h"

#include <map>

namespace veskin {

namespace {

// Win32 error numbers; a result code of the Win32 facility (0x8007xxxx) has the same text.
const std::map<std::uint32_t, const char*>& Win32Texts() {
    static const std::map<std::uint32_t, const char*> texts = {
        {0, "The operation completed successfully.\r\n"},
        {1, "Incorrect function.\r\n"},
        {2, "The system cannot find the file specified.\r\n"},
        {3, "The system cannot find the path specified.\r\n"},
        {4, "The system cannot open the file.\r\n"},
        {5, "Access is denied.\r\n"},
        {6, "The handle is invalid.\r\n"},
        {8, "Not enough memory resources are available to process this command.\r\n"},
        {14, "Not enough memory resources are available to complete this operation.\r\n"},
        {15, "The system cannot find the drive specified.\r\n"},
        {32, "The process cannot access the file because it is being used by another process.\r\n"},
        {53, "The network path was not found.\r\n"},
        {87, "The parameter is incorrect.\r\n"},
        {122, "The data area passed to a system call is too small.\r\n"},
        {1326, "The user name or password is incorrect.\r\n"},
        {1355, "The specified domain either does not exist or could not be contacted.\r\n"},
        {1722, "The RPC server is unavailable.\r\n"},
        {1723, "The RPC server is too busy to complete this operation.\r\n"},
        {1726, "The remote procedure call failed.\r\n"},
        {1727, "The remote procedure call failed and did not execute.\r\n"},
        {1753, "There are no more endpoints available from the endpoint mapper.\r\n"},
    };
    return texts;
}

// Result codes of other facilities.
const std::map<std::uint32_t, const char*>& ComTexts() {
    static const std::map<std::uint32_t, const char*> texts = {
        {0x80004001u, "Not implemented\r\n"},
        {0x80004002u, "No such interface supported\r\n"},
        {0x80004003u, "Invalid pointer\r\n"},
        {0x80004004u, "Operation aborted\r\n"},
        {0x80004005u, "Unspecified error\r\n"},
        {0x8000FFFFu, "Catastrophic failure\r\n"},
        {0x80040110u, "Class does not support aggregation (or class object is remote)\r\n"},
        {0x80040154u, "Class not registered\r\n"},
        {0x800401F0u, "CoInitialize has not been called.\r\n"},
        {0x80010106u, "Cannot change thread mode after it is set.\r\n"},
        {0x80010119u,
         "Security must be initialized before any interfaces are marshalled or unmarshalled. "
         "It cannot be changed once initialized.\r\n"},
        {0x80080005u, "Server execution failed\r\n"},
    };
    return texts;
}

}  // namespace

std::string SystemMessageText(std::int32_t code) {
    const auto u = static_cast<std::uint32_t>(code);
    if (auto it = ComTexts().find(u); it != ComTexts().end()) return it->second;
    std::uint32_t win32 = u;
    if ((u & 0xFFFF0000u) == 0x80070000u) win32 = u & 0xFFFFu;
    else if (u > 0xFFFFu) return std::string();
    if (auto it = Win32Texts().find(win32); it != Win32Texts().end()) return it->second;
    return std::string();
}

}  // namespace veskin
