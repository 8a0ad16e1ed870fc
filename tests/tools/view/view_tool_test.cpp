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
#include "tests/scene3ds/chunk_writer.h"
#include "tests/support/png_writer.h"
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

double psnr(const TexturePicture& a, const TexturePicture& b) {
    double squared = 0;
    for (size_t i = 0; i < a.rgba.size(); ++i) {
        if (i % 4 == 3) continue;
        const double d = a.rgba[i] - b.rgba[i];
        squared += d * d;
    }
    const double mse = squared / (a.rgba.size() * 3 / 4);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

TexturePicture still(const fs::path& file, const std::string& gl) {
    const fs::path out = temp(gl + ".png");
    const auto run =
        tool_process::run({tool_process::toolPath("brontavik-view"), file.string(), "--png",
                           out.string(), "--view", "front", "--size", "160x120", "--gl", gl},
                          60.0);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    TexturePicture picture;
    std::string error;
    EXPECT_TRUE(loadTexturePicture(out, picture, error)) << error;
    fs::remove(out);
    return picture;
}

// A square facing the front view, lit from its left, with or without a
// bump map of vertical ridges beside it.
fs::path writeBumpScene(const fs::path& folder, bool bumps) {
    using namespace test3ds;
    fs::create_directories(folder);
    std::vector<std::uint8_t> heights(64 * 64 * 4, 255);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c)
                heights[(y * 64 + x) * 4 + c] =
                    static_cast<std::uint8_t>(127.5 + 127.5 * std::sin(x * 3.14159265 / 8));
    writePng((folder / "ridges.png").string(), heights, 64, 64, 4);
    Chunk bumpy = material("bumpy");
    bumpy.add(Chunk(0xA010).add(colorFloat(0.1f, 0.1f, 0.1f)));
    bumpy.add(Chunk(0xA020).add(colorFloat(0.8f, 0.8f, 0.8f)));
    if (bumps) bumpy.add(Chunk(0xA230).add(percentInt(100)).add(Chunk(0xA300).str("ridges.png")));
    Chunk square(0x4100);
    square.add(vertexList({{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}}))
        .add(texCoords({{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
    Chunk faces = faceList({{0, 1, 2}, {0, 2, 3}});
    faces.add(materialGroup("bumpy", {0, 1}));
    square.add(std::move(faces));
    Chunk lamp(0x4600);
    lamp.floats({-8, -6, 0}).add(colorFloat(1, 1, 1));
    const fs::path file = folder / "square.3ds";
    const auto bytes = sceneFile({bumpy, namedObject("square", square), namedObject("lamp", lamp)});
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return file;
}

// How much the square's brightness changes from column to column in its
// middle rows: the ridges' shading.
double columnSpread(const TexturePicture& p) {
    double low = 1e9, high = -1e9;
    for (int x = p.width / 4; x < p.width * 3 / 4; ++x) {
        double sum = 0;
        for (int y = p.height * 2 / 5; y < p.height * 3 / 5; ++y) {
            const std::uint8_t* px = &p.rgba[(static_cast<size_t>(y) * p.width + x) * 4];
            sum += px[0] + px[1] + px[2];
        }
        low = std::min(low, sum);
        high = std::max(high, sum);
    }
    return (high - low) / (3.0 * (p.height * 3 / 5 - p.height * 2 / 5));
}

TEST(ViewTool, BumpMapsShadeTheirRidgesOnBothGls) {
    const fs::path folder = temp("bumps");
    const TexturePicture flat = still(writeBumpScene(folder, false), "system");
    const TexturePicture system = still(writeBumpScene(folder, true), "system");
    const TexturePicture layer = still(writeBumpScene(folder, true), "layer");
    fs::remove_all(folder);
    const double flatSpread = columnSpread(flat), bumpSpread = columnSpread(system);
    std::printf("column spread: flat %.1f, bumped %.1f; system GL against the layer: %.1f dB\n",
                flatSpread, bumpSpread, psnr(system, layer));
    EXPECT_LT(flatSpread, 30.0);
    EXPECT_GT(bumpSpread, 60.0);
    EXPECT_GE(psnr(system, layer), 35.0);
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
    const double psnr = ::psnr(pictures[0], pictures[1]);
    std::printf("system GL against the layer: PSNR %.1f dB\n", psnr);
    EXPECT_GE(psnr, 35.0);
}

}  // namespace
