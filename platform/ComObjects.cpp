#include "platform/ComObjects.h"

#include <map>
#include <mutex>

#include "platform/NativeClasses.h"
#include "platform/WbemNamedValueSet.h"
#include "platform/WbemScripting.h"

namespace veskin {

namespace {

struct Registry {
    std::mutex Lock;
    std::map<CLSID, ClassFactory> Factories;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::once_flag gInitOnce;
// Set while the first-use registration runs on this thread, so that the
// registrations it makes do not wait for themselves.
thread_local bool tInitialising = false;

void SetFactory(const CLSID& clsid, ClassFactory factory) {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.Lock);
    if (factory)
        r.Factories[clsid] = std::move(factory);
    else
        r.Factories.erase(clsid);
}

// Registers the built-in classes on first use of the registry, whatever the order in
// which static objects were constructed.
void EnsureInitialised() {
    if (tInitialising) return;
    std::call_once(gInitOnce, [] {
        tInitialising = true;
        struct Reset {
            ~Reset() { tInitialising = false; }
        } reset;
        SetFactory(CLSID_SWbemNamedValueSet, NamedValueSetFactory());
        RegisterNativeClasses();
    });
}

}  // namespace

HRESULT CoCreateInstance(const CLSID& clsid, IInterface* outer, std::uint32_t /*clsContext*/,
                         const IID& iid, IInterfacePtr& obj) {
    obj.reset();
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    EnsureInitialised();
    ClassFactory factory;
    {
        Registry& r = TheRegistry();
        std::lock_guard<std::mutex> guard(r.Lock);
        auto it = r.Factories.find(clsid);
        if (it == r.Factories.end()) return REGDB_E_CLASSNOTREG;
        factory = it->second;
    }
    // Called outside the lock: a factory may create other objects itself.
    HRESULT hr = factory(iid, obj);
    if (Failed(hr)) obj.reset();
    return hr;
}

void RegisterClassFactory(const CLSID& clsid, ClassFactory factory) {
    EnsureInitialised();
    SetFactory(clsid, std::move(factory));
}

void UnregisterClassFactory(const CLSID& clsid) {
    EnsureInitialised();
    SetFactory(clsid, nullptr);
}

ScopedClassOverride::ScopedClassOverride(const CLSID& clsid, ClassFactory factory)
    : FClsid(clsid), FHadPrevious(false) {
    EnsureInitialised();
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.Lock);
    auto it = r.Factories.find(clsid);
    if (it != r.Factories.end()) {
        FPrevious = it->second;
        FHadPrevious = true;
    }
    if (factory)
        r.Factories[clsid] = std::move(factory);
    else
        r.Factories.erase(clsid);
}

ScopedClassOverride::~ScopedClassOverride() {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.Lock);
    if (FHadPrevious)
        r.Factories[FClsid] = std::move(FPrevious);
    else
        r.Factories.erase(FClsid);
}

}  // namespace veskin
