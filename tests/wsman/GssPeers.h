#pragma once
// The Kerberos realm and the NTLM accounts that the authenticating tests share: one KDC
// for the test program, and the client's Kerberos configuration pointing at it.
#include <fstream>
#include <memory>
#include <string>

#include "tests/support/FakeWinrmServer.h"

namespace veskin {

// The realm, the NTLM accounts and the client's Kerberos configuration, for all tests.
struct GssPeers {
    FakeKdc Kdc;
    std::string UserFile;
    std::unique_ptr<ScopedEnv> Config;

    GssPeers() {
        UserFile = Kdc.Dir() + "/ntlm-users";
        std::ofstream(UserFile) << "TESTDOM:alice:Secret1\nVESKIN.TEST:alice:Secret1\n";
        Config = std::make_unique<ScopedEnv>("KRB5_CONFIG", Kdc.Krb5Config());
    }
    TestEnvironment ServerEnv() const {
        return {{"KRB5_CONFIG", Kdc.Krb5Config()}, {"KRB5_KTNAME", Kdc.Keytab()}, {"NTLM_USER_FILE", UserFile}};
    }
};

inline GssPeers& Peers() {
    static GssPeers peers;
    return peers;
}

}  // namespace veskin
