// The scene drawn through the fixed-function layer against Mesa's own GL
// 1.x: brontavik-capture renders each scene time both ways, and the two
// pictures must agree overall (PSNR) and everywhere (16x16 block means).
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

bool readPng(const std::string& path, Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
}

double psnr(const Picture& a, const Picture& b) {
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        const double d = static_cast<double>(a.rgb[i]) - b.rgb[i];
        sum += d * d;
    }
    const double mse = sum / a.rgb.size();
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// The largest difference of a channel's mean over any 16x16 block (the
// blocks at the right and bottom edges may be smaller).
double worstBlock(const Picture& a, const Picture& b) {
    double worst = 0;
    for (int by = 0; by < a.height; by += 16) {
        for (int bx = 0; bx < a.width; bx += 16) {
            double sa[3] = {0, 0, 0}, sb[3] = {0, 0, 0};
            int n = 0;
            for (int y = by; y < std::min(by + 16, a.height); ++y) {
                for (int x = bx; x < std::min(bx + 16, a.width); ++x, ++n) {
                    const size_t i = (static_cast<size_t>(y) * a.width + x) * 3;
                    for (int c = 0; c < 3; ++c) {
                        sa[c] += a.rgb[i + c];
                        sb[c] += b.rgb[i + c];
                    }
                }
            }
            for (int c = 0; c < 3; ++c) worst = std::max(worst, std::fabs(sa[c] - sb[c]) / n);
        }
    }
    return worst;
}

TEST(GlLayerPicture, MatchesSystemGlThroughTheShow) {
    const char* bin = std::getenv("BRONTAVIK_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    char folder[] = "/tmp/gl-layer-picture-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    // The show's times at the window's size, and one framed, supersampled
    // still (an offscreen framebuffer read back through the layer).
    const std::string framed = " --size 640x360 --supersample 2";
    const std::pair<const char*, std::string> cases[] = {
        {"0", ""},  {"5", ""},  {"12", ""}, {"20", ""}, {"30", ""}, {"36", ""},
        {"45", ""}, {"60", ""}, {"74", ""}, {"79", ""}, {"82", ""}, {"45", framed}};
    for (const auto& [at, extra] : cases) {
        Picture pictures[2];
        const char* gls[2] = {"system", "layer"};
        for (int i = 0; i < 2; ++i) {
            const std::string png = std::string(folder) + "/" + gls[i] + "-" + at + ".png";
            const std::string command = std::string(bin) + "/brontavik-capture --gl " + gls[i] +
                                        " --at " + at + extra + " --png " + png;
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
            ASSERT_TRUE(readPng(png, pictures[i])) << png;
            std::remove(png.c_str());
        }
        ASSERT_EQ(pictures[0].width, pictures[1].width);
        ASSERT_EQ(pictures[0].height, pictures[1].height);
        const double db = psnr(pictures[0], pictures[1]);
        const double block = worstBlock(pictures[0], pictures[1]);
        std::printf("%s s%s: PSNR %.1f dB, worst 16x16 block mean %.2f levels\n", at, extra.c_str(),
                    db, block);
        EXPECT_GE(db, 40.0) << "at " << at << " s";
        EXPECT_LE(block, 12.0) << "at " << at << " s";
    }
    rmdir(folder);
}

}  // namespace
