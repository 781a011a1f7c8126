#include "wmi/AdsUtil.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/ComObjects.h"

namespace veskin {
namespace {

// A system-info object that counts its reads and answers fixed texts.
class CountingSystemInfo : public IADsWinNTSystemInfo {
public:
    HRESULT get_UserName(WideString& v) override { return Answer(v, u"jdoe"); }
    HRESULT get_ComputerName(WideString& v) override { return Answer(v, u"PC1"); }
    HRESULT get_DomainName(WideString& v) override { return Answer(v, u"CORP"); }
    HRESULT get_PDC(WideString& v) override {
        ++PdcReads;
        return Answer(v, u"DC1");
    }
    int PdcReads = 0;
    HRESULT ReadResult = S_OK;

private:
    HRESULT Answer(WideString& v, const char16_t* text) {
        // A failing read may leave something behind; the caller must not show it.
        v = text;
        return ReadResult;
    }
};

TEST(AdsSystemInfo, ReadsThroughTheSystemInfoObjectAndCachesThePdc) {
    TAdsSystemInfo info;  // registers the platform class first
    EXPECT_EQ(info.ClassName(), "TAdsSystemInfo");
    auto object = std::make_shared<CountingSystemInfo>();
    int creations = 0;
    HRESULT createResult = E_FAIL;
    ScopedClassOverride cls(CLSID_WinNTSystemInfo, [&](const IID& iid, IInterfacePtr& obj) -> HRESULT {
        ++creations;
        EXPECT_EQ(iid, IID_IADsWinNTSystemInfo);
        obj.reset();
        if (Failed(createResult)) return createResult;
        obj = object;
        return createResult;
    });

    // Creation fails: empty texts, and every read tries again.
    EXPECT_EQ(info.UserName(), u"");
    EXPECT_EQ(info.ComputerName(), u"");
    EXPECT_EQ(creations, 2);
    createResult = S_FALSE;  // anything but 0 counts as failure
    EXPECT_EQ(info.DomainName(), u"");
    EXPECT_EQ(creations, 3);

    createResult = S_OK;
    EXPECT_EQ(info.UserName(), u"jdoe");
    EXPECT_EQ(info.ComputerName(), u"PC1");
    EXPECT_EQ(info.DomainName(), u"CORP");
    EXPECT_EQ(creations, 4);  // held from now on
    EXPECT_EQ(info.PDC(), u"DC1");
    EXPECT_EQ(info.PDC(), u"DC1");
    EXPECT_EQ(object->PdcReads, 1);

    object->ReadResult = E_ACCESSDENIED;
    EXPECT_EQ(info.UserName(), u"");
    info.SetUserName(u"ignored");
    EXPECT_EQ(info.PDC(), u"DC1");
}

TEST(AdsSystemInfo, EmptyPdcIsCachedToo) {
    TAdsSystemInfo info;
    int creations = 0;
    ScopedClassOverride cls(CLSID_WinNTSystemInfo, [&](const IID&, IInterfacePtr& obj) -> HRESULT {
        ++creations;
        obj.reset();
        return REGDB_E_CLASSNOTREG;
    });
    EXPECT_EQ(info.PDC(), u"");
    EXPECT_EQ(info.PDC(), u"");
    EXPECT_EQ(creations, 1);
}

TEST(AdsSystemInfo, LocalStandInReportsTheEffectiveUserAndHost) {
    TAdsSystemInfo info;
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string hostName(host);
    const std::size_t dot = hostName.find('.');
    EXPECT_EQ(WideToAnsi(info.ComputerName()), hostName.substr(0, dot));
    EXPECT_EQ(WideToAnsi(info.DomainName()), dot == std::string::npos ? "" : hostName.substr(dot + 1));
    EXPECT_FALSE(info.UserName().empty());
    EXPECT_EQ(info.PDC(), u"");
}

}  // namespace
}  // namespace veskin
