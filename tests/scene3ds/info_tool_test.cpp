// model3ds-info: JSON for a loadable file (exit 0), one line on standard
// error and exit 1 for one that is not; names that are not UTF-8.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "scene3ds/model3ds_loader.h"
#include "tests/scene3ds/sample_scenes.h"
#include "tools/model3ds-info/name_text.h"

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

TEST(Model3dsInfo, NamesBecomeUtf8WithLatin1ForOtherBytes) {
    struct Case {
        std::string bytes, text;
    };
    for (const Case& c : {
             Case{"plain", "plain"}, Case{"W\xfcrfel", "W\xc3\xbcrfel"},  // Latin-1
             Case{"Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
                  "Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},             // UTF-8
             Case{"\xc0\xaf", "\xc3\x80\xc2\xaf"},                          // overlong
             Case{"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},              // surrogate
             Case{"\xf4\x90\x80\x80", "\xc3\xb4\xc2\x90\xc2\x80\xc2\x80"},  // above U+10FFFF
             Case{"x\xe2\x82", "x\xc3\xa2\xc2\x82"},                        // cut short
             Case{"\x80\xff", "\xc2\x80\xc3\xbf"},                          // lone bytes
         }) {
        EXPECT_EQ(utf8FromFileBytes(c.bytes), c.text) << c.bytes;
    }
}

TEST(Model3dsInfo, EveryNameItPrintsIsValidJson) {
    using namespace test3ds;
    fs::path dir = fs::temp_directory_path() / ("model3ds_names_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string cube = "W\xfcrfel";  // Latin-1, as DOS and Windows writers left it
    Chunk stone = material(cube);
    stone.add(Chunk(0xA200).add(percentInt(100)).add(Chunk(0xA300).str("h\xf6hle.jpg")));
    Chunk mesh(0x4100);
    mesh.add(vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
    mesh.add(faceList({{0, 1, 2}}).add(materialGroup(cube, {0})));
    auto bytes = sceneFile(
        {stone, namedObject(cube, mesh),
         namedObject("L\xe4mpchen", Chunk(0x4600).floats({0, 0, 0})),
         namedObject("Caf\xc3\xa9", Chunk(0x4700).floats({0, 0, 0, 1, 1, 1, 0, 50}))},
        {keyframer({objectNode({nodeHeader(cube), track(0xB020, 5, {{0, {0, 0, 0}}})})})});
    Model3dsLoader loader;
    ASSERT_TRUE(loader.loadBytes(bytes.data(), bytes.size()));
    EXPECT_EQ(loader.materials.at(0).name, cube);  // the loader keeps the file's bytes
    EXPECT_EQ(loader.nodes.at(0).positionFrames.size(), 5u);

    const fs::path file = dir / "w\xfcrfel.3ds";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    ToolRun run = runTool(file, dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["file"], (dir / "w\xc3\xbcrfel.3ds").string());
    EXPECT_EQ(json["materials"][0]["name"], "W\xc3\xbcrfel");
    EXPECT_EQ(json["materials"][0]["maps"][0]["fileName"], "h\xc3\xb6hle.jpg");
    EXPECT_EQ(json["meshes"][0]["name"], "W\xc3\xbcrfel");
    EXPECT_EQ(json["meshes"][0]["groupMaterials"][0]["name"], "W\xc3\xbcrfel");
    EXPECT_EQ(json["lights"][0]["name"], "L\xc3\xa4mpchen");
    EXPECT_EQ(json["cameras"][0]["name"], "Caf\xc3\xa9");
    EXPECT_EQ(json["nodes"][0]["mesh"], "W\xc3\xbcrfel");
    fs::remove_all(dir);
}

}  // namespace
