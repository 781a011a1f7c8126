#pragma once
// Runs tests/wsman/fake_winrm/server.py (and kdc.py, a Kerberos realm of its own) as
// child processes for the length of a test, and makes the test certificates with certs.py.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace veskin {

// Variables added to a child's environment.
using TestEnvironment = std::vector<std::pair<std::string, std::string>>;

// Starts args with env and reads its "PORT n" line (at most startMs): the port, or 0.
std::uint16_t StartAndReadPort(const std::vector<std::string>& args, const TestEnvironment& env, int startMs,
                               pid_t& pid);
// Ends a child started so (SIGTERM, then SIGKILL) and waits for it.
void Stop(pid_t& pid);

// The repository root: VESKIN_SOURCE_DIR from the environment (ctest sets it), else
// the folder the tests were configured from.
std::string SourceDir();

class FakeWinrmServer {
public:
    // Starts the server with these options (and --port 0 --log <temporary file>); waits
    // at most startMs for its PORT line (a large --bench-objects takes its time to
    // render). Running() tells whether it came up.
    explicit FakeWinrmServer(const std::vector<std::string>& options = {}, int startMs = 15000,
                             const TestEnvironment& env = {});
    ~FakeWinrmServer();
    FakeWinrmServer(const FakeWinrmServer&) = delete;
    FakeWinrmServer& operator=(const FakeWinrmServer&) = delete;

    bool Running() const { return FPid > 0 && FPort != 0; }
    std::uint16_t Port() const { return FPort; }
    // "http://127.0.0.1:<port>/wsman" (scheme "https" for a TLS server).
    std::string Url(const std::string& scheme = "http") const;
    // The JSON lines the server logged, one per request received so far.
    std::vector<std::string> LogLines() const;

private:
    pid_t FPid = -1;
    std::uint16_t FPort = 0;
    std::string FDir;
};

// A throw-away MIT Kerberos realm VESKIN.TEST on 127.0.0.1 (kdc.py): the user
// alice@VESKIN.TEST (password Secret1) and the service HTTP/localhost in a keytab.
class FakeKdc {
public:
    FakeKdc();
    ~FakeKdc();
    FakeKdc(const FakeKdc&) = delete;
    FakeKdc& operator=(const FakeKdc&) = delete;

    bool Running() const { return FPid > 0 && FPort != 0; }
    std::string Krb5Config() const { return FDir + "/krb5.conf"; }
    std::string Keytab() const { return FDir + "/http.keytab"; }
    std::string Dir() const { return FDir; }
    // Ends the KDC (the realm's files stay): clients then find no KDC.
    void Stop();

private:
    pid_t FPid = -1;
    std::uint16_t FPort = 0;
    std::string FDir;
};

// Self-signed certificates (see certs.py), made once per test program.
struct TestCertificates {
    std::string Good, GoodKey, Expired, ExpiredKey, Other, OtherKey;
    std::string Trusted;  // all three, for SSL_CERT_FILE
    bool Ok() const { return !Good.empty(); }
};
const TestCertificates& MakeTestCertificates();

// Sets an environment variable for one scope (SSL_CERT_FILE), restoring it after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string FName;
    bool FHad = false;
    std::string FOld;
};

}  // namespace veskin
