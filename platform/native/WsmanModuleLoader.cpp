#include "platform/native/WsmanModuleLoader.h"

#include <dlfcn.h>

#include <atomic>

namespace veskin {

const WsmanModule* OpenWsmanModule(const std::string& file, std::string& reason) {
    // Never closed: objects the module made may live until the program ends.
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        reason = why ? why : file + ": cannot be opened";
        return nullptr;
    }
    using Entry = const WsmanModule* (*)();
    auto entry = reinterpret_cast<Entry>(::dlsym(handle, "veskin_wsman_module"));
    const WsmanModule* table = entry ? entry() : nullptr;
    if (!table) {
        reason = file + " has no entry veskin_wsman_module";
        return nullptr;
    }
    if (table->Version != kWsmanModuleVersion || table->Size != sizeof(WsmanModule)) {
        reason = file + " belongs to another version of this program";
        return nullptr;
    }
    return table;
}

namespace {

std::atomic<const WsmanModule*> gLoaded{nullptr};

struct LoadedModule {
    const WsmanModule* Table = nullptr;
    std::string Reason;
};

}  // namespace

const WsmanModule* LoadWsmanModule(std::string* reason) {
    static const LoadedModule loaded = [] {
        LoadedModule m;
        m.Table = OpenWsmanModule(kWsmanModuleFile, m.Reason);
        if (m.Table) gLoaded.store(m.Table);
        return m;
    }();
    if (!loaded.Table && reason) *reason = "the WS-Management module could not be loaded: " + loaded.Reason;
    return loaded.Table;
}

const WsmanModule* LoadedWsmanModule() { return gLoaded.load(); }

}  // namespace veskin
