// The conventions every engine tool keeps: --help and --version on standard
// output with exit 0, a bad argument named with exit 2, a file that cannot
// be used named with the system's reason.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/support/tool_process.h"

namespace fs = std::filesystem;
using tool_process::run;
using tool_process::toolPath;

namespace {

const char* const kTools[] = {"jpeg-decode", "model3ds-info", "make-music", "make-textures",
                              "make-icons"};

TEST(ToolCommandLine, HelpVersionAndBadArguments) {
    for (const std::string name : kTools) {
        SCOPED_TRACE(name);
        const std::string tool = toolPath(name);

        auto help = run({tool, "--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.out.rfind("Usage: " + name + " ", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("\n  --version  "), std::string::npos) << help.out;
        EXPECT_EQ(help.err, "");

        auto version = run({tool, "--version"});
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, name + " (Brontavik) " BRONTAVIK_VERSION "\n");

        auto unknown = run({tool, "--frobnicate", "x"});
        EXPECT_EQ(unknown.exitCode, 2);
        EXPECT_NE(unknown.err.find("'--frobnicate'"), std::string::npos) << unknown.err;
        EXPECT_EQ(unknown.out, "");

        auto nothing = run({tool});
        EXPECT_EQ(nothing.exitCode, 2);
        EXPECT_EQ(nothing.err.rfind(name + ": ", 0), 0u) << nothing.err;
    }
}

TEST(ToolCommandLine, UnusableFilesAreNamedWithTheReason) {
    const fs::path dir = fs::temp_directory_path() / ("tool_cli_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string missing = (dir / "missing").string();
    const std::string notFound = std::strerror(ENOENT);
    struct Case {
        std::vector<std::string> argv;
        std::string expected;  // in standard error
    };
    for (const Case& c : {
             Case{{toolPath("jpeg-decode"), missing + ".jpg", (dir / "out.pnm").string()},
                  missing + ".jpg: " + notFound},
             Case{{toolPath("jpeg-decode"), dir.string(), (dir / "out.pnm").string()},
                  dir.string() + ": " + std::strerror(EISDIR)},
             Case{{toolPath("model3ds-info"), missing + ".3ds"}, missing + ".3ds: " + notFound},
             Case{{toolPath("model3ds-info"), dir.string()},
                  dir.string() + ": " + std::strerror(EISDIR)},
             Case{{toolPath("make-textures"), (dir / "textures").string(), missing},
                  missing + "/DejaVuSans.ttf: " + notFound},
             Case{{toolPath("make-music"), "/etc/passwd/music.ogg"},
                  "/etc/passwd: " + std::string(std::strerror(ENOTDIR))},
         }) {
        auto result = run(c.argv);
        EXPECT_EQ(result.exitCode, 1) << c.argv[0];
        EXPECT_NE(result.err.find(c.expected), std::string::npos) << result.err;
    }
    fs::remove_all(dir);
}

}  // namespace
