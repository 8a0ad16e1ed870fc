// Decodes files made at test time by libjpeg-turbo's cjpeg and jpegtran and
// compares every pixel with djpeg's output for the same file
// (djpeg -nosmooth -dct int: accurate integer IDCT, replication upsampling).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/texturing/jpeg/jpeg_stream_edit.h"
#include "tests/texturing/jpeg/jpeg_test_support.h"
#include "texturing/jpeg_errors.h"

namespace fs = std::filesystem;
using namespace jpeg_test;

namespace {

// Bounds for a decode to count as the same image as djpeg's. The inverse
// DCTs may round a sample differently by one level, and YCbCr conversion
// turns a chroma difference of one into up to 2 levels (x 1.772) on top of the
// luma one: 3 levels is honest rounding (the largest seen over all fixtures),
// 4 leaves one level of slack. A wrong block, coefficient order, upsampling or
// colour formula moves pixels by tens of levels and PSNR far below 45 dB.
constexpr double kMinPsnr = 45.0;
constexpr int kMaxDifference = 4;

fs::path fixtureDir() {
    const char* bin = std::getenv("BRONTAVIK_BIN_DIR");
    fs::path dir =
        fs::path(bin != nullptr ? bin : fs::temp_directory_path().string()) / "jpeg-fixtures";
    fs::create_directories(dir);
    return dir;
}

bool run(const std::string& command, bool warningsAllowed = false) {
    int status = std::system((command + " 2>/dev/null").c_str());
    // djpeg exits 2 when it warned about damage it decoded past.
    return status == 0 || (warningsAllowed && WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

bool haveRealImageMagick() {
    // /usr/local/bin/convert may be a stand-in; only the packaged one is used.
    return fs::exists("/usr/bin/convert") &&
           run("/usr/bin/convert -version | grep -q ImageMagick >/dev/null");
}

struct Comparison {
    int maxDifference = 0;
    double psnr = 0;
};

Comparison compare(const Image& a, const Image& b) {
    Comparison result;
    double squared = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        int d = std::abs(int{a.pixels[i]} - int{b.pixels[i]});
        result.maxDifference = std::max(result.maxDifference, d);
        squared += double(d) * d;
    }
    double mse = squared / static_cast<double>(a.pixels.size());
    result.psnr = mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
    return result;
}

struct Source {
    std::string name;
    fs::path ppm;
};

class JpegConformance : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = fixtureDir();
        ASSERT_TRUE(
            run("command -v cjpeg >/dev/null && command -v djpeg >/dev/null && "
                "command -v jpegtran >/dev/null"))
            << "cjpeg, djpeg and jpegtran (libjpeg-turbo-progs) are needed";
        auto add = [](const std::string& name, const Image& image) {
            fs::path path = dir_ / (name + (image.channels == 1 ? ".pgm" : ".ppm"));
            ASSERT_TRUE(writePnm(path.string(), image));
            sources_.push_back({name, path});
        };
        add("plasma333x257", makePlasma(333, 257, 3, 1));
        add("card64x48", makeTestCard(64, 48, 3));
        add("tiny1x1", makePlasma(1, 1, 3, 2));
        add("odd17x9", makePlasma(17, 9, 3, 3));
        add("card35x21", makeTestCard(35, 21, 3));
        if (haveRealImageMagick()) {
            fs::path rose = dir_ / "rose.ppm";
            fs::path plasma = dir_ / "implasma.ppm";
            if (run("/usr/bin/convert rose: " + rose.string())) sources_.push_back({"rose", rose});
            if (run("/usr/bin/convert -seed 7 -size 123x77 plasma:fractal " + plasma.string())) {
                sources_.push_back({"implasma123x77", plasma});
            }
        }
    }

