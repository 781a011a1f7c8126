#pragma once
// The directory services' WinNT system-information object: the logged-on user, the
// computer, its domain and the domain's primary domain controller.
#include "platform/ComTypes.h"
#include "rtl/Interface.h"
#include "rtl/WideString.h"

namespace veskin {

extern const CLSID CLSID_WinNTSystemInfo;      // {66182EC4-AFD1-11D2-9CB9-0000F87A369E}
extern const IID IID_IADsWinNTSystemInfo;      // {6C6D65DC-AFD1-11D2-9CB9-0000F87A369E}

class IADsWinNTSystemInfo : public virtual IDispatch {
public:
    virtual HRESULT get_UserName(WideString& value) = 0;
    virtual HRESULT get_ComputerName(WideString& value) = 0;
    virtual HRESULT get_DomainName(WideString& value) = 0;
    virtual HRESULT get_PDC(WideString& value) = 0;
};
using IADsWinNTSystemInfoPtr = std::shared_ptr<IADsWinNTSystemInfo>;

// Registers this platform's WinNTSystemInfo class with the class registry, once per
// process (where the system provides the class itself, nothing is registered).
void RegisterWinNTSystemInfoClass();

}  // namespace veskin
