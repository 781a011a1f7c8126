#pragma once
// Our objects that stand for objects of the system's COM. Each keeps its COM object
// alive and hands it back out when a value returns to COM.
#include <memory>

#include "platform/win/ComPtr.h"

namespace veskin {

class TWinComObject : public virtual IDispatch {
public:
    explicit TWinComObject(TComPtr<::IUnknown> object) : FObject(std::move(object)) {}
    ::IUnknown* ComObject() const { return FObject.Get(); }
    // The object's automation interface; empty when it has none.
    TComPtr<::IDispatch> ComDispatch() const;
    // The object's own type information, wrapped.
    HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t lcid,
                        std::shared_ptr<ITypeInfo>& info) override;

private:
    TComPtr<::IUnknown> FObject;
};

// An automation object that is none of the WMI kinds.
class TWinDispatch : public TWinComObject {
public:
    using TWinComObject::TWinComObject;
};

// The matching adapter for a COM object: ISWbemObject, ISWbemProperty,
// ISWbemQualifier, ISWbemNamedValue, ISWbemObjectPath, ISWbemObjectSet,
// ISWbemServices, an enumerator, or else a plain TWinDispatch. Null for null.
IInterfacePtr WrapComObject(::IUnknown* object);

// The COM object behind one of our adapters, as IDispatch; empty for null and for
// objects that do not come from COM.
TComPtr<::IDispatch> UnwrapDispatch(const IInterfacePtr& object);

// For a result that comes back as a new reference: wraps it into the adapter Adapter
// (constructed from TComPtr<Intf>) or leaves the target null when it is null.
template <class Adapter, class Intf, class Target>
void WrapInto(TComPtr<Intf>&& object, std::shared_ptr<Target>& target) {
    if (object)
        target = std::make_shared<Adapter>(std::move(object));
    else
        target.reset();
}

}  // namespace veskin