    // Makes `name`.jpg from a source with cjpeg and optional extra steps,
    // decodes it with both paths and with djpeg, and checks the bounds.
    // The vector and scalar kernels must give the same bytes on every file.
    void checkFile(const fs::path& jpeg, const std::string& label, bool damaged = false) {
        std::vector<std::uint8_t> bytes = readFile(jpeg.string());
        ASSERT_FALSE(bytes.empty()) << label;
        fs::path reference = jpeg;
        reference.replace_extension(".ref.pnm");
        ASSERT_TRUE(run(
            "djpeg -nosmooth -dct int -pnm -outfile " + reference.string() + " " + jpeg.string(),
            damaged))
            << label;
        Image expected;
        ASSERT_TRUE(readPnm(reference.string(), &expected)) << label;
        for (bool fast : {true, false}) {
            Decoded decoded = decodeAll(bytes, fast);
            ASSERT_EQ(decoded.constructionCode, 0) << label;
            ASSERT_EQ(decoded.beginResult, 0) << label << " error " << decoded.errorCode;
            ASSERT_EQ(decoded.lastLineResult, 1) << label << " error " << decoded.errorCode;
            ASSERT_EQ(decoded.lines, expected.height) << label;
            ASSERT_EQ(decoded.image.width, expected.width) << label;
            ASSERT_EQ(decoded.image.channels, expected.channels) << label;
            Comparison c = compare(decoded.image, expected);
            std::printf("%-44s %-5s max %2d  PSNR %6.2f dB\n", label.c_str(),
                        fast ? "fast" : "plain", c.maxDifference, c.psnr);
            EXPECT_LE(c.maxDifference, kMaxDifference) << label << (fast ? " fast" : " plain");
            EXPECT_GE(c.psnr, kMinPsnr) << label << (fast ? " fast" : " plain");
            Decoded scalar = decodeAll(bytes, fast, 1 << 30, JpegKernels::kScalar);
            EXPECT_EQ(scalar.image.pixels, decoded.image.pixels)
                << label << (fast ? " fast" : " plain") << ": scalar and vector kernels differ";
            ++checked_;
        }
    }

    // A file made by cjpeg and then changed by `edit` at the byte level.
    fs::path edited(
        const Source& source, const std::string& tag, const std::string& args,
        const std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>&)>& edit) {
        fs::path base = encode(source, tag + "-base", args);
        fs::path out = dir_ / (source.name + "-" + tag + ".jpg");
        EXPECT_TRUE(writeFile(out.string(), edit(readFile(base.string())))) << tag;
        return out;
    }

    fs::path script(const std::string& name, const std::string& text) {
        fs::path path = dir_ / (name + ".scans");
        EXPECT_TRUE(writeFile(path.string(), std::vector<std::uint8_t>(text.begin(), text.end())));
        return path;
    }

    fs::path encode(const Source& source, const std::string& tag, const std::string& args) {
        fs::path out = dir_ / (source.name + "-" + tag + ".jpg");
        EXPECT_TRUE(run("cjpeg " + args + " -outfile " + out.string() + " " + source.ppm.string()))
            << tag;
        return out;
    }

    static inline fs::path dir_;
    static inline std::vector<Source> sources_;
    static inline int checked_ = 0;
};

TEST_F(JpegConformance, QualityAndSampling) {
    for (const Source& source : sources_) {
        for (const char* sampling : {"1x1", "2x1", "1x2", "2x2"}) {
            for (int quality : {10, 50, 90, 100}) {
                std::string tag = std::string("q") + std::to_string(quality) + "-" + sampling;
                fs::path jpeg = encode(
                    source, tag, "-quality " + std::to_string(quality) + " -sample " + sampling);
                checkFile(jpeg, source.name + " " + tag);
            }
        }
    }
}

