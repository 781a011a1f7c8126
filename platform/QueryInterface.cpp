#include "platform/QueryInterface.h"

#include "platform/WbemScripting.h"

namespace veskin {

const IID IID_IUnknown = GUID::Parse("{00000000-0000-0000-C000-000000000046}");
const IID IID_IDispatch = GUID::Parse("{00020400-0000-0000-C000-000000000046}");

namespace {

template <class T>
bool Has(const IInterfacePtr& obj) {
    return std::dynamic_pointer_cast<T>(obj) != nullptr;
}

}  // namespace

HRESULT QueryInterfaceByIid(const IInterfacePtr& obj, const IID& iid, IInterfacePtr& out) {
    out.reset();
    if (!obj) return E_POINTER;
    bool has = false;
    if (iid == IID_IUnknown)
        has = true;
    else if (iid == IID_IDispatch)
        has = Has<IDispatch>(obj);
    else if (iid == IID_ISWbemLocator)
        has = Has<ISWbemLocator>(obj);
    else if (iid == IID_ISWbemNamedValueSet)
        has = Has<ISWbemNamedValueSet>(obj);
    else if (iid == IID_IEnumVARIANT)
        has = Has<IEnumVARIANT>(obj);
    else if (iid == IID_ISWbemObject)
        has = Has<ISWbemObject>(obj);
    else if (iid == IID_ISWbemProperty)
        has = Has<ISWbemProperty>(obj);
    else if (iid == IID_ISWbemQualifier)
        has = Has<ISWbemQualifier>(obj);
    if (!has) return E_NOINTERFACE;
    out = obj;
    return S_OK;
}

}  // namespace veskin
