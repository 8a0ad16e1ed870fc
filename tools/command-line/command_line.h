#pragma once
// The conventions the engine's command-line tools share: --help prints the
// usage on standard output and exits 0, --version prints the project
// version, a bad argument is named on standard error and exits 2, and a
// file that cannot be used is named with the system's reason.
#include <optional>
#include <string>
#include <vector>

namespace command_line {

// Exit status for a command line the tool cannot use.
constexpr int kBadArguments = 2;

// What --help prints, in the form help2man reads: "Usage: NAME USAGE", the
// summary line, the details, the options, then the exit statuses.
struct ToolHelp {
    const char* name;        // "jpeg-decode"
    const char* usage;       // "[--no-fast] IN.jpg OUT.pnm"
    const char* summary;     // one sentence
    const char* details;     // paragraphs of description; may be empty
    const char* options;     // lines "  --opt  text", without --help and --version
    const char* exitStatus;  // lines " N  meaning"
};

// When the arguments before a "--" hold --help or --version, prints the
// answer on standard output and returns 0 (the tool then exits with it).
std::optional<int> answerHelpOrVersion(int argc, char** argv, const ToolHelp& help);

// Prints "NAME: PROBLEM" and a pointer to --help on standard error and
// returns kBadArguments.
int badArguments(const ToolHelp& help, const std::string& problem);

// True for an argument that looks like an option ("-x", "--x"); a lone "-"
// is an operand.
bool isOption(const std::string& argument);

// For a tool with no options of its own: the operands in order ("--" ends
// the options), or the exit status after naming an unknown option.
std::optional<int> collectOperands(int argc, char** argv, const ToolHelp& help,
                                   std::vector<std::string>& operands);

// "PATH: REASON" with the system's text for the error number.
std::string fileProblem(const std::string& path, int errorNumber);

}  // namespace command_line
