#include "platform/native/GroupProvider.h"

#include "platform/native/AccountParsers.h"
#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "platform/native/UserAccountProvider.h"

namespace veskin {

WbemClassPtr GroupClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_Group");
    return cls;
}

WbemObjectProducer EnumerateGroups(std::shared_ptr<const NativeContext> context) {
    const std::string domain = LocalAccountDomain(*context);
    std::vector<WbemObjectPtr> objects;
    const WbemClassPtr& cls = GroupClass();
    for (const auto& group : ParseGroup(context->Files().Read("etc/group").value_or(""))) {
        ValueRow row(cls);
        row.Set("Caption", StrValue(domain + "\\" + group.Name));
        row.Set("Domain", StrValue(domain));
        row.Set("LocalAccount", BoolValue(true));
        row.Set("Name", StrValue(group.Name));
        row.Set("SID", StrValue("S-1-22-2-" + std::to_string(group.Gid)));
        row.Set("SIDType", U8Value(4));  // an alias: what Windows calls a computer's own groups
        row.Set("Status", StrValue("OK"));
        objects.push_back(MakeNativeInstance(cls, std::move(row)));
    }
    return ProduceList(std::move(objects));
}

}  // namespace veskin
