#pragma once
// The logged-on user, the computer, its domain and primary domain controller, read
// through the WinNT system-information object, and the WMI scripting library version.
#include "platform/WinNTSystemInfo.h"
#include "rtl/Component.h"

namespace veskin {

class TAdsSystemInfo : public TPersistent {
public:
    TAdsSystemInfo();
    ~TAdsSystemInfo() override;

    std::string ClassName() const override { return "TAdsSystemInfo"; }

    // Empty when the system-info object cannot be had or the read fails.
    WideString UserName();
    WideString ComputerName();
    WideString DomainName();
    // Read once and cached, also when empty.
    WideString PDC();
    WideString WmiLibVersion() const;

    // The properties are read-only in effect: written values are ignored.
    void SetUserName(const WideString&) {}
    void SetComputerName(const WideString&) {}
    void SetDomainName(const WideString&) {}
    void SetPDC(const WideString&) {}
    void SetWmiLibVersion(const WideString&) {}

private:
    // The system-info object, created on first use; null while creation fails.
    IADsWinNTSystemInfoPtr SystemInfo();

    IADsWinNTSystemInfoPtr FSystemInfo;
    WideString FPDC;
};

}  // namespace veskin
