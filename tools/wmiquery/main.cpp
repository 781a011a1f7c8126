// wmiquery: runs a WQL query through the WMI library and prints the results table.
//   wmiquery [--csv | --steps] [--host NAME] [--namespace NS] [--user NAME]
//            [--password TEXT] [--authority TEXT] [--] QUERY...
// The words of QUERY are joined with blanks. Prints the header of property names and
// one line per object, or "Error: " and the message (exit code 1). Exit code 2 for a
// bad command line. --steps instead prints each scripting call of the query with its
// result code (step, code in hexadecimal, detail; tab-separated).
#include <cstdio>
#include <string>

#include "tools/wmiquery/QueryTable.h"
#include "tools/wmiquery/StepReport.h"
#include "tools/wmiquery/TableText.h"
#include "wmi/InitComSecurity.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int Usage() {
    std::fputs("usage: wmiquery [--csv | --steps] [--host NAME] [--namespace NS] [--user NAME] "
               "[--password TEXT] [--authority TEXT] [--] QUERY...\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace veskin;
#ifdef _WIN32
    // The same bytes as on other systems: no CR before each line feed.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    TQueryRequest request;
    TTableStyle style = TTableStyle::Tab;
    bool steps = false;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg.rfind("--", 0) != 0) break;
        if (arg == "--csv") {
            style = TTableStyle::Comma;
            continue;
        }
        if (arg == "--steps") {
            steps = true;
            continue;
        }
        if (i + 1 >= argc) return Usage();
        const WideString value = AnsiToWide(argv[++i]);
        if (arg == "--host") request.MachineName = value;
        else if (arg == "--namespace") request.NameSpace = value;
        else if (arg == "--user") request.UserName = value;
        else if (arg == "--password") request.Password = value;
        else if (arg == "--authority") request.Authority = value;
        else return Usage();
    }
    for (; i < argc; ++i) {
        if (!request.Query.empty()) request.Query += ' ';
        request.Query += argv[i];
    }

    // The program's start-up step: COM for this thread and the process's COM security,
    // before any WMI object exists.
    InitComStartup();

    if (steps) {
        bool allOk = true;
        for (const TStepResult& r : RunQuerySteps(request)) {
            char code[16];
            std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(r.Code));
            const std::string line = TableLine({r.Step, code, r.Detail}, TTableStyle::Tab) + "\n";
            std::fwrite(line.data(), 1, line.size(), stdout);
            allOk = allOk && r.Code >= 0;
        }
        return allOk ? 0 : 1;
    }

    const bool ok = RunQueryTable(request, [style](const std::vector<std::string>& cells) {
        const std::string line = TableLine(cells, style) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    });
    return ok ? 0 : 1;
}
