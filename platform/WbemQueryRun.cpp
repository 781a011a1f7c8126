#include "platform/WbemQueryRun.h"

#include "platform/WqlValue.h"

namespace veskin {

Variant WqlConditionValue(const WbemObject& object, const WideString& name) {
    // Typed by the property's CIM type so that numbers compare as numbers: uint32
    // values above 2^31 travel as negative 32-bit integers and compare by their
    // unsigned value; sint64 and uint64 values travel as decimal text and compare as
    // 64-bit integers. Datetimes stay DMTF text.
    int i = object.Class()->IndexOf(name);
    if (i < 0) return object.GetValue(name);  // a system property, or null
    Variant v = object.GetValue(static_cast<std::size_t>(i));
    const WbemPropertyDef& def = object.Class()->Properties()[static_cast<std::size_t>(i)];
    if (def.IsArray) return v;
    if (def.CimType == wbemCimtypeUint32 && v.VarType() == varInteger)
        return Variant::FromInt64(static_cast<std::uint32_t>(v.RawInt()));
    if ((def.CimType == wbemCimtypeSint64 || def.CimType == wbemCimtypeUint64) && v.VarType() == varOleStr) {
        const auto n = WqlParseNumber(v.RawOleStr());
        if (n && n->NumKind == WqlNumber::UInt) return Variant::FromUInt64(n->U);
        if (n && n->NumKind == WqlNumber::Int) return Variant::FromInt64(n->I);
    }
    return v;
}

bool SelectKeepsPath(const WqlQuery& query) {
    for (const auto& name : query.Properties())
        for (const char16_t* located : {u"__PATH", u"__RELPATH", u"__SERVER", u"__NAMESPACE"})
            if (SameTextW(name, located)) return true;
    return false;
}

namespace {

bool IsTextCimType(std::int32_t cimType) {
    return cimType == wbemCimtypeString || cimType == wbemCimtypeDatetime || cimType == wbemCimtypeReference ||
           cimType == wbemCimtypeChar16;
}

bool Matches(const WqlQuery& query, const WbemObject& object) {
    return query.Matches([&object](const WideString& name) { return WqlConditionValue(object, name); });
}

}  // namespace

WbemQueryHint QueryHint(const WqlQuery& query, const WbemClass& cls) {
    WbemQueryHint hint;
    for (const auto& [name, values] : query.RequiredValues()) {
        const int i = cls.IndexOf(name);
        if (i < 0) continue;
        const WbemPropertyDef& def = cls.Properties()[static_cast<std::size_t>(i)];
        if (def.IsArray) continue;
        // A number compared with text compares as a number ("05" = 5): a provider
        // matching text could miss it, so text properties take only quoted values.
        const bool text = IsTextCimType(def.CimType);
        std::vector<WideString> texts;
        for (const auto& v : values) {
            if (text && !v.Quoted) {
                texts.clear();
                break;
            }
            texts.push_back(v.Text);
        }
        if (!texts.empty()) hint.Required.emplace(def.Name, std::move(texts));
    }
    // Conditions see values too: the provider must read what WHERE tests as well.
    if (!query.SelectAll()) hint.Selected = query.ReferencedProperties();
    return hint;
}

WbemObjectProducerFactory InstanceQueryProducer(std::vector<WbemClassEntry> classes, WqlQueryPtr query,
                                                WideString server, WbemNamespacePtr ns) {
    // Each class with instances of its own, and the class its objects are projected on.
    struct Part {
        WbemInstanceSourcePtr Source;
        WbemClassPtr Result;
    };
    auto parts = std::make_shared<std::vector<Part>>();
    for (const auto& entry : classes) {
        if (!entry.Source || entry.Class->IsAbstract()) continue;
        parts->push_back({entry.Source, query->SelectAll() ? nullptr : entry.Class->Project(query->Properties())});
    }
    auto hint = std::make_shared<WbemQueryHint>();
    if (!classes.empty()) *hint = QueryHint(*query, *classes.front().Class);
    const bool keepPath = SelectKeepsPath(*query);
    return [parts, hint, query, keepPath, server, ns]() -> WbemObjectProducer {
        struct State {
            std::size_t Part = 0;
            WbemObjectProducer Inner;
        };
        auto state = std::make_shared<State>();
        return [parts, hint, query, keepPath, server, ns, state](WbemObjectPtr& out) -> HRESULT {
            while (state->Part < parts->size()) {
                const Part& part = (*parts)[state->Part];
                if (!state->Inner) state->Inner = part.Source->Enumerate(*hint);
                WbemObjectPtr obj;
                HRESULT r = state->Inner(obj);
                if (Failed(r)) return r;
                if (r != S_OK) {
                    state->Inner = nullptr;
                    ++state->Part;
                    continue;
                }
                // Locate first: conditions on __PATH or __SERVER see the real values.
                obj->SetLocation(server, ns->Name(), ns);
                if (!Matches(*query, *obj)) continue;
                out = part.Result ? obj->Projected(part.Result, keepPath) : obj;
                return S_OK;
            }
            return S_FALSE;
        };
    };
}

WbemObjectProducerFactory MetaClassProducer(std::vector<WbemClassEntry> classes, WqlQueryPtr query,
                                            WideString server, WbemNamespacePtr ns) {
    return [classes = std::move(classes), query, server, ns]() -> WbemObjectProducer {
        auto next = std::make_shared<std::size_t>(0);
        return [classes, query, server, ns, next](WbemObjectPtr& out) -> HRESULT {
            while (*next < classes.size()) {
                auto cls = WbemObject::NewClassObject(classes[(*next)++].Class);
                cls->SetLocation(server, ns->Name(), ns);
                if (!Matches(*query, *cls)) continue;
                out = std::move(cls);
                return S_OK;
            }
            return S_FALSE;
        };
    };
}

}  // namespace veskin
