#pragma once
// The local computer's WMI service on Linux: the namespace root\cimv2 with the classes
// read from the kernel, and the locator that connects to it.
#include <memory>

#include "platform/WbemLocatorImpl.h"
#include "platform/native/NativeContext.h"

namespace veskin {

// A repository whose root\cimv2 holds the native classes, read under context's root.
WbemRepositoryPtr MakeNativeRepository(std::shared_ptr<const NativeContext> context);

// True for the names that mean this computer: empty, ".", "localhost", a loopback
// address (127.x.x.x, ::1) and the host name (as the kernel has it, or without its domain), any case;
// leading "\\" is ignored.
bool IsLocalComputerName(const WideString& server, const std::string& hostName);

// ConnectServer's checks: another computer -> 0x800706BA (no remote transport); a user
// name or password on a local connection -> 0x80041064.
HRESULT NativeConnectPolicy(const WbemConnectRequest& request, const std::string& hostName);

// A locator over a repository made for context.
std::shared_ptr<WbemLocatorImpl> MakeNativeLocator(std::shared_ptr<const NativeContext> context,
                                                   WbemRepositoryPtr repository);

// The locator of the real system, sharing one repository per process so that the
// formatted classes keep their last sample between queries.
std::shared_ptr<WbemLocatorImpl> NativeSystemLocator();
// The host name of the real system, as the kernel has it.
std::string NativeSystemHostName();

}  // namespace veskin
