// The WinNT system-information class on Windows: the directory services' own object,
// created through COM and read through its automation interface.
#include "platform/WinNTSystemInfo.h"

#include "platform/win/OleText.h"
#include "platform/win/WinAdapter.h"

#include <iads.h>

namespace veskin {

namespace {

class TWinNTSystemInfo : public IADsWinNTSystemInfo, public TWinAdapter<::IADsWinNTSystemInfo> {
public:
    using TWinAdapter<::IADsWinNTSystemInfo>::TWinAdapter;
    HRESULT get_UserName(WideString& value) override {
        BSTR raw = nullptr;
        return DeliverText(FIntf->get_UserName(&raw), raw, value);
    }
    HRESULT get_ComputerName(WideString& value) override {
        BSTR raw = nullptr;
        return DeliverText(FIntf->get_ComputerName(&raw), raw, value);
    }
    HRESULT get_DomainName(WideString& value) override {
        BSTR raw = nullptr;
        return DeliverText(FIntf->get_DomainName(&raw), raw, value);
    }
    HRESULT get_PDC(WideString& value) override {
        BSTR raw = nullptr;
        return DeliverText(FIntf->get_PDC(&raw), raw, value);
    }
};

}  // namespace

HRESULT CreateWinNTSystemInfo(IADsWinNTSystemInfoPtr& obj) {
    obj.reset();
    TComPtr<::IADsWinNTSystemInfo> raw;
    HRESULT hr = ::CoCreateInstance(ToWinGuid(CLSID_WinNTSystemInfo), nullptr, CLSCTX_INPROC_SERVER,
                                    ToWinGuid(IID_IADsWinNTSystemInfo), reinterpret_cast<void**>(raw.Out()));
    if (FAILED(hr)) return hr;
    if (!raw) return E_POINTER;
    obj = std::make_shared<TWinNTSystemInfo>(std::move(raw));
    return hr;
}

}  // namespace veskin
