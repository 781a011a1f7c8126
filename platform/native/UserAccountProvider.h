#pragma once
// Win32_UserAccount: the local accounts of etc/passwd, with etc/shadow's password
// state where it can be read. Linux has no SIDs; accounts get the SIDs Samba gives
// Unix users (S-1-22-1-<uid>).
#include <memory>

#include "platform/WbemObjectSet.h"
#include "platform/native/NativeContext.h"

namespace veskin {

WbemClassPtr UserAccountClass();

// The domain of local accounts: the host name without its domain, in capitals, as
// Windows names a computer's own accounts.
std::string LocalAccountDomain(const NativeContext& context);

WbemObjectProducer EnumerateUserAccounts(std::shared_ptr<const NativeContext> context);

}  // namespace veskin
