#pragma once
// The command line of wmiquery: options, where the query and the password come from,
// and the exit codes the program documents.
#include <istream>
#include <string>
#include <vector>

#include "rtl/Exception.h"
#include "tools/wmiquery/QueryTable.h"

namespace veskin {

// Exit codes (also in the help text and the manual page).
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;         // --steps: a step failed; output could not be written
inline constexpr int ExitUsage = 2;           // bad command line, unreadable password file, no query
inline constexpr int ExitConnection = 3;      // connecting (ConnectServer, transport) failed
inline constexpr int ExitAuthentication = 4;  // access denied while connecting
inline constexpr int ExitQuery = 5;           // the query, or reading its results, failed

int ExitCodeFor(TQueryFailure failure);

class EUsageError : public Exception {
public:
    using Exception::Exception;
};

enum class TCommand { Run,
                      Steps,
                      Diagnose,
                      Help,
                      Version };
enum class TOutputFormat { Table,
                           Csv,
                           Json };

struct TCommandLine {
    TCommand Command = TCommand::Run;
    TOutputFormat Format = TOutputFormat::Table;
    TQueryRequest Request;
    bool QueryFromInput = false;  // no query words, or the single word "-"
    bool PasswordGiven = false;   // --password
    std::string PasswordFile;     // --password-file
};

// Options come first ("--name value" or "--name=value"); "--" or the first word that is
// no option starts the query, whose words are joined with blanks. Raises EUsageError.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The password when --password did not give one: the first line of --password-file,
// else the variable VESKIN_PASSWORD (environmentPassword, null when unset). Raises
// EUsageError when the file cannot be read.
void ResolvePassword(TCommandLine& commandLine, const char* environmentPassword);

// The query read from in; EUsageError when it holds nothing but blanks.
std::string ReadQuery(std::istream& in);

std::string HelpText();
std::string UsageLine();

}  // namespace veskin
