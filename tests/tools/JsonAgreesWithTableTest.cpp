// The JSON lines of wmiquery against its table, for every class of the local service:
// the same rows, the same property names, and values that agree once typed. In the
// process the two renderings of the very same record are compared exactly; between two
// runs of the program values that move (counters, times) only have to agree in kind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/native/NativeService.h"
#include "tests/support/CommandRun.h"
#include "tests/tools/JsonRead.h"
#include "tools/wmiquery/JsonText.h"
#include "tools/wmiquery/QueryTable.h"
#include "wmi/InitComSecurity.h"
#include "wmi/WmiQueryRows.h"

namespace veskin {
namespace {

using test::TJson;

// The classes with instances of their own. Base classes answer their derived classes'
// instances, whose properties differ from one object to the next, which the regular
// table does not show (the irregular view does); system classes are left out too.
std::vector<std::string> NativeClassNames() {
    const WbemRepositoryPtr repository = MakeNativeRepository(std::make_shared<NativeContext>());
    std::vector<std::string> names;
    for (const WbemClassEntry& entry : repository->FindNamespace(u"root\\cimv2")->Classes())
        if (entry.Source && !entry.Class->IsAbstract() && entry.Class->Name().rfind(u"__", 0) != 0)
            names.push_back(WideToAnsi(entry.Class->Name()));
    return names;
}

// Classes that have instances on any Linux computer; the others (SMBIOS, services,
// disks) may have none on a container or a virtual machine.
bool AlwaysHasInstances(const std::string& name) {
    for (const char* always : {"Win32_OperatingSystem", "Win32_Process", "Win32_ComputerSystem", "Win32_Processor",
                               "Win32_UserAccount", "Win32_Group", "Win32_Environment"})
        if (name == always) return true;
    return false;
}

// The whole numbers of a text ("12/09/26 15:39:26" -> 12 9 26 15 39 26).
std::vector<long> NumbersIn(const std::string& text) {
    std::vector<long> numbers;
    for (std::size_t i = 0; i < text.size();) {
        if (std::isdigit(static_cast<unsigned char>(text[i]))) {
            std::size_t end = i;
            while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
            numbers.push_back(std::stol(text.substr(i, end - i)));
            i = end;
        } else {
            ++i;
        }
    }
    return numbers;
}

bool IsIsoDateTime(const std::string& text) {
    return text.size() == 32 && text[4] == '-' && text[10] == 'T' && text[19] == '.';
}

// The table shows a datetime in the user's date and time format: it must hold the
// ISO value's day, month, year (two or four digits), hour, minute and second.
bool DateTimeAgrees(const std::string& iso, const std::string& cell) {
    const std::vector<long> cellNumbers = NumbersIn(cell);
    const std::vector<long> parts = NumbersIn(iso.substr(0, 19));
    const auto has = [&](long n) { return std::find(cellNumbers.begin(), cellNumbers.end(), n) != cellNumbers.end(); };
    if (!has(parts[0]) && !has(parts[0] % 100)) return false;
    for (std::size_t i = 1; i < 3; ++i)
        if (!has(parts[i])) return false;
    // A time of midnight may be left out of the cell.
    const bool midnight = parts[3] == 0 && parts[4] == 0 && parts[5] == 0;
    if (midnight && cellNumbers.size() == 3) return true;
    for (std::size_t i = 3; i < 6; ++i)
        if (!has(parts[i])) return false;
    return true;
}

std::string ScalarText(const TJson& value) {
    switch (value.Type) {
        case TJson::Kind::Null: return "";
        case TJson::Kind::Boolean: return value.Boolean ? "True" : "False";
        default: return value.Text;
    }
}

// exact: the value must be the cell's; otherwise only its kind must fit the cell.
::testing::AssertionResult Agrees(const TJson& value, const std::string& cell, bool exact) {
    bool ok = false;
    switch (value.Type) {
        case TJson::Kind::Null: ok = cell.empty(); break;
        case TJson::Kind::Boolean: ok = cell == (value.Boolean ? "True" : "False"); break;
        case TJson::Kind::Number: {
            char* end = nullptr;
            const double number = std::strtod(cell.c_str(), &end);
            const bool numeric = !cell.empty() && *end == '\0';
            const bool integer = value.Text.find_first_of(".eE") == std::string::npos;
            if (!exact) ok = numeric;
            else if (integer) ok = value.Text == cell;
            else ok = numeric && std::abs(number - std::strtod(value.Text.c_str(), nullptr)) <=
                                     1e-6 * std::max(1.0, std::abs(number));
            break;
        }
        case TJson::Kind::String:
            if (IsIsoDateTime(value.Text)) ok = exact ? DateTimeAgrees(value.Text, cell) : !cell.empty();
            else ok = !exact || value.Text == cell || DmtfToIso8601(cell) == value.Text;
            break;
        case TJson::Kind::Array: {
            std::string joined = "{";
            for (std::size_t i = 0; i < value.Elements.size(); ++i)
                joined += (i > 0 ? ", " : "") + ScalarText(value.Elements[i]);
            ok = !exact || joined + "}" == cell;
            ok = ok && !cell.empty() && cell.front() == '{' && cell.back() == '}';
            break;
        }
        case TJson::Kind::Object: ok = false; break;
    }
    if (ok) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "JSON " << (value.Type == TJson::Kind::Null ? "null" : ScalarText(value))
                                         << " against the cell \"" << cell << "\"";
}

class TBothRenderings : public TWmiRowSink {
public:
    void Columns(const std::vector<std::string>& names) override { Names = names; }
    void ReadCells(TWmiDataSet& query, std::vector<std::string>& cells) override {
        TWmiRowSink::ReadCells(query, cells);
        Line = RecordJsonLine(query);
    }
    void Row(const std::vector<std::string>& cells) override {
        ++Rows;
        TJson object;
        ASSERT_TRUE(test::ReadJson(Line, object)) << Line;
        ASSERT_EQ(object.Members.size(), Names.size());
        for (std::size_t i = 0; i < Names.size(); ++i) {
            EXPECT_EQ(object.Members[i].first, Names[i]);
            EXPECT_TRUE(Agrees(object.Members[i].second, cells[i], true)) << Names[i];
        }
    }
    std::string Line;
    std::vector<std::string> Names;
    int Rows = 0;
};

TEST(JsonAgreesWithTable, SameRecordInTheProcess) {
    InitComStartup();
    const std::vector<std::string> classes = NativeClassNames();
    ASSERT_GE(classes.size(), 6u);
    for (const std::string& name : classes) {
        SCOPED_TRACE(name);
        TQueryRequest request;
        request.Query = "SELECT * FROM " + name;
        TBothRenderings sink;
        const TQueryOutcome outcome = RunQuery(request, sink);
        EXPECT_EQ(outcome.Failure, TQueryFailure::None) << outcome.Message;
        if (AlwaysHasInstances(name)) {
            EXPECT_GT(sink.Rows, 0);
        }
    }
}

// env: assignments put before the command ("NAME=value").
TCommandRun RunWmiQuery(const std::vector<std::string>& args, const std::string& redirect = "2>/dev/null",
                        const std::string& env = "") {
    std::string command = env + " " + ShellQuote(VESKIN_WMIQUERY_PROGRAM);
    for (const std::string& a : args) command += " " + ShellQuote(a);
    return RunCommand(command + " " + redirect);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A table line back into cells (undoing \t, \n, \r and \\).
std::vector<std::string> TableCells(const std::string& line) {
    std::vector<std::string> cells(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\t') {
            cells.emplace_back();
        } else if (line[i] == '\\' && i + 1 < line.size()) {
            const char e = line[++i];
            cells.back() += e == 't' ? '\t' : e == 'n' ? '\n'
                                          : e == 'r'   ? '\r'
                                                       : e;
        } else {
            cells.back() += line[i];
        }
    }
    return cells;
}

TEST(JsonAgreesWithTable, ProgramOutputForEveryNativeClass) {
    for (const std::string& name : NativeClassNames()) {
        SCOPED_TRACE(name);
        const std::string query = "SELECT * FROM " + name;
        const TCommandRun json = RunWmiQuery({"--json", query});
        const TCommandRun table = RunWmiQuery({query});
        ASSERT_EQ(json.ExitCode, 0);
        ASSERT_EQ(table.ExitCode, 0);
        const std::vector<std::string> tableLines = Lines(table.Output);
        if (tableLines.empty() && !AlwaysHasInstances(name)) {
            EXPECT_TRUE(Lines(json.Output).empty()) << json.Output;  // no instances in either form
            continue;
        }
        ASSERT_GE(tableLines.size(), 2u);
        const std::vector<std::string> names = TableCells(tableLines[0]);
        // Process classes change between the two runs (the program itself is one of the
        // processes): their rows are paired by the process's key (its path in the
        // association of the computer and its processes).
        const bool processes = name == "Win32_Process" || name == "Win32_SystemProcesses" ||
                               name.find("PerfProc_Process") != std::string::npos;
        const char* const processKey = name == "Win32_Process"           ? "Handle"
                                       : name == "Win32_SystemProcesses" ? "PartComponent"
                                                                         : "IDProcess";
        std::vector<TJson> objects;
        for (const std::string& line : Lines(json.Output)) {
            objects.emplace_back();
            ASSERT_TRUE(test::ReadJson(line, objects.back())) << line;
            ASSERT_EQ(objects.back().Members.size(), names.size()) << line;
            for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(objects.back().Members[i].first, names[i]);
        }
        std::map<std::string, std::vector<std::string>> rowsByHandle;
        const std::size_t handle = std::find(names.begin(), names.end(), processKey) - names.begin();
        if (processes) {
            ASSERT_LT(handle, names.size());
            for (std::size_t r = 1; r < tableLines.size(); ++r) {
                const std::vector<std::string> cells = TableCells(tableLines[r]);
                rowsByHandle[cells[handle]] = cells;
            }
        } else {
            ASSERT_EQ(objects.size(), tableLines.size() - 1);
        }
        int paired = 0;
        for (std::size_t r = 0; r < objects.size(); ++r) {
            std::vector<std::string> cells;
            if (processes) {
                const auto found = rowsByHandle.find(objects[r].Members[handle].second.Text);
                if (found == rowsByHandle.end()) continue;
                cells = found->second;
            } else {
                cells = TableCells(tableLines[r + 1]);
            }
            ++paired;
            ASSERT_EQ(cells.size(), names.size());
            for (std::size_t i = 0; i < names.size(); ++i) {
                const TJson& value = objects[r].Members[i].second;
                // Text and truth values do not move between runs; numbers and times may,
                // and so may a process's names and command line (kernel workers and
                // programs rename themselves), all but its key and class names.
                const bool processText = processes && names[i] != processKey &&
                                         names[i].find("ClassName") == std::string::npos;
                const bool stable =
                    value.Type == TJson::Kind::String && !IsIsoDateTime(value.Text) && !processText;
                // A process's value may become unknown between the runs (it is ending, or
                // two rows share process 0: Idle and _Total); only known values compare.
                if (processes && (value.Type == TJson::Kind::Null || cells[i].empty())) continue;
                EXPECT_TRUE(Agrees(value, cells[i], stable)) << names[i] << " in row " << r;
            }
        }
        if (AlwaysHasInstances(name)) {
            EXPECT_GT(paired, 0);
        }
    }
}

TEST(WmiQueryProgram, ExitCodesAndErrorsOnStandardError) {
    TCommandRun run = RunWmiQuery({"--version"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Output, "wmiquery " VESKIN_PROJECT_VERSION "\n");
    run = RunWmiQuery({"--help"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_NE(run.Output.find("Exit codes:"), std::string::npos);

    run = RunWmiQuery({"--bogus"}, "2>&1 >/dev/null");
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(run.Output.find("Error: unknown option --bogus\n"), std::string::npos) << run.Output;

    run = RunWmiQuery({"--namespace", "root\\nothing", "SELECT * FROM Win32_Process"}, "2>&1");
    EXPECT_EQ(run.ExitCode, 3);
    EXPECT_EQ(run.Output.rfind("Error: 8004100E", 0), 0u) << run.Output;

    run = RunWmiQuery({"SELEC * FROM"}, "2>&1");
    EXPECT_EQ(run.ExitCode, 5);
    EXPECT_EQ(run.Output, "Error: 80041017: The query was not syntactically valid.\n");

    // The password reaches the connection from a file or the environment: the local
    // service refuses any password (0x80041064), a connection failure.
    run = RunWmiQuery({"--json"}, "2>&1 </dev/null");
    EXPECT_EQ(run.ExitCode, 2) << "an empty standard input is no query";
    EXPECT_NE(run.Output.find("Error: no query"), std::string::npos) << run.Output;
    const std::string passwordFile = "/tmp/wmiquery-test-password-" + std::to_string(::getpid());
    std::FILE* file = std::fopen(passwordFile.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("pw\n", file);
    std::fclose(file);
    run = RunWmiQuery({"SELECT * FROM Win32_Process"}, "2>&1 </dev/null", "VESKIN_PASSWORD=pw");
    EXPECT_EQ(run.ExitCode, 3);
    EXPECT_EQ(run.Output.rfind("Error: 80041064", 0), 0u) << run.Output;
    run = RunWmiQuery({"--password-file", passwordFile, "SELECT * FROM Win32_Process"}, "2>&1 </dev/null");
    EXPECT_EQ(run.ExitCode, 3);
    EXPECT_EQ(run.Output.rfind("Error: 80041064", 0), 0u) << run.Output;
    std::remove(passwordFile.c_str());
}

TEST(WmiQueryProgram, QueryFromStandardInputAndCsvLines) {
    const TCommandRun run = RunWmiQuery({"--csv"}, "2>&1 <<'EOF'\nSELECT Caption\nFROM Win32_OperatingSystem\nEOF");
    EXPECT_EQ(run.ExitCode, 0) << run.Output;
    const std::vector<std::string> lines = Lines(run.Output);
    ASSERT_EQ(lines.size(), 2u) << run.Output;
    EXPECT_EQ(lines[0], "Caption\r");
    EXPECT_EQ(lines[1].back(), '\r');
}

}  // namespace
}  // namespace veskin
