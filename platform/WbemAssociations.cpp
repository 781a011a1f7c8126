#include "platform/WbemAssociations.h"

#include <set>

#include "platform/WbemObjectPath.h"
#include "platform/WbemScripting.h"

namespace veskin {

bool IsAssociationClass(const WbemClass& cls) {
    const auto& keys = cls.KeyIndexes();
    if (keys.size() < 2) return false;
    for (std::size_t k : keys)
        if (cls.Properties()[k].CimType != wbemCimtypeReference || cls.Properties()[k].IsArray) return false;
    return true;
}

namespace {

// The key values of a parsed path by the names of cls's keys (a short-form value
// belongs to the class's one key).
bool KeysOfPath(const WbemClass& cls, const ParsedObjectPath& path, std::map<WideString, WideString, TextLessW>& keys) {
    if (path.IsClass || path.Singleton) return false;
    for (const auto& [name, value] : path.Keys) {
        if (!name.empty()) keys[name] = value;
        else if (cls.KeyIndexes().size() == 1) keys[cls.Properties()[cls.KeyIndexes()[0]].Name] = value;
        else return false;
    }
    return true;
}

// The class a reference property points at ("ref:Win32_Process"); empty for any class.
WideString RefTarget(const WbemPropertyDef& def) {
    for (const auto& q : def.Qualifiers) {
        if (!SameTextW(q.Name, u"CIMTYPE") || q.Value.VarType() != varOleStr) continue;
        const WideString& text = q.Value.RawOleStr();
        if (text.size() > 4 && text.compare(0, 4, u"ref:") == 0) return text.substr(4);
    }
    return {};
}

// The class qualifiers the object model knows the truth of: Association (keys that are
// references) and Abstract. Classes carry no others here.
bool ClassHasQualifier(const WbemClass& cls, const WideString& qualifier) {
    if (SameTextW(qualifier, u"Association")) return IsAssociationClass(cls);
    if (SameTextW(qualifier, u"Abstract")) return cls.IsAbstract();
    return false;
}

WbemObjectPtr KeysOnly(const WbemObjectPtr& obj) {
    std::vector<WideString> names;
    for (std::size_t k : obj->Class()->KeyIndexes()) names.push_back(obj->Class()->Properties()[k].Name);
    return obj->Projected(obj->Class()->Project(names), true);
}

struct AssociationRun {
    WqlAssociationQuery Query;
    WbemObjectPtr Source;
    WbemNamespacePtr Ns;
    WbemObjectGetter Get;
    WideString Server;

    std::vector<WbemObjectPtr> Out;
    std::set<WideString, TextLessW> Seen;  // paths (and, for class definitions, names) given

    void Add(const WbemObjectPtr& obj) {
        if (Query.ClassDefsOnly) {
            if (!Seen.insert(obj->Class()->Name()).second) return;
            auto cls = WbemObject::NewClassObject(obj->Class());
            cls->SetLocation(Server, Ns->Name(), Ns);
            Out.push_back(std::move(cls));
            return;
        }
        if (!Seen.insert(obj->RelPath()).second) return;
        Out.push_back(Query.KeysOnly ? KeysOnly(obj) : obj);
    }

    // The other ends of one association instance that refers to the source as role.
    void AddAssociators(const WbemObject& association, std::size_t role) {
        for (std::size_t k : association.Class()->KeyIndexes()) {
            const WbemPropertyDef& def = association.Class()->Properties()[k];
            if (k == role || (!Query.ResultRole.empty() && !SameTextW(def.Name, Query.ResultRole))) continue;
            const Variant path = association.GetValue(k);
            if (path.VarType() != varOleStr) continue;
            WbemObjectPtr target;
            if (Failed(Get(path.RawOleStr(), target)) || !target) continue;  // gone since
            if (!Query.ResultClass.empty() && !target->Class()->IsA(Query.ResultClass)) continue;
            if (!Query.RequiredQualifier.empty() && !ClassHasQualifier(*target->Class(), Query.RequiredQualifier)) continue;
            Add(target);
        }
    }

