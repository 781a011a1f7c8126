// The system message table where the system has none: the texts of the codes this
// library meets, as Windows words them.
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
        // The security packages' codes (facility 9), as authentication failures show them.
        {0x80090303u, "The specified target is unknown or unreachable\r\n"},
        {0x8009030Eu, "No credentials are available in the security package\r\n"},
        {0x80090311u, "No authority could be contacted for authentication.\r\n"},
    };
    return texts;
}

// The WinRM client's and the WS-Management service's codes (facility 0x33).
const std::map<std::uint32_t, const char*>& WinrmTexts() {
    static const std::map<std::uint32_t, const char*> texts = {
        {0x80338000u,
         "The WS-Management service cannot process the request because the resource URI is not valid or the "
         "resource was not found.\r\n"},
        {0x8033801Au, "The specified class does not exist in the given namespace.\r\n"},
        {0x8033801Bu,
         "The WS-Management service cannot process the request because the enumeration context supplied in the "
         "message is not valid.\r\n"},
        {0x80338029u,
         "The WS-Management service cannot complete the operation within the time specified in "
         "OperationTimeout.\r\n"},
        {0x803380DEu,
         "The WinRM client cannot process the request. Unencrypted traffic is currently disabled in the client "
         "configuration. Change the client configuration and try the request again.\r\n"},
        {0x803380F9u,
         "The WinRM client cannot process the request because the message received from the server could not be "
         "decrypted.\r\n"},
        {0x8033810Bu,
         "The WinRM client cannot process the request. Default authentication may be used with an IP address "
         "under the following conditions: the transport is HTTPS or the destination is in the TrustedHosts list, "
         "and explicit credentials are provided. Use winrm.cmd to configure TrustedHosts. Note that computers in "
         "the TrustedHosts list might not be authenticated. For more information on how to set TrustedHosts run "
         "the following command: winrm help config.\r\n"},
        {0x80338112u,
         "The client cannot connect to the destination specified in the request. Verify that the service on the "
         "destination is running and is accepting requests. Consult the logs and documentation for the "
         "WS-Management service running on the destination, most commonly IIS or WinRM. If the destination is "
         "the WinRM service, run the following command on the destination to analyze and configure the WinRM "
         "service: \"winrm quickconfig\".\r\n"},
        {0x80338113u,
         "The WinRM client received an HTTP status code of 404 (Not Found) from the remote WS-Management service: "
         "the destination does not serve WS-Management on the requested URL.\r\n"},
        {0x80338126u,
         "The WinRM client cannot complete the operation within the time specified. Check if the machine name is "
         "valid and is reachable over the network and firewall exception for Windows Remote Management service "
         "is enabled.\r\n"},
        {0x80338170u,
         "The WinRM client received an HTTP server error status (500), but the remote service did not include "
         "any other information about the cause of the failure.\r\n"},
        {0x80338171u,
         "The WinRM client received an HTTP bad request status (400), but the remote service did not include "
         "any other information about the cause of the failure.\r\n"},
        {0x803381A6u,
         "The WS-Management service cannot process the request. This user is allowed a maximum number of "
         "concurrent operations, which has been exceeded. Close existing operations for this user, or raise the "
         "quota for this user.\r\n"},
        {0x803381B9u,
         "The WinRM client cannot process the request because the server name cannot be resolved.\r\n"},
        {0x803381BAu,
         "The server certificate on the destination computer has errors: it is signed by an authority that is "
         "not trusted, has expired, or is issued for a name that does not match the host name of the "
         "computer.\r\n"},
    };
    return texts;
}

}  // namespace

std::string SystemMessageText(std::int32_t code) {
    const auto u = static_cast<std::uint32_t>(code);
    if (auto it = ComTexts().find(u); it != ComTexts().end()) return it->second;
    if (auto it = WinrmTexts().find(u); it != WinrmTexts().end()) return it->second;
    std::uint32_t win32 = u;
    if ((u & 0xFFFF0000u) == 0x80070000u) win32 = u & 0xFFFFu;
    else if (u > 0xFFFFu) return std::string();
    if (auto it = Win32Texts().find(win32); it != Win32Texts().end()) return it->second;
    return std::string();
}

}  // namespace veskin
