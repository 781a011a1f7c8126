#pragma once
// Object creation through a class registry. The native service registers its classes
// at start; tests replace a class for the length of a test with ScopedClassOverride.
#include <functional>
#include <memory>

#include "platform/ComTypes.h"

namespace veskin {

// Creates an object of the registered class and hands it back in obj. The factory
// answers a failure code when it cannot (or the object lacks the interface iid).
using ClassFactory = std::function<HRESULT(const IID& iid, IInterfacePtr& obj)>;

// REGDB_E_CLASSNOTREG when nothing is registered for clsid. outer must be null.
HRESULT CoCreateInstance(const CLSID& clsid, IInterface* outer, std::uint32_t clsContext,
                         const IID& iid, IInterfacePtr& obj);

// Registers (or replaces) the factory of a class for the whole process.
void RegisterClassFactory(const CLSID& clsid, ClassFactory factory);
void UnregisterClassFactory(const CLSID& clsid);

// Replaces a class's factory while it lives, then restores what was there before.
class ScopedClassOverride {
public:
    ScopedClassOverride(const CLSID& clsid, ClassFactory factory);
    ~ScopedClassOverride();
    ScopedClassOverride(const ScopedClassOverride&) = delete;
    ScopedClassOverride& operator=(const ScopedClassOverride&) = delete;

private:
    CLSID FClsid;
    ClassFactory FPrevious;
    bool FHadPrevious;
};

}  // namespace veskin
