// Every way a texture file can fail ends the process with exit code 0: the
// single loader after a "Jpg" or "Jpg !" box naming the file, the alpha
// loader silently. Nothing is uploaded from a file that failed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "runtime/render_context.h"
#include "test_jpegs.h"
#include "tests/support/fake_platform.h"
#include "texturing/texture_slots.h"

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

// Ways to spoil a file, each applied to a fresh colour picture.
enum class Fault {
    Missing,             // no such file
    NotJpeg,             // a text file
    Greyscale,           // one component: 1 byte per pixel
    BadScanTables,       // scan names a Huffman table never defined (fails in begin)
    BadProgressiveScan,  // a later progressive scan with an impossible band (begin)
    RestartOutOfOrder,   // entropy data broken half-way down (fails in decodeLine)
    WrongWidth,          // fine on its own, but not the colour picture's size
    WrongHeight,
};

struct FaultCase {
    const char* name;
    Fault fault;
};

const FaultCase kFaults[] = {{"missing", Fault::Missing},
                             {"not-jpeg", Fault::NotJpeg},
                             {"greyscale", Fault::Greyscale},
                             {"bad-scan-tables", Fault::BadScanTables},
                             {"bad-progressive-scan", Fault::BadProgressiveScan},
                             {"restart-out-of-order", Fault::RestartOutOfOrder},
                             {"wrong-width", Fault::WrongWidth},
                             {"wrong-height", Fault::WrongHeight}};

constexpr int kWidth = 32, kHeight = 48;

Bytes colourJpeg(JpegKind kind, int width = kWidth, int height = kHeight) {
    return encodeJpeg(width, height, 3, testPattern(width, height, 3, 1), kind);
}

// Writes the spoilt file (or none, for Missing) and returns its path.
std::string writeFaulty(const std::string& dir, Fault fault) {
    const std::string path = dir + "/faulty.jpg";
    Bytes jpeg;
    switch (fault) {
        case Fault::Missing:
            return path;
        case Fault::NotJpeg: {
            const std::string text = "this is not a picture\n";
            jpeg.assign(text.begin(), text.end());
            break;
        }
        case Fault::Greyscale:
            jpeg = encodeJpeg(kWidth, kHeight, 1, testPattern(kWidth, kHeight, 1, 2),
                              JpegKind::Baseline);
            break;
        case Fault::BadScanTables: {
            jpeg = colourJpeg(JpegKind::Baseline);
            const std::size_t sos = findMarkers(jpeg, 0xDA).at(0);
            jpeg.at(sos + 6) = 0x33;  // first component: DC table 3, AC table 3
            break;
        }
        case Fault::BadProgressiveScan: {
            jpeg = colourJpeg(JpegKind::Progressive);
            const std::size_t sos = findMarkers(jpeg, 0xDA).at(2);  // an AC scan
            const std::size_t count = jpeg.at(sos + 4);
            jpeg.at(sos + 5 + 2 * count) = 20;  // spectral start above its end
            jpeg.at(sos + 6 + 2 * count) = 10;
            break;
        }
        case Fault::RestartOutOfOrder: {
            jpeg = colourJpeg(JpegKind::RestartEveryRow);
            const std::size_t sos = findMarkers(jpeg, 0xDA).at(0);
            std::size_t rst = 0;  // RST2: after the third MCU row
            for (std::size_t at : findMarkers(jpeg, 0xD2)) {
                if (at > sos) {
                    rst = at;
                    break;
                }
            }
            if (rst == 0) throw std::runtime_error("no restart marker");
            jpeg.at(rst + 1) = 0xD5;
            break;
        }
        case Fault::WrongWidth:
            jpeg = colourJpeg(JpegKind::Baseline, kWidth + 8, kHeight);
            break;
        case Fault::WrongHeight:
            jpeg = colourJpeg(JpegKind::Baseline, kWidth, kHeight - 1);
            break;
    }
    writeFile(path, jpeg);
    return path;
}

class TextureFailureTest : public ::testing::TestWithParam<FaultCase> {
  protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        dir = testDir();
        goodPath = dir + "/good.jpg";
        writeFile(goodPath, colourJpeg(JpegKind::Baseline));
    }
    void TearDown() override { removeTestDir(); }

    // In the child: a scripted platform whose exit writes "exit N" and ends
    // the process at once.
    static std::unique_ptr<FakePlatform> exitingPlatform() {
        auto fake = std::make_unique<FakePlatform>();
        fake->exitThrows = false;
        return fake;
    }

    std::string dir;
    std::string goodPath;
};

TEST_P(TextureFailureTest, SingleLoaderShowsTheFileNameAndExitsWithZero) {
    const Fault fault = GetParam().fault;
    if (fault == Fault::WrongWidth || fault == Fault::WrongHeight) {
        GTEST_SKIP() << "a size only matters against a colour picture";
    }
    const std::string path = writeFaulty(dir, fault);
    const std::string box = (fault == Fault::Missing ? "Jpg: " : "Jpg !: ") + path;
    EXPECT_EXIT(
        {
            auto fake = exitingPlatform();
            auto context = std::make_unique<RenderContext>();
            loadJpegTexture(*context, path.c_str(), 40);
            std::fprintf(stderr, "loaded\n");
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), AllOf(HasSubstr(box + "\nexit 0"), Not(HasSubstr("loaded"))));
}

TEST_P(TextureFailureTest, AlphaLoaderExitsSilentlyForAFaultyAlphaFile) {
    const std::string path = writeFaulty(dir, GetParam().fault);
    EXPECT_EXIT(
        {
            auto fake = exitingPlatform();
            auto context = std::make_unique<RenderContext>();
            loadJpegTextureWithAlpha(*context, goodPath.c_str(), path.c_str(), 20);
            std::fprintf(stderr, "loaded\n");
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), AllOf(HasSubstr("exit 0"), Not(HasSubstr("Jpg"))));
}

TEST_P(TextureFailureTest, AlphaLoaderExitsSilentlyForAFaultyColourFile) {
    const Fault fault = GetParam().fault;
    if (fault == Fault::WrongWidth || fault == Fault::WrongHeight) {
        GTEST_SKIP() << "covered with the faulty alpha file";
    }
    const std::string path = writeFaulty(dir, fault);
    EXPECT_EXIT(
        {
            auto fake = exitingPlatform();
            auto context = std::make_unique<RenderContext>();
            loadJpegTextureWithAlpha(*context, path.c_str(), goodPath.c_str(), 20);
            std::fprintf(stderr, "loaded\n");
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), AllOf(HasSubstr("exit 0"), Not(HasSubstr("Jpg"))));
}

INSTANTIATE_TEST_SUITE_P(Faults, TextureFailureTest, ::testing::ValuesIn(kFaults),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name;
                         });

}  // namespace
