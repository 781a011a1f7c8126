#pragma once
// Where the instances of a class come from. A provider makes them on demand (the
// native service reads the kernel's files) and refuses writes; stored instances are
// kept in memory and support writing and deleting.
#include <map>
#include <mutex>
#include <vector>

#include "platform/WbemObjectSet.h"
#include "rtl/TextFold.h"

namespace veskin {

// What a query asks of a class, so that its provider can read only what is needed.
// It is a hint: the provider may return more, and the service still checks every
// condition on what comes back.
struct WbemQueryHint {
    // The properties the condition requires to equal one of some values ("WHERE
    // ProcessId = 1", "Name = 'a' OR Name = 'b'"), by name (any case), values as text.
    std::map<WideString, std::vector<WideString>, TextLessW> Required;
    // The select list; empty for "SELECT *".
    std::vector<WideString> Selected;

    // The values property must take one of; null when the query allows any.
    const std::vector<WideString>* RequiredValues(const WideString& property) const;
    // True when the query's result holds the property.
    bool Wants(const WideString& property) const;
};

class WbemInstanceSource {
public:
    virtual ~WbemInstanceSource() = default;
    // A producer of the class's instances, each a fresh object the caller may change.
    virtual WbemObjectProducer Enumerate() = 0;
    // The instances a query may want; the default gives them all.
    virtual WbemObjectProducer Enumerate(const WbemQueryHint& hint);
    // Stores object's values under its keys. The default refuses (WBEM_E_PROVIDER_NOT_CAPABLE).
    virtual HRESULT PutInstance(const WbemObject& object);
    // Removes the instance with object's keys. The default refuses.
    virtual HRESULT DeleteInstance(const WbemObject& object);
};
using WbemInstanceSourcePtr = std::shared_ptr<WbemInstanceSource>;

// Instances made by a function on each enumeration; read-only.
class ProviderInstanceSource : public WbemInstanceSource {
public:
    using HintedEnumerate = std::function<WbemObjectProducer(const WbemQueryHint&)>;
    explicit ProviderInstanceSource(std::function<WbemObjectProducer()> enumerate);
    // A provider that reads only what a query's hint asks for.
    explicit ProviderInstanceSource(HintedEnumerate enumerate);
    WbemObjectProducer Enumerate() override;
    WbemObjectProducer Enumerate(const WbemQueryHint& hint) override;

private:
    HintedEnumerate FEnumerate;
};

// Instances held in memory, in the order they were added. Thread-safe. Must be held
// by a shared_ptr (its producers keep it alive).
class StoredInstanceSource : public WbemInstanceSource,
                             public std::enable_shared_from_this<StoredInstanceSource> {
public:
    explicit StoredInstanceSource(WbemClassPtr cls);

    // Adds (or replaces, by keys) an instance; the source keeps its own copy.
    HRESULT Add(const WbemObject& object);
    std::size_t Count() const;
    // A copy of every stored instance.
    std::vector<WbemObjectPtr> Snapshot() const;

    // Lazy: each instance is copied when the producer reaches it, so changes made
    // meanwhile are seen by an enumeration still under way.
    WbemObjectProducer Enumerate() override;
    // An object holding a subset of the properties (a projection) changes only those
    // properties of the stored instance; one whose keys match none is added.
    HRESULT PutInstance(const WbemObject& object) override;
    // WBEM_E_NOT_FOUND when no instance has object's keys.
    HRESULT DeleteInstance(const WbemObject& object) override;

private:
    // Index of the stored instance with the same key values, or -1. Lock held.
    int FindLocked(const WbemObject& object) const;

    WbemClassPtr FClass;
    mutable std::mutex FLock;
    std::vector<WbemObjectPtr> FInstances;
};

// True when the two objects' key properties (of a's class) hold the same values
// (text keys compare without regard to case).
bool SameKeys(const WbemObject& a, const WbemObject& b);

}  // namespace veskin