TEST_F(JpegConformance, CodingOptions) {
    const std::vector<std::pair<std::string, std::string>> variants = {
        {"optimize", "-quality 75 -optimize"},
        {"progressive", "-quality 75 -progressive"},
        {"progressive444", "-quality 92 -progressive -sample 1x1"},
        {"progressive21", "-quality 60 -progressive -sample 2x1"},
        {"progressive12", "-quality 30 -progressive -sample 1x2"},
        {"restart1row", "-quality 80 -restart 1"},
        {"restart3blocks", "-quality 80 -restart 3B -sample 1x1"},
        {"restart-progressive", "-quality 70 -restart 2B -progressive"},
        {"grey", "-quality 60 -grayscale"},
        {"grey-progressive", "-quality 85 -grayscale -progressive"},
        {"grey-restart", "-quality 20 -grayscale -restart 5B"},
        {"dct-float", "-quality 95 -dct float -sample 2x1"},
    };
    for (const Source& source : sources_) {
        for (const auto& [tag, args] : variants) {
            checkFile(encode(source, tag, args), source.name + " " + tag);
        }
    }
}

TEST_F(JpegConformance, TranscodedAndExtendedSequential) {
    for (const Source& source : sources_) {
        fs::path base = encode(source, "base", "-quality 70");
        // jpegtran rewrites the same coefficients with other codings.
        const std::vector<std::pair<std::string, std::string>> transcodes = {
            {"tran-progressive", "-progressive"},
            {"tran-restart", "-restart 1"},
            {"tran-optimize", "-optimize"},
            {"tran-grey", "-grayscale"},
        };
        for (const auto& [tag, args] : transcodes) {
            fs::path out = dir_ / (source.name + "-" + tag + ".jpg");
            ASSERT_TRUE(
                run("jpegtran " + args + " -outfile " + out.string() + " " + base.string()));
            checkFile(out, source.name + " " + tag);
        }
        // Extended sequential: a baseline file with its SOF0 marker made SOF1.
        std::vector<std::uint8_t> bytes = readFile(base.string());
        bool patched = false;
        for (std::size_t i = 0; i + 1 < bytes.size() && !patched; ++i) {
            if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
                bytes[i + 1] = 0xC1;
                patched = true;
            }
        }
        ASSERT_TRUE(patched);
        fs::path sof1 = dir_ / (source.name + "-sof1.jpg");
        ASSERT_TRUE(writeFile(sof1.string(), bytes));
        checkFile(sof1, source.name + " sof1");
    }
}

// Files as other writers make them: already RGB, uncommon sampling (chroma
// finer than luma too), components in separate scans, odd progressions.
TEST_F(JpegConformance, ColourSpacesSamplingAndScans) {
    const std::string separate = script("separate", "0;\n1;\n2;\n").string();
    const std::string shuffled = script("shuffled", "2;\n0;\n1;\n").string();
    const std::string lumaThenChroma = script("luma-chroma", "0;\n1 2;\n").string();
    const std::string progressiveSeparate =
        script("progressive-separate",
               "0: 0 0 0 0;\n1: 0 0 0 0;\n2: 0 0 0 0;\n0: 1 63 0 0;\n1: 1 63 0 0;\n"
               "2: 1 63 0 0;\n")
            .string();
    // DC refined last, AC in bands with successive approximation, chroma
    // AC before luma's.
    const std::string progressiveOdd =
        script("progressive-odd",
               "0 1 2: 0 0 0 2;\n2: 1 63 0 1;\n1: 1 63 0 0;\n0: 1 5 0 2;\n0: 6 63 0 0;\n"
               "0: 1 5 2 1;\n2: 1 63 1 0;\n0: 1 5 1 0;\n0 1 2: 0 0 2 1;\n0 1 2: 0 0 1 0;\n")
            .string();
    const std::vector<std::pair<std::string, std::string>> variants = {
        {"rgb", "-quality 85 -rgb"},
        {"rgb-progressive", "-quality 75 -rgb -progressive"},
        {"rgb-sampled", "-quality 90 -rgb -sample 2x2,1x1,1x1"},
        {"chroma-finer", "-quality 85 -sample 1x1,2x2,2x2"},
        {"chroma-finer-progressive", "-quality 85 -progressive -sample 1x2,2x2,2x2"},
        {"s21-12-12", "-quality 80 -sample 2x1,1x2,1x2"},
        {"s31", "-quality 80 -sample 3x1,1x1,1x1"},
        {"s13", "-quality 80 -sample 1x3,1x1,1x1"},
        {"s41-21", "-quality 70 -sample 4x1,2x1,1x1"},
        {"s42", "-quality 70 -sample 4x2,1x1,1x1"},
        {"s14-12", "-quality 70 -sample 1x4,1x2,1x1"},
        {"s22-11-22", "-quality 90 -sample 2x2,1x1,2x2"},
        {"s22-21-12", "-quality 90 -sample 2x2,2x1,1x2"},
        {"scans-separate", "-quality 85 -sample 2x2 -scans " + separate},
        {"scans-shuffled", "-quality 85 -sample 2x1 -scans " + shuffled},
        {"scans-luma-chroma", "-quality 60 -sample 1x1 -restart 2B -scans " + lumaThenChroma},
        {"scans-progressive-separate", "-quality 85 -sample 2x2 -scans " + progressiveSeparate},
        {"scans-progressive-odd", "-quality 95 -sample 2x1 -scans " + progressiveOdd},
        {"scans-rgb-separate", "-quality 85 -rgb -scans " + separate},
    };
    for (const Source& source : sources_) {
        for (const auto& [tag, args] : variants) {
            checkFile(encode(source, tag, args), source.name + " " + tag);
        }
    }
}

