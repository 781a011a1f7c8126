#include "platform/native/UserAccountProvider.h"

#include <map>

#include "platform/native/AccountParsers.h"
#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "rtl/SysUtils.h"

namespace veskin {

WbemClassPtr UserAccountClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_UserAccount");
    return cls;
}

std::string LocalAccountDomain(const NativeContext& context) {
    std::string host = context.HostName();
    host = host.substr(0, host.find('.'));
    return WideToAnsi(UpperCaseW(AnsiToWide(host)));
}

WbemObjectProducer EnumerateUserAccounts(std::shared_ptr<const NativeContext> context) {
    const SystemFiles& files = context->Files();
    const std::string domain = LocalAccountDomain(*context);
    std::map<std::string, ShadowEntry> shadow;
    const auto shadowText = files.Read("etc/shadow");
    if (shadowText)
        for (auto& e : ParseShadow(*shadowText)) shadow.emplace(e.Name, std::move(e));
    std::vector<WbemObjectPtr> objects;
    const WbemClassPtr& cls = UserAccountClass();
    for (const auto& user : ParsePasswd(files.Read("etc/passwd").value_or(""))) {
        ValueRow row(cls);
        row.Set("AccountType", U32Value(512));  // a normal account
        row.Set("Caption", StrValue(domain + "\\" + user.Name));
        row.Set("Description", StrValue(user.Gecos.empty() ? std::nullopt : std::optional<std::string>(user.Gecos)));
        row.Set("Domain", StrValue(domain));
        const std::string fullName = user.Gecos.substr(0, user.Gecos.find(','));
        row.Set("FullName", StrValue(fullName));
        row.Set("LocalAccount", BoolValue(true));
        row.Set("Name", StrValue(user.Name));
        row.Set("SID", StrValue("S-1-22-1-" + std::to_string(user.Uid)));
        row.Set("SIDType", U8Value(1));  // a user
        // Without the shadow file (not readable, or no entry) the password state is unknown.
        if (auto it = shadow.find(user.Name); it != shadow.end()) {
            const std::string& pw = it->second.Password;
            const bool locked = !pw.empty() && (pw.front() == '!' || pw.front() == '*');
            row.Set("Disabled", BoolValue(locked));
            row.Set("PasswordRequired", BoolValue(!pw.empty()));
            // 99999 days is the "never" of shadow-utils.
            row.Set("PasswordExpires", BoolValue(it->second.MaxDays && *it->second.MaxDays < 99999));
            row.Set("Status", StrValue(locked ? "Degraded" : "OK"));
        } else {
            row.Set("Status", StrValue("OK"));
        }
        objects.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return ProduceList(std::move(objects));
}

}  // namespace veskin
