#include "platform/WbemObject.h"

#include "platform/CimValue.h"
#include "platform/MofText.h"
#include "platform/WbemObjectPath.h"
#include "platform/WbemProperty.h"
#include "platform/WbemSystemProperties.h"

namespace veskin {

namespace {

// Where an object is before it is placed: no computer, no namespace.
const std::shared_ptr<const WbemObject::Location>& Nowhere() {
    static const auto nowhere = std::make_shared<const WbemObject::Location>();
    return nowhere;
}

}  // namespace

WbemObject::WbemObject(WbemClassPtr cls, Kind kind) : FClass(std::move(cls)), FKind(kind), FLocation(Nowhere()) {
    FValues.resize(FClass->PropertyCount(), Variant::Null());
}

WbemObject::WbemObject(WbemClassPtr cls, std::vector<Variant> values)
    : FClass(std::move(cls)), FKind(Kind::Instance), FValues(std::move(values)), FLocation(Nowhere()) {}

WbemObjectPtr WbemObject::NewInstance(WbemClassPtr cls) {
    return std::make_shared<WbemObject>(std::move(cls), Kind::Instance);
}

WbemObjectPtr WbemObject::NewLazy(WbemClassPtr cls, WbemValueSource source) {
    auto obj = std::make_shared<WbemObject>(std::move(cls), std::vector<Variant>());
    obj->FSource = std::move(source);
    return obj;
}

WbemObjectPtr WbemObject::NewWithValues(WbemClassPtr cls, std::vector<Variant> values) {
    values.resize(cls->PropertyCount(), Variant::Null());
    return std::make_shared<WbemObject>(std::move(cls), std::move(values));
}

WbemObjectPtr WbemObject::NewPacked(WbemClassPtr cls, PackedValuesPtr values) {
    auto obj = std::make_shared<WbemObject>(std::move(cls), std::vector<Variant>());
    obj->FPacked = std::move(values);
    return obj;
}

WbemObjectPtr WbemObject::NewClassObject(WbemClassPtr cls) {
    return std::make_shared<WbemObject>(std::move(cls), Kind::Class);
}

Variant WbemObject::GetValue(std::size_t index) const {
    if (index >= FClass->PropertyCount()) return Variant::Null();
    if (FPacked) return FPacked->Get(index);
    if (FSource) return FSource(index);
    return FValues[index];
}

Variant WbemObject::GetValue(const WideString& name) const {
    int i = FClass->IndexOf(name);
    if (i >= 0) return GetValue(static_cast<std::size_t>(i));
    return SystemPropertyValue(*this, name).value_or(Variant::Null());
}

void WbemObject::Materialise() {
    if (!FSource && !FPacked) return;
    std::vector<Variant> values;
    values.reserve(FClass->PropertyCount());
    for (std::size_t i = 0; i < FClass->PropertyCount(); ++i) values.push_back(GetValue(i));
    FValues = std::move(values);
    FSource = nullptr;
    FPacked.reset();
}

HRESULT WbemObject::SetValue(std::size_t index, const Variant& value) {
    if (index >= FClass->PropertyCount()) return WBEM_E_NOT_FOUND;
    const WbemPropertyDef& def = FClass->Properties()[index];
    Variant coerced;
    HRESULT hr = CimCoerce(value, def.CimType, def.IsArray, coerced);
    if (Failed(hr)) return hr;
    Materialise();
    FValues[index] = std::move(coerced);
    return S_OK;
}

HRESULT WbemObject::SetValue(const WideString& name, const Variant& value) {
    int i = FClass->IndexOf(name);
    if (i < 0) return WBEM_E_NOT_FOUND;
    return SetValue(static_cast<std::size_t>(i), value);
}

void WbemObject::SetLocation(const WideString& server, const WideString& nameSpace,
                             WbemObjectStorePtr store) {
    if (FLocation->Server != server || FLocation->NameSpace != nameSpace)
        FLocation = SharedLocation(server, nameSpace);
    FStore = std::move(store);
}

WbemObject::LocationPtr WbemObject::SharedLocation(const WideString& server, const WideString& nameSpace) {
    // Objects arrive in runs from one place: the last location made serves the run.
    thread_local LocationPtr last = Nowhere();
    if (last->Server != server || last->NameSpace != nameSpace)
        last = std::make_shared<const Location>(Location{server, nameSpace});
    return last;
}

HRESULT WbemObject::Check(const WbemObjectCall& call) const {
    return FHooks ? FHooks->BeforeObjectCall(call) : S_OK;
}

HRESULT WbemObject::Check(WbemObjectOp op) const {
    return FHooks ? FHooks->BeforeObjectCall(WbemObjectCall{op, FClass->Name()}) : S_OK;
}

WideString WbemObject::RelPath() const {
    if (IsClass()) return FClass->Name();
    if (!FKeptRelPath.empty()) return FKeptRelPath;
    return BuildRelPath(*FClass, [this](std::size_t i) { return GetValue(i); });
}

WideString WbemObject::FullPath() const {
    WideString rel = RelPath();
    if (rel.empty()) return rel;
    return u"\\\\" + Server() + u"\\" + NameSpace() + u":" + rel;
}

WbemObjectPtr WbemObject::Clone() const {
    auto copy = std::make_shared<WbemObject>(*this);
    return copy;
}

WbemObjectPtr WbemObject::Projected(const WbemClassPtr& projected, bool keepPath) const {
    auto copy = std::make_shared<WbemObject>(projected, FKind);
    if (keepPath) copy->FKeptRelPath = RelPath();
    for (std::size_t i = 0; i < projected->PropertyCount(); ++i)
        copy->FValues[i] = GetValue(projected->Properties()[i].Name);
    copy->FLocation = FLocation;
    copy->FStore = FStore;
    copy->FHooks = FHooks;
    return copy;
}

HRESULT WbemObject::get_Properties_(ISWbemPropertySetPtr& properties) {
    properties.reset();
    HRESULT hr = Check(WbemObjectOp::Properties);
    if (Failed(hr)) return hr;
    properties = std::make_shared<WbemPropertySet>(shared_from_this());
    return S_OK;
}

HRESULT WbemObject::get_Path_(ISWbemObjectPathPtr& path) {
    path.reset();
    HRESULT hr = Check(WbemObjectOp::Path);
    if (Failed(hr)) return hr;
    WideString rel = RelPath();
    path = std::make_shared<WbemObjectPath>(rel.empty() ? WideString() : Server(),
                                            rel.empty() ? WideString() : NameSpace(),
                                            FClass->Name(), rel);
    return S_OK;
}

HRESULT WbemObject::Put_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet,
                         ISWbemObjectPathPtr& path) {
    path.reset();
    HRESULT hr = Check(WbemObjectCall{WbemObjectOp::Put, FClass->Name(), flags, valueSet != nullptr});
    if (Failed(hr)) return hr;
    if (IsClass() || !FStore) return WBEM_E_NOT_SUPPORTED;
    hr = FStore->PutObject(*this);
    if (Failed(hr)) return hr;
    path = std::make_shared<WbemObjectPath>(Server(), NameSpace(), FClass->Name(), RelPath());
    return hr;
}

HRESULT WbemObject::Delete_(std::int32_t flags, const ISWbemNamedValueSetPtr& valueSet) {
    HRESULT hr = Check(WbemObjectCall{WbemObjectOp::Delete, FClass->Name(), flags, valueSet != nullptr});
    if (Failed(hr)) return hr;
    if (IsClass() || !FStore) return WBEM_E_NOT_SUPPORTED;
    return FStore->DeleteObject(*this);
}

HRESULT WbemObject::GetObjectText_(std::int32_t flags, WideString& text) {
    text.clear();
    HRESULT hr = Check(WbemObjectCall{WbemObjectOp::ObjectText, FClass->Name(), flags});
    if (Failed(hr)) return hr;
    text = MofText(*this);
    return S_OK;
}

}  // namespace veskin
