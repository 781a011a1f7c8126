#include "platform/WinNTSystemInfo.h"

#include <mutex>

#include "platform/ComObjects.h"

namespace veskin {

const CLSID CLSID_WinNTSystemInfo = GUID::Parse("{66182EC4-AFD1-11D2-9CB9-0000F87A369E}");
const IID IID_IADsWinNTSystemInfo = GUID::Parse("{6C6D65DC-AFD1-11D2-9CB9-0000F87A369E}");

void RegisterWinNTSystemInfoClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterClassFactory(CLSID_WinNTSystemInfo, [](const IID& iid, IInterfacePtr& obj) -> HRESULT {
            obj.reset();
            if (iid != IID_IADsWinNTSystemInfo) return E_NOINTERFACE;
            IADsWinNTSystemInfoPtr info;
            const HRESULT hr = CreateWinNTSystemInfo(info);
            obj = info;
            return hr;
        });
    });
}

}  // namespace veskin
