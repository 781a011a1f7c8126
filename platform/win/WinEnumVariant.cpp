#include "platform/win/WinEnumVariant.h"

#include <vector>

#include "platform/win/OleVariant.h"

namespace veskin {

HRESULT TWinEnumVariant::Next(std::uint32_t count, Variant* elements, std::uint32_t* fetched) {
    if (fetched) *fetched = 0;
    if (count == 0) return S_OK;
    if (elements == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    std::vector<VARIANT> raw(count);
    for (VARIANT& v : raw) ::VariantInit(&v);
    ULONG got = 0;
    HRESULT hr = FIntf->Next(count, raw.data(), &got);
    if (got > count) got = count;
    // Every delivered element is converted and released, also after a failed conversion.
    HRESULT conversion = S_OK;
    for (ULONG i = 0; i < got; ++i) {
        if (SUCCEEDED(conversion)) conversion = OleToVariant(raw[i], elements[i]);
        ::VariantClear(&raw[i]);
    }
    if (FAILED(conversion)) return conversion;
    if (fetched) *fetched = got;
    return hr;
}

HRESULT TWinEnumVariant::Skip(std::uint32_t count) { return FIntf->Skip(count); }

HRESULT TWinEnumVariant::Reset() { return FIntf->Reset(); }

}  // namespace veskin
