#include "platform/WbemSystemProperties.h"

#include <array>

#include "rtl/TextFold.h"

namespace veskin {

namespace {

enum class SystemProperty { Class,
                            Superclass,
                            Dynasty,
                            Derivation,
                            Genus,
                            NameSpace,
                            Path,
                            RelPath,
                            Server,
                            PropertyCount };

struct SystemPropertyEntry {
    SystemProperty Which;
    WbemPropertyDef Def;
};

const std::array<SystemPropertyEntry, 10>& Entries() {
    static const std::array<SystemPropertyEntry, 10> entries{{
        {SystemProperty::Class, PropertyDef(u"__CLASS", wbemCimtypeString)},
        {SystemProperty::Superclass, PropertyDef(u"__SUPERCLASS", wbemCimtypeString)},
        {SystemProperty::Dynasty, PropertyDef(u"__DYNASTY", wbemCimtypeString)},
        {SystemProperty::Derivation, PropertyDef(u"__DERIVATION", wbemCimtypeString, true)},
        {SystemProperty::Genus, PropertyDef(u"__GENUS", wbemCimtypeSint32)},
        {SystemProperty::NameSpace, PropertyDef(u"__NAMESPACE", wbemCimtypeString)},
        {SystemProperty::Path, PropertyDef(u"__PATH", wbemCimtypeString)},
        {SystemProperty::RelPath, PropertyDef(u"__RELPATH", wbemCimtypeString)},
        {SystemProperty::Server, PropertyDef(u"__SERVER", wbemCimtypeString)},
        {SystemProperty::PropertyCount, PropertyDef(u"__PROPERTY_COUNT", wbemCimtypeSint32)},
    }};
    return entries;
}

const SystemPropertyEntry* Find(const WideString& name) {
    if (name.size() < 3 || name[0] != u'_' || name[1] != u'_') return nullptr;
    for (const auto& e : Entries())
        if (SameTextW(e.Def.Name, name)) return &e;
    return nullptr;
}

Variant TextOrNull(const WideString& text) { return text.empty() ? Variant::Null() : Variant(text); }

}  // namespace

const WbemPropertyDef* SystemPropertyDef(const WideString& name) {
    const SystemPropertyEntry* e = Find(name);
    return e ? &e->Def : nullptr;
}

std::optional<Variant> SystemPropertyValue(const WbemObject& object, const WideString& name) {
    const SystemPropertyEntry* e = Find(name);
    if (!e) return std::nullopt;
    const WbemClass& cls = *object.Class();
    // An object of a projection (a select list) is partial: like Windows, it tells
    // neither its ancestry nor, unless it can name its instance, its location.
    const bool partial = cls.IsPartial();
    const bool located = !object.RelPath().empty();
    switch (e->Which) {
        case SystemProperty::Class: return Variant(cls.Name());
        case SystemProperty::Superclass:
            return partial || cls.Derivation().empty() ? Variant::Null() : Variant(cls.Derivation().front());
        case SystemProperty::Dynasty:
            if (partial) return Variant::Null();
            return Variant(cls.Derivation().empty() ? cls.Name() : cls.Derivation().back());
        case SystemProperty::Derivation: {
            std::vector<Variant> names;
            if (!partial)
                for (const auto& base : cls.Derivation()) names.emplace_back(base);
            return Variant::ArrayOf(std::move(names));
        }
        case SystemProperty::Genus: return Variant::FromInteger(object.IsClass() ? 1 : 2);
        case SystemProperty::NameSpace: return located ? TextOrNull(object.NameSpace()) : Variant::Null();
        case SystemProperty::Path: return TextOrNull(object.FullPath());
        case SystemProperty::RelPath: return TextOrNull(object.RelPath());
        case SystemProperty::Server: return located ? TextOrNull(object.Server()) : Variant::Null();
        case SystemProperty::PropertyCount: return Variant::FromInteger(static_cast<std::int32_t>(cls.PropertyCount()));
    }
    return std::nullopt;
}

}  // namespace veskin
