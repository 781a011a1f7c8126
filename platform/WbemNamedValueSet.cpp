#include "platform/WbemNamedValueSet.h"

#include "platform/QueryInterface.h"
#include "platform/VariantEnumerator.h"
#include "rtl/TextFold.h"

namespace veskin {

WbemNamedValue::WbemNamedValue(WideString name, Variant value)
    : FName(std::move(name)), FValue(std::move(value)) {}

HRESULT WbemNamedValue::get_Name(WideString& name) {
    name = FName;
    return S_OK;
}

HRESULT WbemNamedValue::get_Value(Variant& value) {
    value = Value();
    return S_OK;
}

Variant WbemNamedValue::Value() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FValue;
}

void WbemNamedValue::SetValue(const Variant& value) {
    std::lock_guard<std::mutex> guard(FLock);
    FValue = value;
}

HRESULT WbemNamedValueSet::Add(const WideString& name, const Variant& value, std::int32_t,
                               ISWbemNamedValuePtr& namedValue) {
    std::lock_guard<std::mutex> guard(FLock);
    for (auto& item : FItems) {
        if (SameTextW(item->Name(), name)) {
            item->SetValue(value);
            namedValue = item;
            return S_OK;
        }
    }
    auto item = std::make_shared<WbemNamedValue>(name, value);
    FItems.push_back(item);
    namedValue = item;
    return S_OK;
}

HRESULT WbemNamedValueSet::Item(const WideString& name, std::int32_t,
                                ISWbemNamedValuePtr& namedValue) {
    namedValue.reset();
    std::lock_guard<std::mutex> guard(FLock);
    for (auto& item : FItems) {
        if (SameTextW(item->Name(), name)) {
            namedValue = item;
            return S_OK;
        }
    }
    return WBEM_E_NOT_FOUND;
}

HRESULT WbemNamedValueSet::get_Count(std::int32_t& count) {
    std::lock_guard<std::mutex> guard(FLock);
    count = static_cast<std::int32_t>(FItems.size());
    return S_OK;
}

HRESULT WbemNamedValueSet::get__NewEnum(IInterfacePtr& enumerator) {
    std::vector<Variant> elements;
    for (auto& item : Items()) elements.push_back(Variant::FromDispatch(item));
    enumerator = VariantEnumerator::OverList(std::move(elements));
    return S_OK;
}

std::vector<std::shared_ptr<WbemNamedValue>> WbemNamedValueSet::Items() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FItems;
}

ClassFactory NamedValueSetFactory() {
    return [](const IID& iid, IInterfacePtr& obj) -> HRESULT {
        return QueryInterfaceByIid(std::make_shared<WbemNamedValueSet>(), iid, obj);
    };
}

}  // namespace veskin
