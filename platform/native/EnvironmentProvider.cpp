#include "platform/native/EnvironmentProvider.h"

#include "platform/native/AccountParsers.h"
#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "platform/native/TextFields.h"
#include "platform/native/UserAccountProvider.h"

namespace veskin {

WbemClassPtr EnvironmentClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_Environment");
    return cls;
}

namespace {

// "DOMAIN\name" of the user the process runs as (its effective uid), from the
// process's status and etc/passwd; nothing when either is missing.
std::optional<std::string> ProcessUser(const NativeContext& context, const std::string& domain) {
    const SystemFiles& files = context.Files();
    auto status = files.Read("proc/self/status", 16384);
    if (!status) return std::nullopt;
    auto values = ParseKeyValues(*status);
    auto it = values.find("Uid");
    if (it == values.end()) return std::nullopt;
    auto ids = SplitFields(it->second);
    auto uid = ids.size() > 1 ? ToU64(ids[1]) : std::nullopt;
    if (!uid) return std::nullopt;
    for (const auto& user : ParsePasswd(files.Read("etc/passwd").value_or("")))
        if (user.Uid == *uid) return domain + "\\" + user.Name;
    return std::nullopt;
}

}  // namespace

WbemObjectProducer EnumerateEnvironment(std::shared_ptr<const NativeContext> context) {
    const SystemFiles& files = context->Files();
    const WbemClassPtr& cls = EnvironmentClass();
    std::vector<WbemObjectPtr> objects;
    auto add = [&](const std::string& user, bool system, const std::string& name, const std::string& value) {
        ValueRow row(cls);
        row.Set("Caption", StrValue(user + "\\" + name));
        row.Set("Description", StrValue(user + "\\" + name));
        row.Set("Name", StrValue(name));
        row.Set("Status", StrValue("OK"));
        row.Set("SystemVariable", BoolValue(system));
        row.Set("UserName", StrValue(user));
        row.Set("VariableValue", StrValue(value));
        objects.push_back(MakeNativeInstance(cls, std::move(row)));
    };
    for (const auto& [name, value] : ParseEnvironmentFile(files.Read("etc/environment").value_or("")))
        add("<SYSTEM>", true, name, value);
    if (auto user = ProcessUser(*context, LocalAccountDomain(*context)))
        for (const auto& [name, value] : ParseEnviron(files.Read("proc/self/environ").value_or("")))
            add(*user, false, name, value);
    return ProduceList(std::move(objects));
}

}  // namespace veskin
