#pragma once
// An object of the in-memory WMI model: an instance of a class holding one value per
// property, or a class object (a description of properties without values). Values
// are kept in the form the Scripting API delivers (see CimValue.h). An object is used
// by one thread at a time; the service hands every caller its own copy.
#include <functional>
#include <memory>
#include <vector>

#include "platform/PackedValues.h"
#include "platform/WbemClass.h"
#include "platform/WbemObjectHooks.h"
#include "platform/WbemScripting.h"
#include "platform/Wql.h"

namespace veskin {

class WbemObject;
using WbemObjectPtr = std::shared_ptr<WbemObject>;

// Where Put_ and Delete_ of an object go: the service that delivered it.
class WbemObjectStore {
public:
    virtual ~WbemObjectStore() = default;
    virtual HRESULT PutObject(const WbemObject& object) = 0;
    virtual HRESULT DeleteObject(const WbemObject& object) = 0;
};
using WbemObjectStorePtr = std::shared_ptr<WbemObjectStore>;

// Computes the value of property index on demand (already in delivered form), so that
// large generated results need not hold every value.
using WbemValueSource = std::function<Variant(std::size_t index)>;

class WbemObject : public ISWbemObject, public WqlClassTest, public std::enable_shared_from_this<WbemObject> {
public:
    enum class Kind { Instance,
                      Class };

    WbemObject(WbemClassPtr cls, Kind kind);
    // An instance taking values as they are (empty while a packed block or a source
    // supplies them); the factories below are the way to make one.
    WbemObject(WbemClassPtr cls, std::vector<Variant> values);
    // An instance with every value null.
    static WbemObjectPtr NewInstance(WbemClassPtr cls);
    // An instance whose values come from source until one is changed.
    static WbemObjectPtr NewLazy(WbemClassPtr cls, WbemValueSource source);
    // An instance holding values already in delivered form, one per property in class
    // order (a decoder that has converted them itself; no further coercion).
    static WbemObjectPtr NewWithValues(WbemClassPtr cls, std::vector<Variant> values);
    // An instance holding packed values in delivered form, one per property in class
    // order (a decoder of many objects: about the bytes of the values per object).
    static WbemObjectPtr NewPacked(WbemClassPtr cls, PackedValuesPtr values);
    // A class object: describes the class's properties, all values null.
    static WbemObjectPtr NewClassObject(WbemClassPtr cls);

    const WbemClassPtr& Class() const { return FClass; }
    bool IsClass() const { return FKind == Kind::Class; }
    bool WqlIsA(const WideString& className) const override { return FClass->IsA(className); }

    // The value of a property (null for an unknown index or name); by name also the
    // system properties (__CLASS, __PATH, ...).
    Variant GetValue(std::size_t index) const;
    Variant GetValue(const WideString& name) const;
    // Stores a value converted to the property's CIM type: WBEM_E_TYPE_MISMATCH when it
    // does not fit, WBEM_E_NOT_FOUND for an unknown name.
    HRESULT SetValue(std::size_t index, const Variant& value);
    HRESULT SetValue(const WideString& name, const Variant& value);

    // The computer and namespace the object comes from, and where writes go.
    void SetLocation(const WideString& server, const WideString& nameSpace,
                     WbemObjectStorePtr store);
    const WideString& Server() const { return FLocation->Server; }
    const WideString& NameSpace() const { return FLocation->NameSpace; }
    void SetHooks(WbemObjectHooksPtr hooks) { FHooks = std::move(hooks); }
    const WbemObjectHooksPtr& Hooks() const { return FHooks; }
    // Asks the hooks (if any) whether an operation may run.
    HRESULT Check(const WbemObjectCall& call) const;
    HRESULT Check(WbemObjectOp op) const;

    // "Class.Key=\"v\"" (keys in property order, joined by ","), "Class=@" for a class
    // without keys, "Class" for a class object; empty when a key value is null.
    WideString RelPath() const;
    // "\\SERVER\namespace:" + RelPath(); empty when RelPath() is empty.
    WideString FullPath() const;

    // A copy with the same class, values, location and hooks.
    WbemObjectPtr Clone() const;
    // A copy holding only the properties of projected (a projection of this class).
    // With keepPath it still names this instance (a select list asking for __PATH).
    WbemObjectPtr Projected(const WbemClassPtr& projected, bool keepPath = false) const;

    // ISWbemObject
    HRESULT get_Properties_(ISWbemPropertySetPtr& properties) override;
    HRESULT get_Path_(ISWbemObjectPathPtr& path) override;
    HRESULT Put_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                 ISWbemObjectPathPtr& path) override;
    HRESULT Delete_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet) override;
    HRESULT GetObjectText_(std::int32_t flags, WideString& text) override;

    // Computer and namespace, shared by the objects of one place instead of copied
    // into each.
    struct Location {
        WideString Server;
        WideString NameSpace;
    };
    using LocationPtr = std::shared_ptr<const Location>;

private:
    static LocationPtr SharedLocation(const WideString& server, const WideString& nameSpace);

    void Materialise();

    WbemClassPtr FClass;
    Kind FKind;
    std::vector<Variant> FValues;  // empty while FPacked or FSource supplies the values
    PackedValuesPtr FPacked;
    WbemValueSource FSource;
    LocationPtr FLocation;
    WbemObjectStorePtr FStore;
    WbemObjectHooksPtr FHooks;
    WideString FKeptRelPath;  // the instance a projection without its keys stands for
};

}  // namespace veskin
