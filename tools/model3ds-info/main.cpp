// model3ds-info FILE.3ds: loads a 3DS file with the program's own loader and
// prints what it holds as JSON. Exit 0 when loaded, 1 when not (with a
// one-line reason on standard error), 2 for a command line it cannot use.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <iostream>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "scene3ds/load_failure.h"
#include "scene3ds/model3ds_loader.h"
#include "tools/command-line/command_line.h"
#include "tools/model3ds-info/model_json.h"

namespace {

const command_line::ToolHelp kHelp = {
    "model3ds-info",
    "FILE.3ds",
    "Load a 3DS scene with Brontavik's own loader and print what it holds as JSON.",
    "The JSON lists materials, meshes, lights, cameras, the animation's frame count and the\n"
    "keyframe nodes. Names are printed as UTF-8: bytes that are not valid UTF-8 are read as\n"
    "Latin-1.\n",
    "",
    " 0  the file was loaded\n"
    " 1  it was not, with a one-line reason on standard error\n"
    " 2  a command line it cannot use\n"};

int describe(const std::string& path) {
    // Heap, not stack: the loader is small, but the model may not be.
    auto loader = std::make_unique<Model3dsLoader>();
    if (!loader->load(path.c_str())) {
        std::cerr << "model3ds-info: " << loadFailureReason(path) << "\n";
        return 1;
    }
    std::cout << describeModel(*loader, path).dump(2) << "\n";
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "model3ds-info: cannot write standard output\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = command_line::answerHelpOrVersion(argc, argv, kHelp)) return *answered;
    std::vector<std::string> paths;
    if (auto bad = command_line::collectOperands(argc, argv, kHelp, paths)) return *bad;
    if (paths.size() != 1) {
        return command_line::badArguments(
            kHelp, "expected one FILE.3ds, got " + std::to_string(paths.size()) + " files");
    }
    // Nothing may end the tool without a reason and exit status 1: not a
    // failed allocation for a huge model, nor anything the JSON library
    // throws.
    try {
        return describe(paths[0]);
    } catch (const std::bad_alloc&) {
        std::cerr << "model3ds-info: out of memory describing " << paths[0] << "\n";
    } catch (const std::exception& e) {
        std::cerr << "model3ds-info: cannot describe " << paths[0] << ": " << e.what() << "\n";
    }
    return 1;
}
