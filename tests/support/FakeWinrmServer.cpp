#include "tests/support/FakeWinrmServer.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace veskin {

namespace {

constexpr const char* Python = "/usr/bin/python3";

std::string FakeDir() { return SourceDir() + "/tests/wsman/fake_winrm"; }

std::string MakeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "veskin-winrm-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return std::string();
    return pattern;
}

// Starts argv[0] with stdout into a pipe (when out is given) and env added to its
// environment; -1 on failure.
pid_t Spawn(const std::vector<std::string>& args, int* out, const TestEnvironment& env = {}) {
    int fds[2] = {-1, -1};
    if (out && pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        if (out) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
        }
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (out) {
        close(fds[1]);
        *out = fds[0];
        if (pid < 0) close(fds[0]);
    }
    return pid;
}

// Waits for the child to end, at most ms; its exit status, or -1 when it did not end.
int WaitFor(pid_t pid, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        if (std::chrono::steady_clock::now() >= end) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Reads one line from fd, waiting at most ms in all.
std::string ReadLine(int fd, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::string line;
    while (line.empty() || line.back() != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) break;
        char c = 0;
        if (read(fd, &c, 1) != 1) break;
        line += c;
    }
    return line;
}

}  // namespace

std::uint16_t StartAndReadPort(const std::vector<std::string>& args, const TestEnvironment& env, int startMs,
                               pid_t& pid) {
    int out = -1;
    pid = Spawn(args, &out, env);
    if (pid <= 0) return 0;
    const std::string line = ReadLine(out, startMs);
    close(out);
    return line.rfind("PORT ", 0) == 0 ? static_cast<std::uint16_t>(std::atoi(line.c_str() + 5)) : 0;
}

void Stop(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (WaitFor(pid, 5000) < 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

std::string SourceDir() {
    if (const char* dir = std::getenv("VESKIN_SOURCE_DIR"); dir && *dir) return dir;
    return VESKIN_SOURCE_DIR_DEFAULT;
}

FakeWinrmServer::FakeWinrmServer(const std::vector<std::string>& options, int startMs, const TestEnvironment& env)
    : FDir(MakeTempDir()) {
    std::vector<std::string> args = {Python, FakeDir() + "/server.py", "--port", "0", "--log", FDir + "/log.jsonl"};
    args.insert(args.end(), options.begin(), options.end());
    FPort = StartAndReadPort(args, env, startMs, FPid);
}

FakeWinrmServer::~FakeWinrmServer() {
    Stop(FPid);
    std::error_code ignored;
    if (!FDir.empty()) std::filesystem::remove_all(FDir, ignored);
}

FakeKdc::FakeKdc() : FDir(MakeTempDir()) {
    if (FDir.empty()) return;
    FPort = StartAndReadPort({Python, FakeDir() + "/kdc.py", FDir}, {}, 60000, FPid);
}

FakeKdc::~FakeKdc() {
    Stop();
    std::error_code ignored;
    if (!FDir.empty()) std::filesystem::remove_all(FDir, ignored);
}

void FakeKdc::Stop() { veskin::Stop(FPid); }

std::string FakeWinrmServer::Url(const std::string& scheme) const {
    return scheme + "://127.0.0.1:" + std::to_string(FPort) + "/wsman";
}

std::vector<std::string> FakeWinrmServer::LogLines() const {
    std::vector<std::string> lines;
    std::ifstream file(FDir + "/log.jsonl");
    for (std::string line; std::getline(file, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

const TestCertificates& MakeTestCertificates() {
    static const TestCertificates certificates = [] {
        TestCertificates made;
        const std::string dir = MakeTempDir();
        if (dir.empty()) return made;
        const pid_t pid = Spawn({Python, FakeDir() + "/certs.py", dir}, nullptr);
        if (pid <= 0) return made;
        if (WaitFor(pid, 60000) != 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return made;
        }
        made.Good = dir + "/good.pem";
        made.GoodKey = dir + "/good.key";
        made.Expired = dir + "/expired.pem";
        made.ExpiredKey = dir + "/expired.key";
        made.Other = dir + "/other.pem";
        made.OtherKey = dir + "/other.key";
        made.Trusted = dir + "/trusted.pem";
        return made;
    }();
    return certificates;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : FName(name) {
    if (const char* old = std::getenv(name)) {
        FHad = true;
        FOld = old;
    }
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (FHad) setenv(FName.c_str(), FOld.c_str(), 1);
    else unsetenv(FName.c_str());
}

}  // namespace veskin
