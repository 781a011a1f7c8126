#pragma once
// The common shape of the adapters: each holds the system's interface and answers our
// abstract interface by calling it, converting text, values and object references.
#include "platform/win/OleText.h"
#include "platform/win/WinComObject.h"

namespace veskin {

template <class Intf>
class TWinAdapter : public TWinComObject {
public:
    explicit TWinAdapter(TComPtr<Intf> object)
        : TWinComObject(TComPtr<::IUnknown>(object.Get(), true)), FIntf(std::move(object)) {}
    Intf* Com() const { return FIntf.Get(); }

protected:
    TComPtr<Intf> FIntf;
};

// Hands a delivered object to the caller in its adapter; the caller's reference is
// null when the call failed or delivered nothing.
template <class Adapter, class Intf, class Target>
HRESULT Deliver(HRESULT hr, TComPtr<Intf>& object, std::shared_ptr<Target>& target) {
    if (FAILED(hr)) object.Reset();
    WrapInto<Adapter>(std::move(object), target);
    return hr;
}

// Hands delivered text to the caller (empty when the call failed) and frees the BSTR.
inline HRESULT DeliverText(HRESULT hr, BSTR text, WideString& target) {
    target = TakeBStr(text);
    if (FAILED(hr)) target.clear();
    return hr;
}

// The enumerator behind an object's _NewEnum, in its adapter.
HRESULT DeliverEnumerator(HRESULT hr, TComPtr<::IUnknown>& object, IInterfacePtr& target);

// The value set to hand to a WMI call: the COM object behind one of our sets, or, for
// a set of another kind, a new system set with the same names and values.
HRESULT ComValueSet(const ISWbemNamedValueSetPtr& valueSet, TComPtr<::IDispatch>& target);

}  // namespace veskin
