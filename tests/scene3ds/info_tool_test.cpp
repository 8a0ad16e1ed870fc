// model3ds-info: JSON for a loadable file (exit 0), one line on standard
// error and exit 1 for one that is not.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/scene3ds/sample_scenes.h"

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int exitCode;
    std::string out;
    std::string err;
};

ToolRun runTool(const fs::path& file, const fs::path& dir) {
    const char* bin = std::getenv("BRONTAVIK_BIN_DIR");
    fs::path tool = fs::path(bin ? bin : ".") / "model3ds-info";
    fs::path errPath = dir / "stderr.txt";
    std::string command =
        "'" + tool.string() + "' '" + file.string() + "' 2>'" + errPath.string() + "'";
    ToolRun run{-1, "", ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.out.append(buffer, n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream errFile(errPath);
    run.err.assign(std::istreambuf_iterator<char>(errFile), {});
    return run;
}

TEST(Model3dsInfo, DescribesAScene) {
    fs::path dir = fs::temp_directory_path() / ("model3ds_info_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const auto scenes = test3ds::sampleScenes();
    const auto& [name, bytes] = scenes.front();
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    std::ofstream(dir / "text.3ds") << "not a scene\n";

    ToolRun ok = runTool(dir / name, dir);
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
    auto json = nlohmann::json::parse(ok.out);
    ASSERT_EQ(json["materials"].size(), 2u);
    EXPECT_EQ(json["materials"][0]["name"], "stone");
    EXPECT_EQ(json["materials"][0]["shadingName"], "phong");
    EXPECT_EQ(json["materials"][0]["maps"][0]["fileName"], "stone.jpg");
    EXPECT_EQ(json["materials"][1]["maps"][0]["fileName"], "auto");
    ASSERT_EQ(json["meshes"].size(), 2u);
    EXPECT_EQ(json["meshes"][0]["name"], "grid");
    EXPECT_EQ(json["meshes"][0]["faces"], 72);
    EXPECT_GT(json["meshes"][0]["vertices"].get<int>(), 49);  // split along the groups
    EXPECT_EQ(json["meshes"][0]["hasNode"], true);
    EXPECT_EQ(json["meshes"][0]["groupMaterials"][1]["name"], "chrome");
    EXPECT_EQ(json["lights"].size(), 1u);
    EXPECT_NEAR(json["cameras"][0]["fieldOfView"].get<double>(), 68.571429, 1e-4);
    EXPECT_EQ(json["frameCount"], 40);
    EXPECT_EQ(json["nodeCount"], 2);
    EXPECT_EQ(json["nodes"][1]["positionFrames"], 40);

    for (const fs::path& bad : {dir / "text.3ds", dir / "missing.3ds"}) {
        ToolRun failed = runTool(bad, dir);
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_TRUE(failed.out.empty());
        ASSERT_FALSE(failed.err.empty());
        EXPECT_EQ(failed.err.find('\n'), failed.err.size() - 1) << failed.err;  // one line
    }
    fs::remove_all(dir);
}

}  // namespace
