// The command-line tool orlen-meta, as a function that tests can call.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orlen {

enum ExitStatus : int {
    kExitOk = 0,
    kExitNotFound = 1,
    kExitUsage = 2,
    kExitNoPlace = 3,
    kExitFileError = 4,
    kExitFindings = 5, // audit found something at or above --fail-on
};

// Runs orlen-meta with the arguments after the program name. Results go to
// out, messages, progress and summaries to err; progress lines only when
// errIsTerminal. Returns the exit status.
int RunOrlenMeta(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 bool errIsTerminal);

// Escapes a value for the tab-separated output of "show": backslash, TAB,
// CR and LF as \\, \t, \r and \n; every other byte as it is.
std::string EscapeField(const std::string& value);

} // namespace orlen
