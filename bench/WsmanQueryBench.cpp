// 100,000 objects of 40 properties from the fake WinRM server on the loopback, over
// HTTPS with Basic: the record set's walk with the text of every field, against the time
// the server alone needs to send the same pages to a client that only reads the bytes.
// Prints the client's own CPU time per object, the wall-time ratio, and the memory held
// per fetched object against the bytes of its values as text. Then the same walk over
// plain HTTP with NTLM and with Kerberos, every message encrypted, in turn with HTTPS
// again: what encryption adds to the client's CPU per object.
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Median.h"
#include "platform/wsman/WsmanRequests.h"
#include "platform/wsman/WsmanTransport.h"
#include "recordset/Field.h"
#include "tests/support/FakeWinrmServer.h"
#include "tests/wsman/GssPeers.h"
#include "wmi/WmiConnection.h"
#include "wmi/WmiDataSet.h"
#include "wmi/WmiErr.h"
#include "wmi/WmiUtil.h"

namespace veskin::bench {
namespace {

// VESKIN_BENCH_OBJECTS sets a smaller count for profiling runs.
const int kObjects = std::getenv("VESKIN_BENCH_OBJECTS") != nullptr ? std::atoi(std::getenv("VESKIN_BENCH_OBJECTS")) : 100000;
const int kKept = std::min(20000, kObjects);
const char* const kQuery = "SELECT * FROM Veskin_Bench";

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// The process's CPU time spent in the kernel (socket reads and writes, waits).
double SystemSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string Between(const std::string& text, const std::string& open, const std::string& close) {
    const auto start = text.find(open);
    if (start == std::string::npos) return {};
    const auto end = text.find(close, start + open.size());
    return end == std::string::npos ? std::string() : text.substr(start + open.size(), end - start - open.size());
}

// The limit: Enumerate and Pull to the end, reading each answer's bytes and nothing
// more than the next enumeration context.
std::size_t ReadPagesOnly(const std::string& url) {
    WsmanEndpoint endpoint;
    ParseWsmanEndpoint(url, endpoint);
    WsmanTransport transport(endpoint, {"admin", "secret", ""});
    const std::string uri = WmiResourceUri(u"root\\cimv2", "*");
    HttpResponse response;
    WmiCheck(transport.Post(WsmanEnumerateRequest(endpoint.Url(), uri, kQuery, 60000), response));
    std::size_t bytes = response.Body.size();
    while (response.Body.find("EndOfSequence") == std::string::npos) {
        const std::string context = Between(response.Body, "EnumerationContext>", "</");
        WmiCheck(transport.Post(WsmanPullRequest(endpoint.Url(), uri, context, 60000), response));
        bytes += response.Body.size();
    }
    return bytes;
}

struct WalkTimes {
    double Wall = 0;
    double ClientCpu = 0;
    double ClientSystem = 0;
};

// The record set's walk over every object with the text of every field; a
// unidirectional walk (as wmiquery's) releases each object once passed, a
// bidirectional one (as the window's) keeps them all.
WalkTimes Walk(const std::string& url, const char16_t* user, const char16_t* password, const char16_t* authority,
               bool uniDirectional = false) {
    TWmiCredentials credentials;
    credentials.SetUserName(user);
    credentials.SetPassword(password);
    credentials.SetAuthority(authority);
    TWmiConnection conn;
    conn.SetMachineName(AnsiToWide(url));
    conn.SetCredentials(&credentials);
    conn.Open();
    TWmiQuery query;
    query.SetConnection(&conn);
    query.SetWQL({kQuery});
    query.SetUniDirectional(uniDirectional);
    WalkTimes times;
    const double wall = WallSeconds();
    const double cpu = ProcessCpuSeconds();
    const double system = SystemSeconds();
    query.Open();
    long rows = 0;
    std::size_t textBytes = 0;
    while (!query.Eof()) {
        for (int i = 0; i < query.FieldCount(); ++i) textBytes += query.Fields(i)->ValueText().size();
        ++rows;
        query.Next();
    }
    times.ClientCpu = ProcessCpuSeconds() - cpu;
    times.ClientSystem = SystemSeconds() - system;
    times.Wall = WallSeconds() - wall;
    (void)textBytes;  // read so that the text is made; its size is not reported
    query.Close();
    if (rows != kObjects) {
        std::fprintf(stderr, "walked %ld objects, expected %d\n", rows, kObjects);
        std::exit(1);
    }
    return times;
}

}  // namespace
}  // namespace veskin::bench

