// The Windows build of wmiquery, run under Wine against Wine's own WMI Scripting
// library. Skipped when Wine or the cross build (scripts/wine-check.sh) is missing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/CommandRun.h"

namespace {

using veskin::RunCommand;
using veskin::ShellQuote;
using veskin::TCommandRun;

namespace fs = std::filesystem;

struct TRun {
    int ExitCode = -1;
    std::string Output;
    std::string ErrorLine;  // the last line of standard error that starts with "Error: "
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(Output);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

std::string FindWine() {
    if (const char* env = std::getenv("VESKIN_WINE"); env && *env) return env;
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && access((dir + "/wine64").c_str(), X_OK) == 0) return dir + "/wine64";
    // Debian keeps the 64-bit loader outside the search path.
    if (access("/usr/lib/wine/wine64", X_OK) == 0) return "/usr/lib/wine/wine64";
    return std::string();
}

std::string FindProgram() {
    if (const char* env = std::getenv("VESKIN_WMIQUERY_EXE"); env && *env) return env;
    return VESKIN_MINGW_BUILD_DIR "/tools/wmiquery/wmiquery.exe";
}

class WineWmiQuery : public ::testing::Test {
protected:
    void SetUp() override {
        FWine = FindWine();
        FProgram = FindProgram();
        if (FWine.empty()) GTEST_SKIP() << "SKIPPED: Wine (wine64) is not installed; the Windows check did not run";
        if (!fs::exists(FProgram))
            GTEST_SKIP() << "SKIPPED: the Windows build " << FProgram
                         << " is missing (scripts/wine-check.sh builds it); the Windows check did not run";
    }

    TRun Run(const std::vector<std::string>& args) const { return RunProgram(FProgram, args, ""); }

    // env: extra assignments for the command ("NAME=value ...").
    TRun RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& env) const {
        const char* prefix = std::getenv("WINEPREFIX");
        std::string command = env + " WINEDEBUG=-all WINEPREFIX=" +
                              ShellQuote(prefix && *prefix ? prefix : VESKIN_WINE_PREFIX) + " " +
                              ShellQuote(FWine) + " " + ShellQuote(program);
        for (const std::string& a : args) command += " " + ShellQuote(a);
        const fs::path errors = fs::temp_directory_path() / ("wmiquery-wine-" + std::to_string(getpid()) + ".err");
        command += " 2>" + ShellQuote(errors.string());
        const TCommandRun done = RunCommand(command);
        TRun run;
        run.ExitCode = done.ExitCode;
        run.Output = done.Output;
        std::ifstream errorText(errors);
        for (std::string line; std::getline(errorText, line);)
            if (line.rfind("Error: ", 0) == 0) run.ErrorLine = line;
        errorText.close();
        fs::remove(errors);
        return run;
    }

    std::string FWine, FProgram;
};

TEST_F(WineWmiQuery, BadSyntaxShowsTheCatalogueText) {
    const TRun run = Run({"SELEC * FROM"});
    EXPECT_EQ(run.ExitCode, 5);
    EXPECT_EQ(run.Output, "");
    EXPECT_EQ(run.ErrorLine, "Error: 80041017: The query was not syntactically valid.");
}

// Each query goes through the real scripting objects as far as Next; after that the
// program shows either the table or, where Wine stops short, "Error: " with the code
// and the system's text (no full stop, no line break), as the window would.
TEST_F(WineWmiQuery, QueriesReachTheObjectsAndShowTableOrSystemError) {
    // "Error: ", 8 upper-case hex digits, ": ", then a text not ending in ".", CR or LF.
    const auto isErrorLine = [](const std::string& line) {
        if (line.size() < 18 || line.compare(0, 7, "Error: ") != 0 || line.compare(15, 2, ": ") != 0) return false;
        for (std::size_t i = 7; i < 15; ++i)
            if (!std::isxdigit(static_cast<unsigned char>(line[i])) || std::islower(static_cast<unsigned char>(line[i])))
                return false;
        const char last = line.back();
        return last != '.' && last != '\r' && last != '\n';
    };
    for (const char* query : {"SELECT * FROM Win32_OperatingSystem", "SELECT * FROM Win32_Process"}) {
        SCOPED_TRACE(query);
        const TRun steps = Run({"--steps", query});
        std::vector<std::string> passed;
        for (const std::string& line : steps.Lines()) {
            const std::size_t tab = line.find('\t');
            if (tab != std::string::npos && line.compare(tab + 1, 8, "00000000") == 0)
                passed.push_back(line.substr(0, tab));
        }
        for (const char* step : {"locator", "ConnectServer", "Security_", "ImpersonationLevel", "ExecQuery",
                                 "_NewEnum", "Next", "ISWbemObject element", "Properties_"})
            EXPECT_NE(std::find(passed.begin(), passed.end(), step), passed.end()) << step << "\n"
                                                                                   << steps.Output;

        const TRun run = Run({query});
        const std::vector<std::string> lines = run.Lines();
        if (run.ExitCode == 0) {
            ASSERT_GE(lines.size(), 2u) << run.Output;
            const auto cells = [](const std::string& line) { return std::count(line.begin(), line.end(), '\t'); };
            for (const std::string& line : lines) EXPECT_EQ(cells(line), cells(lines[0])) << line;
            EXPECT_NE(lines[0].find(std::string(query).find("Process") != std::string::npos ? "ProcessId" : "Caption"),
                      std::string::npos);
        } else {
            EXPECT_TRUE(run.ExitCode >= 3 && run.ExitCode <= 5) << run.ExitCode;
            EXPECT_TRUE(isErrorLine(run.ErrorLine)) << run.ErrorLine;
            // The failure that stopped the step walk is the one the table shows.
            const std::string last = steps.Lines().empty() ? std::string() : steps.Lines().back();
            const std::size_t tab = last.rfind('\t');
            ASSERT_NE(tab, std::string::npos) << steps.Output;
            EXPECT_EQ(run.ErrorLine, "Error: " + last.substr(tab + 1));
        }
    }
}

// The adapter's own checks (value conversions, object references, system texts,
// locale calls, the time-zone base bias) in the Windows build.
TEST_F(WineWmiQuery, AdapterChecksPass) {
    const std::string checks = VESKIN_MINGW_BUILD_DIR "/tests/wine/win/wine_checks.exe";
    if (!fs::exists(checks)) GTEST_SKIP() << "SKIPPED: " << checks << " is missing";
    // Central European time: base bias -60, so +60 in winter and summer alike.
    const TRun run = RunProgram(checks, {}, "TZ=Europe/Berlin VESKIN_EXPECT_OFFSET=60");
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    EXPECT_NE(run.Output.find(" passed, 0 failed"), std::string::npos) << run.Output;
}

}  // namespace
