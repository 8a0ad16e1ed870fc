#include "tools/command-line/command_line.h"

#include <cstdio>
#include <cstring>

namespace command_line {

std::optional<int> answerHelpOrVersion(int argc, char** argv, const ToolHelp& help) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("Usage: %s %s\n%s\n", help.name, help.usage, help.summary);
            if (*help.details) std::printf("\n%s", help.details);
            std::printf(
                "\nOptions:\n%s"
                "  --help     print this help and exit\n"
                "  --version  print the version and exit\n"
                "\nExit status:\n%s",
                help.options, help.exitStatus);
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

std::optional<int> collectOperands(int argc, char** argv, const ToolHelp& help,
                                   std::vector<std::string>& operands) {
    bool operandsOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!operandsOnly && argument == "--") {
            operandsOnly = true;
        } else if (!operandsOnly && isOption(argument)) {
            return badArguments(help, "unknown option '" + argument + "'");
        } else {
            operands.push_back(argument);
        }
    }
    return std::nullopt;
}

}  // namespace command_line