int main() {
    using namespace veskin;
    using namespace veskin::bench;
    const TestCertificates& certs = MakeTestCertificates();
    ScopedEnv trust("SSL_CERT_FILE", certs.Trusted);
    FakeWinrmServer server({"--tls", certs.Good, certs.GoodKey, "--basic-user", "admin:secret", "--bench-objects",
                            std::to_string(kObjects), "--page-size", "200"},
                           180000);
    if (!server.Running()) {
        std::fprintf(stderr, "fake WinRM server did not start\n");
        return 1;
    }
    const std::string url = server.Url("https");

    ReadPagesOnly(url);  // warms the server's rendering caches and the TLS session
    double wall = WallSeconds();
    const std::size_t bytes = ReadPagesOnly(url);
    const double limit = WallSeconds() - wall;

    const WalkTimes basic = Walk(url, u"admin", u"secret", u"");
    const double walk = basic.Wall;
    const double clientCpu = basic.ClientCpu;

    TWmiCredentials credentials;
    credentials.SetUserName(u"admin");
    credentials.SetPassword(u"secret");
    TWmiConnection conn;
    conn.SetMachineName(AnsiToWide(url));
    conn.SetCredentials(&credentials);
    conn.Open();

    // Memory held by fetched objects: keep kKept of them from the services' enumerator.
    ISWbemServicesPtr services = conn.GetServices();
    ISWbemObjectSetPtr set;
    WmiCheck(services->ExecQuery(AnsiToWide(kQuery), u"WQL", 48, nullptr, set));
    IInterfacePtr unknown;
    WmiCheck(set->get__NewEnum(unknown));
    auto enumerator = IntfCast<IEnumVARIANT>(unknown);
    std::vector<ISWbemObjectPtr> kept;
    kept.reserve(kKept);
    malloc_trim(0);
    const std::size_t before = mallinfo2().uordblks;
    std::size_t keptText = 0;
    while (static_cast<int>(kept.size()) < kKept) {
        Variant element;
        std::uint32_t fetched = 0;
        WmiCheck(enumerator->Next(1, &element, &fetched));
        if (fetched != 1) break;
        kept.push_back(IntfCast<ISWbemObject>(element.AsInterface()));
    }
    const std::size_t held = mallinfo2().uordblks - before;
    for (const ISWbemObjectPtr& object : kept) {
        ISWbemPropertySetPtr properties;
        WmiCheck(object->get_Properties_(properties));
        for (const char* name : {"Id", "Name"}) keptText += WmiVariantToText(WmiGetPropertyValue(properties, AnsiToWide(name))).size();
        for (int i = 1; i < 39; ++i) {
            char name[8];
            std::snprintf(name, sizeof name, "P%02d", i);
            keptText += WmiVariantToText(WmiGetPropertyValue(properties, AnsiToWide(name))).size();
        }
    }

    std::printf("objects: %d of 40 properties, %.1f MB of XML\n", kObjects, bytes / 1e6);
    std::printf("server alone to a byte reader: %.2f s\n", limit);
    std::printf("record-set walk with every field's text: %.2f s wall, %.2f s client CPU\n", walk, clientCpu);
    std::printf("client CPU per object: %.1f us (goal <= 20), of which %.1f us in the kernel\n", clientCpu / kObjects * 1e6,
                basic.ClientSystem / kObjects * 1e6);
    std::printf("wall / limit: %.2f (goal <= 1.5)\n", walk / limit);
    const WalkTimes forward = Walk(url, u"admin", u"secret", u"", true);
    std::printf(
        "unidirectional walk (each object released once passed): %.1f us client CPU per object, "
        "of which %.1f us in the kernel; wall / limit %.2f\n",
        forward.ClientCpu / kObjects * 1e6, forward.ClientSystem / kObjects * 1e6, forward.Wall / limit);
    std::printf("memory held per fetched object: %.0f bytes for %.0f bytes of value text: %.2fx (goal <= 3)\n",
                static_cast<double>(held) / kept.size(), static_cast<double>(keptText) / kept.size(),
                static_cast<double>(held) / static_cast<double>(keptText));

    // The same walk over plain HTTP, sealed with NTLM and with Kerberos (skipped when
    // profiling the HTTPS walk alone).
    kept.clear();
    if (std::getenv("VESKIN_BENCH_HTTPS_ONLY") != nullptr) return 0;
    conn.Close();
    if (!Peers().Kdc.Running()) {
        std::fprintf(stderr, "the test KDC did not start\n");
        return 1;
    }
    FakeWinrmServer sealed({"--negotiate", "--bench-objects", std::to_string(kObjects), "--page-size", "200"}, 180000,
                           Peers().ServerEnv());
    if (!sealed.Running()) {
        std::fprintf(stderr, "fake WinRM server with Negotiate did not start\n");
        return 1;
    }
    const std::string port = std::to_string(sealed.Port());
    // The first walk of the process grows its heap; later ones reuse it. Each way is
    // walked in turn, three rounds, and compared by its median, so that neither side
    // carries the growth or a change of the machine's load.
    std::vector<double> basicCpu, ntlmCpu, kerberosCpu;
    for (int round = 0; round < 3; ++round) {
        basicCpu.push_back(Walk(url, u"admin", u"secret", u"").ClientCpu);
        ntlmCpu.push_back(Walk("127.0.0.1:" + port, u"alice", u"Secret1", u"ntlmdomain:TESTDOM").ClientCpu);
        kerberosCpu.push_back(Walk("localhost:" + port, u"alice@VESKIN.TEST", u"Secret1", u"kerberos:").ClientCpu);
    }
    const double https = Median(basicCpu);
    std::printf("HTTPS with Basic, walked again: %.1f us client CPU per object\n", https / kObjects * 1e6);
    std::printf("HTTP with NTLM encryption: %.1f us client CPU per object, %.2fx HTTPS with Basic\n",
                Median(ntlmCpu) / kObjects * 1e6, Median(ntlmCpu) / https);
    std::printf(
        "HTTP with Kerberos encryption: %.1f us client CPU per object, %.2fx HTTPS with Basic "
        "(goal: encryption adds <= 20%%)\n",
        Median(kerberosCpu) / kObjects * 1e6, Median(kerberosCpu) / https);
    return 0;
}
