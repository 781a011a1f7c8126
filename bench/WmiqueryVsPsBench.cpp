// The console program end to end, "SELECT * FROM Win32_Process" printed as a table,
// against ps listing the same processes with the same kind of columns; at this
// machine's process count and with 2,000 more idle processes. Each program is started
// directly, without a shell (whose start-up is neither program's), and its output is read
// through a pipe and dropped; the two take turns, 21 runs each. Prints the median wall
// time of each and their ratio (below 1: wmiquery is faster).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Median.h"

namespace {

using veskin::bench::Median;

constexpr int kRuns = 21;
constexpr int kExtraProcesses = 2000;

extern "C" char** environ;

// Runs the program (looked up in PATH) with its output read and dropped; the wall time
// in seconds, or -1 when it could not start or did not succeed.
double TimeCommand(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addclose(&actions, fds[0]);
    ::posix_spawn_file_actions_addclose(&actions, fds[1]);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int failed = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    char buffer[65536];
    while (!failed && ::read(fds[0], buffer, sizeof buffer) > 0) {
    }
    ::close(fds[0]);
    int status = 0;
    if (failed || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long ProcessCount() {
    FILE* pipe = ::popen("ls -d /proc/[0-9]* | wc -l", "r");
    long n = 0;
    if (pipe && std::fscanf(pipe, "%ld", &n) != 1) n = 0;
    if (pipe) ::pclose(pipe);
    return n;
}

bool Compare(const char* label) {
    const std::vector<std::string> wmiquery = {VESKIN_WMIQUERY_PROGRAM, "SELECT * FROM Win32_Process"};
    const std::vector<std::string> ps = {"ps", "-eo", "pid,ppid,user,rss,vsz,nlwp,lstart,time,comm,args"};
    TimeCommand(wmiquery);  // warms the file cache
    // The two commands take turns, so that a change in the machine's load falls on both.
    std::vector<double> wmiqueryTimes, psTimes;
    for (int i = 0; i < kRuns; ++i) {
        wmiqueryTimes.push_back(TimeCommand(wmiquery));
        psTimes.push_back(TimeCommand(ps));
    }
    if (*std::min_element(wmiqueryTimes.begin(), wmiqueryTimes.end()) < 0 ||
        *std::min_element(psTimes.begin(), psTimes.end()) < 0) {
        std::fprintf(stderr, "a command failed\n");
        return false;
    }
    const double w = Median(wmiqueryTimes);
    const double p = Median(psTimes);
    std::printf("%s (%ld processes): wmiquery %.1f ms, ps %.1f ms, ratio %.2f (goal <= 0.7)\n", label, ProcessCount(),
                w * 1e3, p * 1e3, w / p);
    return true;
}

}  // namespace

int main() {
    if (!Compare("normal count")) return 1;
    std::vector<pid_t> idle;
    for (int i = 0; i < kExtraProcesses; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::pause();
            ::_exit(0);
        }
        if (pid < 0) break;
        idle.push_back(pid);
    }
    const bool ok = Compare("with 2,000 idle processes");
    for (pid_t pid : idle) ::kill(pid, SIGKILL);
    for (pid_t pid : idle) ::waitpid(pid, nullptr, 0);
    return ok ? 0 : 1;
}