    HRESULT Run() {
        for (const WbemClassEntry& entry : Ns->Classes()) {
            const WbemClass& cls = *entry.Class;
            if (!entry.Source || cls.IsAbstract() || !IsAssociationClass(cls)) continue;
            if (!Query.AssocClass.empty() && !cls.IsA(Query.AssocClass)) continue;
            if (Query.References && !Query.ResultClass.empty() && !cls.IsA(Query.ResultClass)) continue;
            if (!Query.RequiredAssocQualifier.empty() && !ClassHasQualifier(cls, Query.RequiredAssocQualifier)) continue;
            if (Query.References && !Query.RequiredQualifier.empty() && !ClassHasQualifier(cls, Query.RequiredQualifier))
                continue;
            // The roles that can name the source: Role, and a reference to its class.
            std::vector<std::size_t> roles;
            for (std::size_t k : cls.KeyIndexes()) {
                const WbemPropertyDef& def = cls.Properties()[k];
                const WideString target = RefTarget(def);
                if (!Query.Role.empty() && !SameTextW(def.Name, Query.Role)) continue;
                if (!target.empty() && !Source->Class()->IsA(target)) continue;
                roles.push_back(k);
            }
            if (roles.empty()) continue;
            WbemObjectProducer producer = entry.Source->Enumerate(WbemQueryHint{});
            for (;;) {
                WbemObjectPtr association;
                HRESULT hr = producer(association);
                if (Failed(hr)) return hr;
                if (hr != S_OK) break;
                association->SetLocation(Server, Ns->Name(), Ns);
                for (std::size_t role : roles) {
                    const Variant path = association->GetValue(role);
                    if (path.VarType() != varOleStr || !PathNamesObject(path.RawOleStr(), *Source)) continue;
                    if (Query.References) Add(association);
                    else AddAssociators(*association, role);
                }
            }
        }
        return S_OK;
    }
};

}  // namespace

bool PathNamesObject(const WideString& path, const WbemObject& object) {
    ParsedObjectPath parsed;
    if (Failed(ParseObjectPath(path, parsed)) || !SameTextW(parsed.ClassName, object.Class()->Name())) return false;
    std::map<WideString, WideString, TextLessW> keys;
    if (!KeysOfPath(*object.Class(), parsed, keys) || keys.size() != object.Class()->KeyIndexes().size()) return false;
    for (std::size_t k : object.Class()->KeyIndexes()) {
        const WbemPropertyDef& def = object.Class()->Properties()[k];
        auto it = keys.find(def.Name);
        if (it == keys.end() || !SameTextW(KeyCompareText(object.GetValue(k), def.CimType), it->second)) return false;
    }
    return true;
}

WbemObjectProducerFactory AssociationQueryProducer(WqlAssociationQuery query, WbemObjectPtr source,
                                                   WbemNamespacePtr ns, WbemObjectGetter get, WideString server) {
    auto run = std::make_shared<AssociationRun>();
    run->Query = std::move(query);
    run->Source = std::move(source);
    run->Ns = std::move(ns);
    run->Get = std::move(get);
    run->Server = std::move(server);
    return [run]() -> WbemObjectProducer {
        struct State {
            bool Done = false;
            HRESULT Result = S_OK;
            std::vector<WbemObjectPtr> Objects;
            std::size_t Next = 0;
        };
        auto state = std::make_shared<State>();
        return [run, state](WbemObjectPtr& out) -> HRESULT {
            if (!state->Done) {
                AssociationRun fresh = *run;
                state->Result = fresh.Run();
                state->Objects = std::move(fresh.Out);
                state->Done = true;
            }
            if (Failed(state->Result)) return state->Result;
            if (state->Next >= state->Objects.size()) return S_FALSE;
            out = state->Objects[state->Next++];
            return S_OK;
        };
    };
}

}  // namespace veskin
