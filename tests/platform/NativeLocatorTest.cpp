#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/ComObjects.h"
#include "platform/native/NativeService.h"
#include "platform/native/WsmanModuleLoader.h"

namespace veskin {
namespace {

std::shared_ptr<ISWbemLocator> SystemLocator() {
    IInterfacePtr obj;
    EXPECT_EQ(CoCreateInstance(CLSID_SWbemLocator, nullptr, 7, IID_ISWbemLocator, obj), S_OK);
    return Supports<ISWbemLocator>(obj);
}

HRESULT ConnectAs(const char* server, const char* ns, const char* user = "", const char* password = "",
                  const char* authority = "") {
    ISWbemServicesPtr services;
    HRESULT hr = SystemLocator()->ConnectServer(W(server), W(ns), W(user), W(password), u"", W(authority),
                                                wbemConnectFlagUseMaxWait, nullptr, services);
    EXPECT_EQ(Succeeded(hr), services != nullptr);
    return hr;
}

std::string HostName() {
    char buf[256] = {};
    ::gethostname(buf, sizeof buf - 1);
    return buf;
}

TEST(NativeLocator, LocalNamesAndTheirRefusals) {
    const std::string host = HostName();
    std::string upperHost = host;
    for (char& c : upperHost) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& name : {std::string(), std::string("."), std::string("LocalHost"),
                                    std::string("127.0.0.1"), std::string("127.1.2.3"), std::string("::1"),
                                    std::string("\\\\."), host, upperHost})
        EXPECT_EQ(ConnectAs(name.c_str(), "root\\cimv2"), S_OK) << name;
    for (const char* other : {"otherhost", "10.1.2.3", "127.0.0.256", "128.0.0.1", "localhost2", "::2",
                              "127.0.0.1:5985", "http://localhost"})
        EXPECT_FALSE(IsLocalComputerName(W(other), host)) << other;
    // Other computers go to their WinRM service: a loopback port where none listens.
    EXPECT_EQ(ConnectAs("127.0.0.1:1", "root\\cimv2"), MakeHResult(0x80338112u));
    EXPECT_EQ(ConnectAs("http://[::1]:1/wsman", "root\\cimv2"), MakeHResult(0x80338112u));
    EXPECT_EQ(ConnectAs("no such host", "root\\cimv2"), MakeHResult(0x803381B9u));

    EXPECT_EQ(ConnectAs("", "ROOT/CIMV2"), S_OK);
    EXPECT_EQ(ConnectAs("", "Root\\CimV2"), S_OK);
    EXPECT_EQ(ConnectAs("", "root\\default"), WBEM_E_INVALID_NAMESPACE);
    EXPECT_EQ(ConnectAs("", "root\\cimv2\\x"), WBEM_E_INVALID_NAMESPACE);
    EXPECT_EQ(ConnectAs("", "root\\cimv2", "admin"), WBEM_E_LOCAL_CREDENTIALS);
    EXPECT_EQ(ConnectAs(".", "root\\cimv2", "", "secret"), WBEM_E_LOCAL_CREDENTIALS);
    // The window always passes an authority (domain prefix and domain); alone it is accepted.
    EXPECT_EQ(ConnectAs("", "root\\cimv2", "", "", "NTLMDOMAIN:"), S_OK);
    // An account goes to the other computer too (what its server offers decides how).
    EXPECT_EQ(ConnectAs("127.0.0.1:1", "root\\cimv2", "admin", "pw"), MakeHResult(0x80338112u));
}

TEST(NativeLocator, SecurityOfLocatorAndServices) {
    auto locator = SystemLocator();
    ISWbemSecurityPtr security;
    ASSERT_EQ(locator->get_Security_(security), S_OK);
    ASSERT_TRUE(security);
    ISWbemServicesPtr services;
    ASSERT_EQ(locator->ConnectServer(u"", u"root\\cimv2", u"", u"", u"", u"", 128, nullptr, services), S_OK);
    ASSERT_EQ(services->get_Security_(security), S_OK);
    ASSERT_TRUE(security);
    EXPECT_EQ(security->put_ImpersonationLevel(wbemImpersonationLevelImpersonate), S_OK);
    std::int32_t level = 0;
    EXPECT_EQ(security->get_ImpersonationLevel(level), S_OK);
    EXPECT_EQ(level, wbemImpersonationLevelImpersonate);
}

TEST(NativeLocator, TheRemoteModuleIsCheckedWhenOpened) {
    std::string reason;
    EXPECT_EQ(OpenWsmanModule("/nonexistent/veskin-wsman.so", reason), nullptr);
    EXPECT_NE(reason.find("/nonexistent/veskin-wsman.so"), std::string::npos) << reason;
    // A library that is not the module.
    EXPECT_EQ(OpenWsmanModule("libm.so.6", reason), nullptr);
    EXPECT_EQ(reason, "libm.so.6 has no entry veskin_wsman_module");
    // The build's own module, found in the program's library folders (its run path).
    const WsmanModule* module = LoadWsmanModule(&reason);
    ASSERT_NE(module, nullptr) << reason;
    EXPECT_EQ(module, LoadedWsmanModule());
    EXPECT_TRUE(module->MakeLocator && module->Diagnose && module->ServerGaveNoClassSchema);
}

}  // namespace
}  // namespace veskin
