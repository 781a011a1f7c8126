#pragma once
// A WMI class: its name, its superclasses and its properties (name, CIM type number,
// array flag, qualifiers). Properties are kept in case-insensitive alphabetical order, the order
// in which objects of the class enumerate them. Immutable once made; shared by all
// objects of the class.
#include <memory>
#include <vector>

#include "rtl/Variant.h"
#include "rtl/WideString.h"

namespace veskin {

struct WbemQualifierDef {
    WideString Name;
    Variant Value;
};

struct WbemPropertyDef {
    WideString Name;
    std::int32_t CimType = 8;  // string
    bool IsArray = false;
    std::vector<WbemQualifierDef> Qualifiers;

    // A "key" qualifier (any letter case) whose value is true.
    bool IsKey() const;
};

class WbemClass;
using WbemClassPtr = std::shared_ptr<const WbemClass>;

class WbemClass {
public:
    WbemClass(WideString name, std::vector<WbemPropertyDef> properties);
    static WbemClassPtr Make(WideString name, std::vector<WbemPropertyDef> properties);
    // A class derived from others: derivation names the superclass first, then its
    // superclass, up to the root of the dynasty.
    static WbemClassPtr Make(WideString name, std::vector<WbemPropertyDef> properties,
                             std::vector<WideString> derivation, bool isAbstract = false);

    const WideString& Name() const { return FName; }
    // The superclasses, nearest first (empty for a root class).
    const std::vector<WideString>& Derivation() const { return FDerivation; }
    // True for this class and for a class derived from name (any letter case).
    bool IsA(const WideString& name) const;
    // A class that has no instances of its own, only those of its derived classes.
    bool IsAbstract() const { return FAbstract; }
    const std::vector<WbemPropertyDef>& Properties() const { return FProperties; }
    std::size_t PropertyCount() const { return FProperties.size(); }
    // Index of the property with that name (any letter case), or -1.
    int IndexOf(const WideString& name) const;
    // Indexes of the key properties, in property order.
    const std::vector<std::size_t>& KeyIndexes() const { return FKeys; }

    // A class of the same name holding only the named properties (unknown names are
    // left out; duplicates count once).
    WbemClassPtr Project(const std::vector<WideString>& names) const;
    // True for a projection that left out a key: its objects have no path.
    bool KeysIncomplete() const { return FKeysIncomplete; }
    // True for a projection (the class of a query's select list).
    bool IsPartial() const { return FPartial; }

private:
    WideString FName;
    std::vector<WideString> FDerivation;
    bool FAbstract = false;
    std::vector<WbemPropertyDef> FProperties;
    std::vector<std::size_t> FKeys;
    bool FKeysIncomplete = false;
    bool FPartial = false;
};

// Shorthands for declaring properties.
WbemQualifierDef KeyQualifier();
WbemPropertyDef PropertyDef(const WideString& name, std::int32_t cimType, bool isArray = false,
                            std::vector<WbemQualifierDef> qualifiers = {});

}  // namespace veskin
