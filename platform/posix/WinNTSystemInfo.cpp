// The WinNT system-information object on a system without directory services: the
// effective user, the host name and the domain part of the host name.
#include "platform/WinNTSystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace veskin {

namespace {

std::string HostName() {
    char buffer[HOST_NAME_MAX + 1] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0) return std::string();
    return std::string(buffer);
}

class TLocalSystemInfo : public IADsWinNTSystemInfo {
public:
    HRESULT get_UserName(WideString& value) override {
        value.clear();
        long size = sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
        passwd entry{};
        passwd* found = nullptr;
        if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
            return E_FAIL;
        value = AnsiToWide(found->pw_name ? found->pw_name : "");
        return S_OK;
    }
    HRESULT get_ComputerName(WideString& value) override {
        const std::string host = HostName();
        value = AnsiToWide(host.substr(0, host.find('.')));
        return host.empty() ? E_FAIL : S_OK;
    }
    HRESULT get_DomainName(WideString& value) override {
        const std::string host = HostName();
        const std::size_t dot = host.find('.');
        value = dot == std::string::npos ? WideString() : AnsiToWide(host.substr(dot + 1));
        return S_OK;
    }
    // There is no domain controller to name.
    HRESULT get_PDC(WideString& value) override {
        value.clear();
        return S_OK;
    }
};

}  // namespace

HRESULT CreateWinNTSystemInfo(IADsWinNTSystemInfoPtr& obj) {
    obj = std::make_shared<TLocalSystemInfo>();
    return S_OK;
}

}  // namespace veskin
