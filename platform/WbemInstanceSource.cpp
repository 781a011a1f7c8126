#include "platform/WbemInstanceSource.h"

#include "platform/WbemObjectPath.h"
#include "rtl/TextFold.h"

namespace veskin {

HRESULT WbemInstanceSource::PutInstance(const WbemObject&) { return WBEM_E_PROVIDER_NOT_CAPABLE; }

HRESULT WbemInstanceSource::DeleteInstance(const WbemObject&) {
    return WBEM_E_PROVIDER_NOT_CAPABLE;
}

const std::vector<WideString>* WbemQueryHint::RequiredValues(const WideString& property) const {
    auto it = Required.find(property);
    return it == Required.end() ? nullptr : &it->second;
}

bool WbemQueryHint::Wants(const WideString& property) const {
    if (Selected.empty()) return true;
    for (const auto& name : Selected)
        if (SameTextW(name, property)) return true;
    return false;
}

WbemObjectProducer WbemInstanceSource::Enumerate(const WbemQueryHint&) { return Enumerate(); }

ProviderInstanceSource::ProviderInstanceSource(std::function<WbemObjectProducer()> enumerate)
    : FEnumerate([e = std::move(enumerate)](const WbemQueryHint&) { return e(); }) {}

ProviderInstanceSource::ProviderInstanceSource(HintedEnumerate enumerate)
    : FEnumerate(std::move(enumerate)) {}

WbemObjectProducer ProviderInstanceSource::Enumerate() { return FEnumerate(WbemQueryHint{}); }

WbemObjectProducer ProviderInstanceSource::Enumerate(const WbemQueryHint& hint) { return FEnumerate(hint); }

bool SameKeys(const WbemObject& a, const WbemObject& b) {
    const WbemClass& cls = *a.Class();
    for (std::size_t k : cls.KeyIndexes()) {
        const WbemPropertyDef& def = cls.Properties()[k];
        Variant va = a.GetValue(k);
        Variant vb = b.GetValue(def.Name);
        if (va.IsNull() != vb.IsNull()) return false;
        if (!SameTextW(KeyCompareText(va, def.CimType), KeyCompareText(vb, def.CimType)))
            return false;
    }
    return true;
}

StoredInstanceSource::StoredInstanceSource(WbemClassPtr cls) : FClass(std::move(cls)) {}

int StoredInstanceSource::FindLocked(const WbemObject& object) const {
    for (std::size_t i = 0; i < FInstances.size(); ++i)
        if (SameKeys(*FInstances[i], object)) return static_cast<int>(i);
    return -1;
}

HRESULT StoredInstanceSource::Add(const WbemObject& object) { return PutInstance(object); }

std::size_t StoredInstanceSource::Count() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FInstances.size();
}

std::vector<WbemObjectPtr> StoredInstanceSource::Snapshot() const {
    std::lock_guard<std::mutex> guard(FLock);
    std::vector<WbemObjectPtr> copies;
    for (const auto& obj : FInstances) copies.push_back(obj->Clone());
    return copies;
}

WbemObjectProducer StoredInstanceSource::Enumerate() {
    auto next = std::make_shared<std::size_t>(0);
    auto self = shared_from_this();
    return [self, next](WbemObjectPtr& out) -> HRESULT {
        std::lock_guard<std::mutex> guard(self->FLock);
        if (*next >= self->FInstances.size()) return S_FALSE;
        out = self->FInstances[(*next)++]->Clone();
        return S_OK;
    };
}

HRESULT StoredInstanceSource::PutInstance(const WbemObject& object) {
    if (!SameTextW(object.Class()->Name(), FClass->Name())) return WBEM_E_INVALID_CLASS;
    // Every key of the class must be given a value.
    for (std::size_t k : FClass->KeyIndexes()) {
        if (object.GetValue(FClass->Properties()[k].Name).IsNull()) return WBEM_E_ILLEGAL_NULL;
    }
    std::lock_guard<std::mutex> guard(FLock);
    int found = FindLocked(object);
    WbemObjectPtr stored = found >= 0 ? FInstances[static_cast<std::size_t>(found)]->Clone()
                                      : WbemObject::NewInstance(FClass);
    const WbemClass& given = *object.Class();
    for (std::size_t i = 0; i < given.PropertyCount(); ++i) {
        HRESULT hr = stored->SetValue(given.Properties()[i].Name, object.GetValue(i));
        if (Failed(hr) && hr != WBEM_E_NOT_FOUND) return hr;
    }
    stored->SetLocation(WideString(), WideString(), nullptr);
    stored->SetHooks(nullptr);
    if (found >= 0)
        FInstances[static_cast<std::size_t>(found)] = stored;
    else
        FInstances.push_back(stored);
    return S_OK;
}

HRESULT StoredInstanceSource::DeleteInstance(const WbemObject& object) {
    std::lock_guard<std::mutex> guard(FLock);
    int found = FindLocked(object);
    if (found < 0) return WBEM_E_NOT_FOUND;
    FInstances.erase(FInstances.begin() + found);
    return S_OK;
}

}  // namespace veskin
