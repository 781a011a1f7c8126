#include "platform/WbemRepository.h"

namespace veskin {

WbemNamespace::WbemNamespace(WideString name) : FName(std::move(name)) {}

bool WbemNamespace::Slot::IsA(const WideString& name) const {
    if (SameTextW(Name, name)) return true;
    for (const auto& base : Derivation)
        if (SameTextW(base, name)) return true;
    return false;
}

const WbemClassEntry& WbemNamespace::Made(Slot& slot) const {
    if (!slot.Entry.Class) {
        slot.Entry.Class = slot.Make();
        slot.Make = nullptr;
    }
    return slot.Entry;
}

void WbemNamespace::AddClass(WbemClassPtr cls, WbemInstanceSourcePtr source) {
    std::lock_guard<std::mutex> guard(FLock);
    Slot slot{WbemClassEntry{cls, std::move(source)}, cls->Name(), cls->Derivation(), nullptr};
    FClasses[cls->Name()] = std::move(slot);
}

void WbemNamespace::AddClass(WbemDeferredClass deferred, WbemInstanceSourcePtr source) {
    std::lock_guard<std::mutex> guard(FLock);
    WideString name = deferred.Name;
    Slot slot{WbemClassEntry{nullptr, std::move(source)}, std::move(deferred.Name), std::move(deferred.Derivation),
              std::move(deferred.Make)};
    FClasses[name] = std::move(slot);
}

std::shared_ptr<StoredInstanceSource> WbemNamespace::AddStoredClass(WbemClassPtr cls) {
    auto source = std::make_shared<StoredInstanceSource>(cls);
    AddClass(std::move(cls), source);
    return source;
}

bool WbemNamespace::FindClass(const WideString& name, WbemClassEntry& entry) const {
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FClasses.find(name);
    if (it == FClasses.end()) return false;
    entry = Made(it->second);
    return true;
}

bool WbemNamespace::HasClass(const WideString& name) const {
    std::lock_guard<std::mutex> guard(FLock);
    return FClasses.count(name) != 0;
}

std::vector<WideString> WbemNamespace::ClassNames() const {
    std::lock_guard<std::mutex> guard(FLock);
    std::vector<WideString> names;
    for (const auto& [name, slot] : FClasses) names.push_back(slot.Name);
    return names;
}

std::vector<WbemClassEntry> WbemNamespace::Classes() const {
    std::lock_guard<std::mutex> guard(FLock);
    std::vector<WbemClassEntry> all;
    for (auto& [name, slot] : FClasses) all.push_back(Made(slot));
    return all;
}

std::vector<WbemClassEntry> WbemNamespace::ClassAndDerived(const WideString& base) const {
    std::lock_guard<std::mutex> guard(FLock);
    std::vector<WbemClassEntry> found;
    auto self = FClasses.find(base);
    if (self == FClasses.end()) return found;
    found.push_back(Made(self->second));
    for (auto& [name, slot] : FClasses)
        if (&slot != &self->second && slot.IsA(base)) found.push_back(Made(slot));
    return found;
}

HRESULT WbemNamespace::PutObject(const WbemObject& object) {
    WbemClassEntry entry;
    if (!FindClass(object.Class()->Name(), entry)) return WBEM_E_INVALID_CLASS;
    return entry.Source ? entry.Source->PutInstance(object) : WBEM_E_PROVIDER_NOT_CAPABLE;
}

HRESULT WbemNamespace::DeleteObject(const WbemObject& object) {
    WbemClassEntry entry;
    if (!FindClass(object.Class()->Name(), entry)) return WBEM_E_INVALID_CLASS;
    return entry.Source ? entry.Source->DeleteInstance(object) : WBEM_E_PROVIDER_NOT_CAPABLE;
}

WbemRepository::WbemRepository(WideString serverName) : FServerName(std::move(serverName)) {}

WideString WbemRepository::NormaliseNamespace(const WideString& name) {
    WideString n = name;
    for (auto& c : n)
        if (c == u'/') c = u'\\';
    while (!n.empty() && n.front() == u'\\') n.erase(n.begin());
    while (!n.empty() && n.back() == u'\\') n.pop_back();
    return n;
}

WbemNamespacePtr WbemRepository::AddNamespace(const WideString& name) {
    WideString n = NormaliseNamespace(name);
    std::lock_guard<std::mutex> guard(FLock);
    auto& slot = FNamespaces[n];
    if (!slot) slot = std::make_shared<WbemNamespace>(n);
    return slot;
}

std::vector<WideString> WbemRepository::NamespaceNames() const {
    std::lock_guard<std::mutex> guard(FLock);
    std::vector<WideString> names;
    for (const auto& [name, ns] : FNamespaces) names.push_back(name);
    return names;
}

WbemNamespacePtr WbemRepository::FindNamespace(const WideString& name) const {
    WideString n = NormaliseNamespace(name);
    std::lock_guard<std::mutex> guard(FLock);
    auto it = FNamespaces.find(n);
    return it == FNamespaces.end() ? nullptr : it->second;
}

}  // namespace veskin