// Restart markers as phone encoders and scanners leave them, and frames
// without Huffman tables, made by a byte-level step from cjpeg's files.
TEST_F(JpegConformance, RestartDamageAndMissingTables) {
    using Bytes = std::vector<std::uint8_t>;
    struct Case {
        std::string tag, args;
        std::function<Bytes(const Bytes&)> edit;
        bool damaged;  // djpeg warns about it
    };
    const std::vector<Case> cases = {
        {"restart-before-end", "-quality 80 -restart 1", withRestartBeforeEnd, false},
        {"restart-before-end-progressive", "-quality 80 -progressive -restart 3B",
         withRestartBeforeEnd, false},
        {"stray-bytes", "-quality 80 -restart 1",
         [](const Bytes& b) {
             return withBytesBeforeRestarts(b, {0x12, 0x34, 0x56});
         },
         true},
        {"stray-long", "-quality 80 -restart 2B -sample 1x1",
         [](const Bytes& b) { return withBytesBeforeRestarts(b, Bytes(2000, 0x00)); }, true},
        {"stray-markers", "-quality 80 -restart 1",
         [](const Bytes& b) {
             return withBytesBeforeRestarts(b, {0xFF, 0x00, 0xFF, 0x01, 0x7A});
         },
         true},
        {"stray-progressive", "-quality 70 -progressive -restart 1",
         [](const Bytes& b) {
             return withBytesBeforeRestarts(b, {0x00, 0x42});
         },
         true},
        {"no-tables", "-quality 75", withoutHuffmanTables, false},
        {"no-tables-444-restart", "-quality 90 -sample 1x1 -restart 1", withoutHuffmanTables,
         false},
        {"no-tables-grey", "-quality 50 -grayscale", withoutHuffmanTables, false},
    };
    for (const Source& source : sources_) {
        for (const Case& c : cases) {
            checkFile(edited(source, c.tag, c.args, c.edit), source.name + " " + c.tag, c.damaged);
        }
    }
}

