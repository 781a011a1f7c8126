#include "tools/wmiquery/CommandLine.h"

#include <fstream>
#include <iterator>

namespace veskin {

namespace {

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

int ExitCodeFor(TQueryFailure failure) {
    switch (failure) {
        case TQueryFailure::None: return ExitSuccess;
        case TQueryFailure::Connection: return ExitConnection;
        case TQueryFailure::Authentication: return ExitAuthentication;
        case TQueryFailure::Query: return ExitQuery;
    }
    return ExitFailure;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine result;
    bool csv = false;
    bool json = false;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "-h" || arg == "--help") {
            result.Command = TCommand::Help;
            return result;
        }
        if (arg == "--version") {
            result.Command = TCommand::Version;
            return result;
        }
        if (arg.rfind("--", 0) != 0) break;
        std::string value;
        bool inlineValue = false;
        if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.erase(eq);
            inlineValue = true;
        }
        if (arg == "--csv" || arg == "--json" || arg == "--steps" || arg == "--diagnose") {
            if (inlineValue) throw EUsageError("option " + arg + " takes no value");
            csv = csv || arg == "--csv";
            json = json || arg == "--json";
            if (arg == "--steps") result.Command = TCommand::Steps;
            if (arg == "--diagnose") result.Command = TCommand::Diagnose;
            continue;
        }
        if (arg != "--host" && arg != "--namespace" && arg != "--user" && arg != "--password" &&
            arg != "--password-file" && arg != "--authority")
            throw EUsageError("unknown option " + arg);
        if (!inlineValue) {
            if (i + 1 >= args.size()) throw EUsageError("option " + arg + " needs a value");
            value = args[++i];
        }
        const WideString wide = AnsiToWide(value);
        if (arg == "--host") result.Request.MachineName = wide;
        else if (arg == "--namespace") result.Request.NameSpace = wide;
        else if (arg == "--user") result.Request.UserName = wide;
        else if (arg == "--authority") result.Request.Authority = wide;
        else if (arg == "--password-file") result.PasswordFile = value;
        else {
            result.Request.Password = wide;
            result.PasswordGiven = true;
        }
    }
    if (csv && json) throw EUsageError("--csv and --json exclude each other");
    if (result.Command == TCommand::Steps && (csv || json))
        throw EUsageError("--steps prints its own report; it takes neither --csv nor --json");
    if (result.Command == TCommand::Diagnose && (csv || json))
        throw EUsageError("--diagnose prints its own report; it takes neither --csv nor --json");
    if (result.Command == TCommand::Diagnose && result.Request.MachineName.empty())
        throw EUsageError("--diagnose checks a remote computer: name it with --host");
    result.Format = json ? TOutputFormat::Json : csv ? TOutputFormat::Csv
                                                     : TOutputFormat::Table;
    for (; i < args.size(); ++i) {
        if (!result.Request.Query.empty()) result.Request.Query += ' ';
        result.Request.Query += args[i];
    }
    // The diagnosis has a query of its own when none is given.
    if (result.Command == TCommand::Diagnose) return result;
    result.QueryFromInput = result.Request.Query.empty() || result.Request.Query == "-";
    if (result.QueryFromInput) result.Request.Query.clear();
    return result;
}

void ResolvePassword(TCommandLine& commandLine, const char* environmentPassword) {
    if (commandLine.PasswordGiven) return;
    if (!commandLine.PasswordFile.empty()) {
        std::ifstream file(commandLine.PasswordFile, std::ios::binary);
        std::string line;
        if (!file || (!std::getline(file, line) && !file.eof()))
            throw EUsageError("cannot read the password file " + commandLine.PasswordFile);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        commandLine.Request.Password = AnsiToWide(line);
        return;
    }
    if (environmentPassword != nullptr) commandLine.Request.Password = AnsiToWide(environmentPassword);
}

std::string ReadQuery(std::istream& in) {
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (IsBlank(text)) throw EUsageError("no query: give it as an argument or on standard input");
    return text;
}

std::string UsageLine() {
    return "usage: wmiquery [--csv | --json | --steps | --diagnose] [--host NAME] [--namespace NS] [--user NAME]\n"
           "                [--password TEXT | --password-file FILE] [--authority TEXT] [--] [QUERY... | -]\n";
}

std::string HelpText() {
    return UsageLine() +
           "\n"
           "Runs one WQL query through the WMI library, as the Veskin window's Test! does, and\n"
           "prints one line per result object. Without QUERY, or with \"-\", the query is read\n"
           "from standard input.\n"
           "\n"
           "Output:\n"
           "  (default)          tab-separated table: a header of property names, then one line\n"
           "                     per object; tab, CR, LF and backslash written as \\t \\r \\n \\\\\n"
           "  --csv              comma-separated as the window's Save Results, lines end in CR LF\n"
           "  --json             one JSON object per line, property names as keys, typed values:\n"
           "                     integers exact, reals, booleans, null, arrays; datetimes as\n"
           "                     ISO 8601 text, intervals as ISO 8601 durations (P1DT2H3M4.000000S)\n"
           "  --steps            each scripting call of the query with its result code\n"
           "  --diagnose         the connection to a remote computer (--host) step by step: name\n"
           "                     resolution, TCP, TLS, Identify, authentication, namespace, query;\n"
           "                     stops at the first failing step and says its likely cause\n"
           "\n"
           "Connection:\n"
           "  --host NAME        the computer: empty or localhost for this one; host, host:port or\n"
           "                     https://host[:port][/wsman] for WinRM (5985 HTTP, 5986 HTTPS)\n"
           "  --namespace NS     default root\\cimV2\n"
           "  --user NAME        the account, as user, DOMAIN\\user or user@REALM; none: your own\n"
           "                     Kerberos ticket (kinit) on a remote computer\n"
           "  --password TEXT    the password (visible to other users of this computer)\n"
           "  --password-file FILE  the first line of FILE is the password\n"
           "  --authority TEXT   ntlmdomain:DOMAIN (NTLM), kerberos:[PRINCIPAL] (Kerberos), or\n"
           "                     none (Negotiate: Kerberos, else NTLM)\n"
           "  VESKIN_PASSWORD    the password when neither option gives one\n"
           "\n"
           "  -h, --help         this text\n"
           "  --version          the program's version\n"
           "\n"
           "Errors go to standard error as \"Error: \" and the message.\n"
           "\n"
           "Exit codes:\n"
           "  0  success\n"
           "  1  --steps: a step failed; or the output could not be written\n"
           "     (--diagnose: 3, 4 or 5 as the step that failed; 0 when every step passed)\n"
           "  2  usage error: bad command line, unreadable password file, no query\n"
           "  3  connection error: the computer or namespace could not be reached\n"
           "  4  authentication error: access denied while connecting\n"
           "  5  query error: the query or reading its results failed\n";
}

}  // namespace veskin
