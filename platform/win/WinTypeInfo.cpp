#include "platform/win/WinTypeInfo.h"

namespace veskin {

HRESULT TWinTypeLib::GetLibAttr(TLibAttr& attr) {
    TLIBATTR* raw = nullptr;
    HRESULT hr = FLib->GetLibAttr(&raw);
    if (FAILED(hr) || raw == nullptr) return FAILED(hr) ? hr : E_POINTER;
    attr.wMajorVerNum = raw->wMajorVerNum;
    attr.wMinorVerNum = raw->wMinorVerNum;
    FLib->ReleaseTLibAttr(raw);
    return hr;
}

HRESULT TWinTypeInfo::GetContainingTypeLib(std::shared_ptr<ITypeLib>& lib, std::uint32_t& index) {
    TComPtr<::ITypeLib> raw;
    UINT rawIndex = 0;
    HRESULT hr = FInfo->GetContainingTypeLib(raw.Out(), &rawIndex);
    index = rawIndex;
    if (FAILED(hr)) raw.Reset();
    WrapInto<TWinTypeLib>(std::move(raw), lib);
    return hr;
}

}  // namespace veskin
