// brontavik-view as a user runs it: refused files give the loader's reason
// and exit status 1, and a still drawn through the GL layer matches the one
// drawn with the system's GL.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "scene3ds_render/texture_files.h"
#include "tests/support/tool_process.h"

namespace fs = std::filesystem;

namespace {

fs::path temp(const std::string& name) {
    return fs::temp_directory_path() / ("view_tool_" + std::to_string(::getpid()) + "_" + name);
}

TEST(ViewTool, RefusedFilesGiveTheLoadersReasonAndExitOne) {
    const fs::path notScene = temp("not.3ds");
    std::ofstream(notScene) << "hello";
    const fs::path empty = temp("empty.3ds");
    std::ofstream{empty};
    const std::string tool = tool_process::toolPath("brontavik-view");
    for (const auto& [file, reason] :
         std::vector<std::pair<std::string, std::string>>{{notScene.string(), "is not a 3DS file"},
                                                          {empty.string(), "is empty"},
                                                          {"/nonexistent/x.3ds", "cannot open"}}) {
        const auto run = tool_process::run({tool, file, "--png", temp("out.png").string()});
        EXPECT_EQ(run.exitCode, 1) << file;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_EQ(tool_process::run({tool}).exitCode, 2);
    EXPECT_EQ(tool_process::run({tool, "a.3ds", "--view", "sideways"}).exitCode, 2);
    fs::remove(notScene);
    fs::remove(empty);
}

TEST(ViewTool, TheLayersStillMatchesTheSystemGls) {
    const std::string tool = tool_process::toolPath("brontavik-view");
    const std::string file = "/usr/share/assimp/models/3DS/test1.3ds";
    if (!fs::exists(file)) GTEST_SKIP() << "assimp-testmodels is not installed";
    TexturePicture pictures[2];
    const char* gls[2] = {"system", "layer"};
    for (int i = 0; i < 2; ++i) {
        const fs::path out = temp(std::string(gls[i]) + ".png");
        const auto run = tool_process::run({tool, file, "--png", out.string(), "--view", "front",
                                            "--size", "320x240", "--gl", gls[i]},
                                           60.0);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        std::string error;
        ASSERT_TRUE(loadTexturePicture(out, pictures[i], error)) << error;
        fs::remove(out);
    }
    ASSERT_EQ(pictures[0].rgba.size(), pictures[1].rgba.size());
    double squared = 0;
    for (size_t i = 0; i < pictures[0].rgba.size(); ++i) {
        if (i % 4 == 3) continue;
        const double d = pictures[0].rgba[i] - pictures[1].rgba[i];
        squared += d * d;
    }
    const double mse = squared / (pictures[0].rgba.size() * 3 / 4);
    const double psnr = mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
    std::printf("system GL against the layer: PSNR %.1f dB\n", psnr);
    EXPECT_GE(psnr, 35.0);
}

}  // namespace
