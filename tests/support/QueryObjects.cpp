#include "tests/support/QueryObjects.h"

#include "rtl/Interface.h"

namespace veskin {

HRESULT QueryObjects(const ISWbemServicesPtr& services, const WideString& wql, std::vector<ISWbemObjectPtr>& objects,
                     std::int32_t flags) {
    objects.clear();
    ISWbemObjectSetPtr set;
    HRESULT hr = services->ExecQuery(wql, u"WQL", flags, nullptr, set);
    if (Failed(hr)) return hr;
    IInterfacePtr e;
    hr = set->get__NewEnum(e);
    if (Failed(hr)) return hr;
    auto en = IntfCast<IEnumVARIANT>(e);
    for (;;) {
        Variant v;
        std::uint32_t got = 0;
        hr = en->Next(1, &v, &got);
        if (Failed(hr)) return hr;
        if (got != 1) return S_OK;
        objects.push_back(IntfCast<ISWbemObject>(v.RawInterface()));
    }
}

}  // namespace veskin
