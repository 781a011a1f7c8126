#include "platform/native/WsmanModuleLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <vector>

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

// The folders the dynamic loader searches for this program's libraries, in its order:
// LD_LIBRARY_PATH, the program's run path (which names the module's folder), the
// system's folders. Asked of the loader rather than left to dlopen, whose lookup uses
// the run path of whoever calls it (a sanitizer's interceptor, for one).
std::vector<std::string> ProgramLibraryFolders() {
    std::vector<std::string> folders;
    void* program = ::dlopen(nullptr, RTLD_LAZY);
    Dl_serinfo size{};
    if (!program || ::dlinfo(program, RTLD_DI_SERINFOSIZE, &size) != 0) return folders;
    std::vector<std::max_align_t> buffer(size.dls_size / sizeof(std::max_align_t) + 1);
    auto* info = reinterpret_cast<Dl_serinfo*>(buffer.data());
    info->dls_size = size.dls_size;
    info->dls_cnt = size.dls_cnt;
    if (::dlinfo(program, RTLD_DI_SERINFO, info) != 0) return folders;
    for (unsigned i = 0; i < info->dls_cnt; ++i) folders.emplace_back(info->dls_serpath[i].dls_name);
    return folders;
}

}  // namespace

const WsmanModule* LoadWsmanModule(std::string* reason) {
    static const LoadedModule loaded = [] {
        LoadedModule m;
        std::string searched;
        for (const std::string& folder : ProgramLibraryFolders()) {
            const std::string file = folder + "/" + kWsmanModuleFile;
            if (::access(file.c_str(), F_OK) == 0) {
                m.Table = OpenWsmanModule(file, m.Reason);
                if (m.Table) gLoaded.store(m.Table);
                return m;
            }
            searched += (searched.empty() ? "" : ", ") + folder;
        }
        m.Reason = std::string(kWsmanModuleFile) + " is in none of " + (searched.empty() ? "the library folders" : searched);
        return m;
    }();
    if (!loaded.Table && reason) *reason = "the WS-Management module could not be loaded: " + loaded.Reason;
    return loaded.Table;
}

const WsmanModule* LoadedWsmanModule() { return gLoaded.load(); }

}  // namespace veskin
