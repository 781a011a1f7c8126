// wmiquery: runs a WQL query through the WMI library and prints the results table.
//   wmiquery [--csv] [--host NAME] [--namespace NS] [--user NAME] [--password TEXT]
//            [--authority TEXT] [--] QUERY...
// The words of QUERY are joined with blanks. Prints the header of property names and
// one line per object, or "Error: " and the message (exit code 1). Exit code 2 for a
// bad command line.
#include <cstdio>
#include <string>

#include "tools/wmiquery/QueryTable.h"
#include "tools/wmiquery/TableText.h"
#include "wmi/InitComSecurity.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

int Usage() {
    std::fputs("usage: wmiquery [--csv] [--host NAME] [--namespace NS] [--user NAME] "
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

    const bool ok = RunQueryTable(request, [style](const std::vector<std::string>& cells) {
        const std::string line = TableLine(cells, style) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    });
    return ok ? 0 : 1;
}
