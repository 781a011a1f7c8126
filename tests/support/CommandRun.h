#pragma once
// Runs a shell command as a user would type it and keeps what it printed, for the tests
// that start the console program.
#include <string>

namespace veskin {

struct TCommandRun {
    int ExitCode = -1;   // -1 when the command could not start or did not exit normally
    std::string Output;  // its standard output
};

TCommandRun RunCommand(const std::string& command);

// text in single quotes for the shell, its own single quotes escaped.
std::string ShellQuote(const std::string& text);

}  // namespace veskin
