#include "platform/WbemClass.h"

#include <algorithm>

#include "rtl/TextFold.h"

namespace veskin {

bool WbemPropertyDef::IsKey() const {
    for (const auto& q : Qualifiers) {
        if (!SameTextW(q.Name, u"key")) continue;
        const Variant& v = q.Value;
        if (v.VarType() == varBoolean) return v.RawBool();
        try {
            return !v.IsNull() && !v.IsEmpty() && v.AsBoolean();
        } catch (const Exception&) {
            return false;
        }
    }
    return false;
}

WbemClass::WbemClass(WideString name, std::vector<WbemPropertyDef> properties)
    : FName(std::move(name)), FProperties(std::move(properties)) {
    std::stable_sort(FProperties.begin(), FProperties.end(),
                     [](const WbemPropertyDef& a, const WbemPropertyDef& b) {
                         return CompareTextW(a.Name, b.Name) < 0;
                     });
    // A name declared twice keeps its first declaration.
    auto last = std::unique(FProperties.begin(), FProperties.end(),
                            [](const WbemPropertyDef& a, const WbemPropertyDef& b) {
                                return SameTextW(a.Name, b.Name);
                            });
    FProperties.erase(last, FProperties.end());
    for (std::size_t i = 0; i < FProperties.size(); ++i)
        if (FProperties[i].IsKey()) FKeys.push_back(i);
}

WbemClassPtr WbemClass::Make(WideString name, std::vector<WbemPropertyDef> properties) {
    return std::make_shared<const WbemClass>(std::move(name), std::move(properties));
}

WbemClassPtr WbemClass::Make(WideString name, std::vector<WbemPropertyDef> properties,
                             std::vector<WideString> derivation, bool isAbstract) {
    auto cls = std::make_shared<WbemClass>(std::move(name), std::move(properties));
    cls->FDerivation = std::move(derivation);
    cls->FAbstract = isAbstract;
    return cls;
}

bool WbemClass::IsA(const WideString& name) const {
    if (SameTextW(FName, name)) return true;
    for (const auto& base : FDerivation)
        if (SameTextW(base, name)) return true;
    return false;
}

int WbemClass::IndexOf(const WideString& name) const {
    auto it = std::lower_bound(FProperties.begin(), FProperties.end(), name,
                               [](const WbemPropertyDef& p, const WideString& n) {
                                   return CompareTextW(p.Name, n) < 0;
                               });
    if (it != FProperties.end() && SameTextW(it->Name, name))
        return static_cast<int>(it - FProperties.begin());
    return -1;
}

WbemClassPtr WbemClass::Project(const std::vector<WideString>& names) const {
    std::vector<WbemPropertyDef> kept;
    bool keyLeftOut = FKeysIncomplete;
    for (const auto& p : FProperties) {
        bool wanted = false;
        for (const auto& n : names) {
            if (SameTextW(p.Name, n)) {
                wanted = true;
                break;
            }
        }
        if (wanted)
            kept.push_back(p);
        else if (p.IsKey())
            keyLeftOut = true;
    }
    auto projected = std::make_shared<WbemClass>(FName, std::move(kept));
    projected->FKeysIncomplete = keyLeftOut;
    projected->FDerivation = FDerivation;
    projected->FAbstract = FAbstract;
    projected->FPartial = true;
    return projected;
}

WbemQualifierDef KeyQualifier() { return WbemQualifierDef{u"key", Variant(true)}; }

WbemPropertyDef PropertyDef(const WideString& name, std::int32_t cimType, bool isArray,
                            std::vector<WbemQualifierDef> qualifiers) {
    WbemPropertyDef def;
    def.Name = name;
    def.CimType = cimType;
    def.IsArray = isArray;
    def.Qualifiers = std::move(qualifiers);
    return def;
}

}  // namespace veskin
