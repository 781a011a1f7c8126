#include "platform/native/AssociationProviders.h"

#include <cctype>

#include "platform/WbemObject.h"
#include "platform/WbemObjectPath.h"
#include "platform/native/ClassSchema.h"
#include "platform/native/NativeValues.h"
#include "platform/native/NetworkAdapterProvider.h"
#include "platform/native/ProcessProvider.h"
#include "platform/native/UserAccountProvider.h"

namespace veskin {

WbemClassPtr SystemProcessesClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_SystemProcesses");
    return cls;
}

WbemClassPtr NetworkAdapterSettingClass() {
    static const WbemClassPtr cls = NativeSchemaClass("Win32_NetworkAdapterSetting");
    return cls;
}

std::string NativeObjectPath(const NativeContext& context, const std::string& relPath) {
    // The server as the repository names it: the host name in capitals.
    std::string server = context.HostName();
    for (char& c : server) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return "\\\\" + server + "\\root\\cimv2:" + relPath;
}

namespace {

// The relative path of a key of one text value ("Class.Key=\"value\"").
std::string TextKeyPath(const char* className, const char* key, const std::string& value) {
    return std::string(className) + "." + key + "=" +
           WideToAnsi(KeyValueText(Variant(AnsiToWide(value)), wbemCimtypeString));
}

WbemObjectPtr Association(const WbemClassPtr& cls, const char* groupRole, const std::string& group,
                          const char* partRole, const std::string& part) {
    ValueRow row(cls);
    row.Set(groupRole, StrValue(group));
    row.Set(partRole, StrValue(part));
    return MakeNativeInstance(cls, std::move(row));
}

}  // namespace

WbemObjectProducer EnumerateSystemProcesses(std::shared_ptr<const NativeContext> context) {
    const std::string computer =
        NativeObjectPath(*context, TextKeyPath("Win32_ComputerSystem", "Name", LocalAccountDomain(*context)));
    // Only the processes' handles are needed.
    WbemQueryHint hint;
    hint.Selected = {u"Handle"};
    auto processes = std::make_shared<WbemObjectProducer>(EnumerateProcesses(context, hint));
    return [context, computer, processes](WbemObjectPtr& out) -> HRESULT {
        WbemObjectPtr process;
        Variant handle;
        do {
            HRESULT hr = (*processes)(process);
            if (hr != S_OK) return hr;
            handle = process->GetValue(u"Handle");
        } while (handle.VarType() != varOleStr);
        const std::string part =
            NativeObjectPath(*context, TextKeyPath("Win32_Process", "Handle", WideToAnsi(handle.RawOleStr())));
        out = Association(SystemProcessesClass(), "GroupComponent", computer, "PartComponent", part);
        return S_OK;
    };
}

WbemObjectProducer EnumerateNetworkAdapterSettings(std::shared_ptr<const NativeContext> context) {
    std::vector<WbemObjectPtr> out;
    for (const NetAdapterInfo& a : ReadNetAdapters(*context)) {
        const std::string index = std::to_string(a.IfIndex);
        out.push_back(Association(NetworkAdapterSettingClass(), "Element",
                                  NativeObjectPath(*context, TextKeyPath("Win32_NetworkAdapter", "DeviceID", index)),
                                  "Setting",
                                  NativeObjectPath(*context, "Win32_NetworkAdapterConfiguration.Index=" + index)));
    }
    return ProduceList(std::move(out));
}

}  // namespace veskin
