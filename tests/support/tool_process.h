#pragma once
// Runs a program as a user would (its own process, arguments as given) and
// collects what it printed and how it ended.
#include <string>
#include <vector>

namespace tool_process {

struct Run {
    int exitCode = -1;      // when it exited
    int signal = 0;         // when a signal ended it
    bool timedOut = false;  // killed after the time limit
    std::string out;
    std::string err;
};

// Runs argv[0] with the arguments argv[1..]; kills it after `timeoutSeconds`.
Run run(const std::vector<std::string>& argv, double timeoutSeconds = 20.0);

// The path of a tool in the build's bin folder (BRONTAVIK_BIN_DIR).
std::string toolPath(const std::string& name);

// Every file under `folder` whose extension is one of `extensions`, compared
// without case (".3ds" finds ".3DS"), sorted by path.
std::vector<std::string> filesWithExtension(const std::string& folder,
                                            const std::vector<std::string>& extensions);

// Where Debian's assimp-testmodels puts its files.
inline const char* const kAssimpModels = "/usr/share/assimp/models";

}  // namespace tool_process
