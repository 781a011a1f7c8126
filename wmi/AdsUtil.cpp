#include "wmi/AdsUtil.h"

#include "platform/ComObjects.h"
#include "wmi/WmiUtil.h"

namespace veskin {

namespace {

const WideString PdcNotRead = u"NOT_DEFINED";

}  // namespace

TAdsSystemInfo::TAdsSystemInfo() : FPDC(PdcNotRead) { RegisterWinNTSystemInfoClass(); }

TAdsSystemInfo::~TAdsSystemInfo() = default;

IADsWinNTSystemInfoPtr TAdsSystemInfo::SystemInfo() {
    if (!FSystemInfo) {
        IInterfacePtr obj;
        if (CoCreateInstance(CLSID_WinNTSystemInfo, nullptr, CLSCTX_INPROC_SERVER, IID_IADsWinNTSystemInfo, obj) == S_OK)
            FSystemInfo = Supports<IADsWinNTSystemInfo>(obj);
    }
    return FSystemInfo;
}

WideString TAdsSystemInfo::UserName() {
    WideString value;
    if (auto info = SystemInfo())
        if (Failed(info->get_UserName(value))) value.clear();
    return value;
}

WideString TAdsSystemInfo::ComputerName() {
    WideString value;
    if (auto info = SystemInfo())
        if (Failed(info->get_ComputerName(value))) value.clear();
    return value;
}

WideString TAdsSystemInfo::DomainName() {
    WideString value;
    if (auto info = SystemInfo())
        if (Failed(info->get_DomainName(value))) value.clear();
    return value;
}

WideString TAdsSystemInfo::PDC() {
    if (FPDC == PdcNotRead) {
        WideString value;
        if (auto info = SystemInfo())
            if (Failed(info->get_PDC(value))) value.clear();
        FPDC = value;
    }
    return FPDC;
}

WideString TAdsSystemInfo::WmiLibVersion() const { return WmiLibraryVersion(); }

}  // namespace veskin