TEST_F(JpegConformance, RejectedFiles) {
    const Source& source = sources_.front();
    const std::vector<std::pair<std::string, std::string>> arithmetic = {
        {"arith", "-arithmetic"}, {"arith-progressive", "-arithmetic -progressive"}};
    for (const auto& [tag, args] : arithmetic) {
        fs::path jpeg = encode(source, tag, args);
        Decoded decoded = decodeAll(readFile(jpeg.string()), true);
        EXPECT_EQ(decoded.errorCode, jpeg_error::kArithmetic) << args;
        EXPECT_EQ(decoded.beginResult, -1) << args;
    }

    // CMYK and 2-component files (written through libjpeg's API: cjpeg
    // takes only grey and RGB input) are read but refused by begin.
    Image cmyk = makePlasma(40, 30, 4, 5);
    EncodeOptions cmykOptions;
    cmykOptions.cmyk = true;
    Image twoChannels = makePlasma(40, 30, 2, 6);
    for (const auto& bytes : {encodeJpeg(cmyk, cmykOptions), encodeJpeg(twoChannels, {})}) {
        Decoded decoded = decodeAll(bytes, true);
        EXPECT_EQ(decoded.constructionCode, 0);
        EXPECT_EQ(decoded.beginResult, -1);
        EXPECT_EQ(decoded.errorCode, jpeg_error::kComponentCount);
    }

    // A skipped restart marker: RST1 rewritten as RST2.
    fs::path restart = encode(source, "restart-skip", "-quality 80 -restart 1");
    std::vector<std::uint8_t> bytes = readFile(restart.string());
    bool patched = false;
    for (std::size_t i = 0; i + 1 < bytes.size() && !patched; ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xD1) {
            bytes[i + 1] = 0xD2;
            patched = true;
        }
    }
    ASSERT_TRUE(patched);
    for (bool fast : {true, false}) {
        Decoded decoded = decodeAll(bytes, fast);
        EXPECT_EQ(decoded.beginResult, 0);
        EXPECT_EQ(decoded.lastLineResult, jpeg_error::kCorruptData);
        EXPECT_EQ(decoded.errorCode, jpeg_error::kRestartMarker);
        EXPECT_GT(decoded.lines, 0);
        EXPECT_LT(decoded.lines, 257);
    }
}

TEST_F(JpegConformance, CommandLineTool) {
    const char* bin = std::getenv("BRONTAVIK_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const std::string tool = (fs::path(bin) / "jpeg-decode").string();
    ASSERT_TRUE(fs::exists(tool));
    const Source& source = sources_.front();
    for (const auto& [tag, args] : std::vector<std::pair<std::string, std::string>>{
             {"tool-colour", "-quality 80 -sample 2x2"}, {"tool-grey", "-quality 80 -grayscale"}}) {
        fs::path jpeg = encode(source, tag, args);
        fs::path reference = dir_ / (tag + ".ref.pnm");
        ASSERT_TRUE(run("djpeg -nosmooth -dct int -pnm -outfile " + reference.string() + " " +
                        jpeg.string()));
        Image expected;
        ASSERT_TRUE(readPnm(reference.string(), &expected));
        for (const char* option : {"", "--no-fast ", "--no-simd "}) {
            fs::path out = dir_ / (tag + ".tool.pnm");
            ASSERT_TRUE(run(tool + " " + option + jpeg.string() + " " + out.string())) << tag;
            Image decoded;
            ASSERT_TRUE(readPnm(out.string(), &decoded)) << tag;
            ASSERT_EQ(decoded.channels, expected.channels) << tag;
            ASSERT_EQ(decoded.width, expected.width);
            ASSERT_EQ(decoded.height, expected.height);
            Comparison c = compare(decoded, expected);
            EXPECT_LE(c.maxDifference, kMaxDifference) << tag << " " << option;
        }
    }
    // A rejected file: "error CODE" on standard output and exit status 1.
    fs::path arithmetic = encode(source, "tool-arith", "-arithmetic");
    fs::path message = dir_ / "tool-arith.txt";
    std::string command = tool + " " + arithmetic.string() + " " + (dir_ / "never.pnm").string() +
                          " > " + message.string();
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::vector<std::uint8_t> text = readFile(message.string());
    EXPECT_EQ(std::string(text.begin(), text.end()), "error -215\n");
    EXPECT_FALSE(fs::exists(dir_ / "never.pnm"));
}

}  // namespace
