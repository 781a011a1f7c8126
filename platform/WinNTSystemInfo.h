#pragma once
// The directory services' WinNT system-information object: the logged-on user, the
// computer, its domain and the domain's primary domain controller.
#include "platform/ComTypes.h"
#include "rtl/Interface.h"
#include "rtl/WideString.h"

namespace veskin {

extern const CLSID CLSID_WinNTSystemInfo;  // {66182EC4-AFD1-11D2-9CB9-0000F87A369E}
extern const IID IID_IADsWinNTSystemInfo;  // {6C6D65DC-AFD1-11D2-9CB9-0000F87A369E}

class IADsWinNTSystemInfo : public virtual IDispatch {
public:
    virtual HRESULT get_UserName(WideString& value) = 0;
    virtual HRESULT get_ComputerName(WideString& value) = 0;
    virtual HRESULT get_DomainName(WideString& value) = 0;
    virtual HRESULT get_PDC(WideString& value) = 0;
};
using IADsWinNTSystemInfoPtr = std::shared_ptr<IADsWinNTSystemInfo>;

// Registers the WinNTSystemInfo class with the class registry, once per process: on
// Windows the directory services' own object (platform/win/), elsewhere a stand-in
// that reads the effective user and the host name (platform/posix/).
void RegisterWinNTSystemInfoClass();

// Makes this system's object; used by the registered class.
HRESULT CreateWinNTSystemInfo(IADsWinNTSystemInfoPtr& obj);

}  // namespace veskin
