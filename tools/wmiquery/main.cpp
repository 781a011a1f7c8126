// wmiquery: runs a WQL query through the WMI library and prints its results as a
// tab-separated table, comma-separated text or JSON lines; see HelpText() in
// CommandLine.cpp for the options and the exit codes. --steps instead prints each
// scripting call of the query with its result code (step, code in hexadecimal,
// detail; tab-separated), and --diagnose the connection to a remote computer step by step.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "rtl/CsvText.h"
#include "tools/wmiquery/CommandLine.h"
#include "tools/wmiquery/Diagnosis.h"
#include "tools/wmiquery/QueryTable.h"
#include "tools/wmiquery/StandardStreams.h"
#include "tools/wmiquery/StepReport.h"
#include "tools/wmiquery/TableText.h"
#include "wmi/InitComSecurity.h"
#include "wmi/WmiQueryRows.h"

#ifndef VESKIN_VERSION
#error "VESKIN_VERSION must name the project's version"
#endif

namespace {

using namespace veskin;

void Write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

class TOutputSink : public TWmiRowSink {
public:
    explicit TOutputSink(TOutputFormat format) : FFormat(format) {}

    void Columns(const std::vector<std::string>& names) override {
        if (FFormat != TOutputFormat::Json) Line(names);
    }
    void ReadCells(TWmiDataSet& query, std::vector<std::string>& cells) override {
        if (FFormat == TOutputFormat::Json) ReadJsonMembers(query, cells);
        else TWmiRowSink::ReadCells(query, cells);
    }
    void Row(const std::vector<std::string>& cells) override {
        if (FFormat == TOutputFormat::Json) Write(JsonObjectLine(cells) + "\n");
        else Line(cells);
        // A slow query's lines show as they come; a fast one's go out in blocks, not one
        // write per line: the buffer is flushed when 100 ms have passed since the last time.
        const auto now = std::chrono::steady_clock::now();
        if (now - FFlushed >= std::chrono::milliseconds(100)) {
            std::fflush(stdout);
            FFlushed = now;
        }
    }

private:
    void Line(const std::vector<std::string>& cells) {
        if (FFormat == TOutputFormat::Csv) return Write(CsvLine(cells));
        std::string line = TableLine(cells, TTableStyle::Tab);
        line += '\n';
        Write(line);
    }

    TOutputFormat FFormat;
    std::chrono::steady_clock::time_point FFlushed = std::chrono::steady_clock::now();
};

int RunSteps(const TQueryRequest& request) {
    bool allOk = true;
    for (const TStepResult& r : RunQuerySteps(request)) {
        char code[16];
        std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(r.Code));
        Write(TableLine({r.Step, code, r.Detail}, TTableStyle::Tab) + "\n");
        allOk = allOk && r.Code >= 0;
    }
    return allOk ? ExitSuccess : ExitFailure;
}

int Error(const std::string& message, int exitCode) {
    std::fflush(stdout);
    std::fputs(("Error: " + message + "\n").c_str(), stderr);
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    UseBinaryStandardStreams();
    TCommandLine commandLine;
    try {
        commandLine = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
        if (commandLine.Command == TCommand::Help) {
            Write(HelpText());
            return ExitSuccess;
        }
        if (commandLine.Command == TCommand::Version) {
            Write("wmiquery " VESKIN_VERSION "\n");
            return ExitSuccess;
        }
        ResolvePassword(commandLine, std::getenv("VESKIN_PASSWORD"));
        if (commandLine.QueryFromInput) commandLine.Request.Query = ReadQuery(std::cin);
    } catch (const EUsageError& e) {
        std::fputs(UsageLine().c_str(), stderr);
        return Error(e.Message(), ExitUsage);
    }

    // The program's start-up step: COM for this thread and the process's COM security,
    // before any WMI object exists.
    InitComStartup();

    if (commandLine.Command == TCommand::Steps) return RunSteps(commandLine.Request);
    if (commandLine.Command == TCommand::Diagnose) return RunDiagnosis(commandLine.Request, std::cout);

    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    TOutputSink sink(commandLine.Format);
    const TQueryOutcome outcome = RunQuery(commandLine.Request, sink);
    if (outcome.Failure != TQueryFailure::None) return Error(outcome.Message, ExitCodeFor(outcome.Failure));
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Error("the output could not be written", ExitFailure);
    return ExitSuccess;
}
