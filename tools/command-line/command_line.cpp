#include "tools/command-line/command_line.h"

#include <cstdio>
#include <cstring>

namespace command_line {

std::optional<int> answerHelpOrVersion(int argc, char** argv, const ToolHelp& help) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("Usage: %s %s\n%s\n\nOptions:\n%s", help.name, help.usage, help.summary,
                        help.options);
            std::printf(
                "  --help     print this help and exit\n"
                "  --version  print the version and exit\n");
            if (help.notes && *help.notes) std::printf("\n%s", help.notes);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s (Brontavik) %s\n", help.name, BRONTAVIK_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

int badArguments(const ToolHelp& help, const std::string& problem) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", help.name,
                 problem.c_str(), help.name);
    return kBadArguments;
}

bool isOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

std::string fileProblem(const std::string& path, int errorNumber) {
    return path + ": " + std::strerror(errorNumber);
}

}  // namespace command_line
