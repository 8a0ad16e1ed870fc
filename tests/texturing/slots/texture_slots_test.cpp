// Textures created in slots, read back from GL (headless, SDL offscreen).
#include "texturing/texture_slots.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "test_jpegs.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/png_writer.h"

namespace {

struct Readback {
    int width = 0, height = 0;
    Bytes pixels;  // texture row 0 first
};

Readback readTexture(GLuint name, GLenum format, int channels) {
    glBindTexture(GL_TEXTURE_2D, name);
    Readback r;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &r.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &r.height);
    r.pixels.assign(std::size_t(r.width) * r.height * channels, 0x5A);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, r.pixels.data());
    return r;
}

GLint texParameter(GLuint name, GLenum parameter) {
    glBindTexture(GL_TEXTURE_2D, name);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

struct Difference {
    int worst = 0;
    double mean = 0;
};

// Differences between texture row r and picture line H - 1 - r over every
// channel (the texture is the picture stored bottom-up).
Difference bottomUpDifference(const Readback& texture, const Picture& picture, int channels) {
    int worst = 0;
    double sum = 0;
    for (int r = 0; r < texture.height; ++r) {
        const int line = picture.height - 1 - r;
        for (int x = 0; x < texture.width; ++x) {
            for (int c = 0; c < channels; ++c) {
                int t = texture.pixels[(std::size_t(r) * texture.width + x) * channels + c];
                int p = picture.pixels[(std::size_t(line) * picture.width + x) * 3 + c];
                worst = std::max(worst, std::abs(t - p));
                sum += std::abs(t - p);
            }
        }
    }
    return {worst, sum / (double(texture.width) * texture.height * channels)};
}

// The loaders use the decoder's fast path, a scaled integer inverse DCT
// that rounds a little differently from libjpeg-turbo's accurate one; at
// the highest quality on sharp edges single samples can differ by a few
// dozen (libjpeg-turbo's own fast transform differs more), the picture as a
// whole by about one step. A picture turned over or shifted by a line
// differs by far more.
void expectSamePicture(const Readback& texture, const Picture& picture, int channels) {
    const Difference d = bottomUpDifference(texture, picture, channels);
    EXPECT_LE(d.mean, 1.5);
    EXPECT_LE(d.worst, 40);
}

int progressCalls = 0;
void countProgress(double step) {
    EXPECT_DOUBLE_EQ(step, 0.1);
    ++progressCalls;
}

class TextureSlotsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        progressCalls = 0;
        context->progressCallback = countProgress;
        dir = testDir();
    }
    void TearDown() override {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        removeTestDir();
    }
    std::string writeJpeg(const std::string& name, const Bytes& jpeg) {
        const std::string path = dir + "/" + name;
        writeFile(path, jpeg);
        return path;
    }

    GlTestContext gl{64, 64};
    std::unique_ptr<RenderContext> context = std::make_unique<RenderContext>();
    std::string dir;
};

// Per-sample tolerance for the alpha rules: room for the fast transform's
// rounding, well below the step between neighbouring lines of the pattern
// (20 or more in the channels checked), so a row off by one still fails.
constexpr int kDecoderTolerance = 8;

TEST_F(TextureSlotsTest, JpegTextureHoldsThePictureBottomUpForEveryKindOfFile) {
    struct Case {
        const char* name;
        int width, height;
        JpegKind kind;
    } cases[] = {{"baseline", 32, 16, JpegKind::Baseline},
                 {"halved-chroma", 48, 32, JpegKind::HalvedChroma},
                 {"progressive", 40, 24, JpegKind::Progressive},
                 {"restarts", 16, 40, JpegKind::RestartEveryRow},
                 {"odd-size", 13, 7, JpegKind::Baseline}};
    int slot = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes jpeg =
            encodeJpeg(c.width, c.height, 3, testPattern(c.width, c.height, 3, slot), c.kind);
        const std::string path = writeJpeg(std::string(c.name) + ".jpg", jpeg);
        loadJpegTexture(*context, path.c_str(), slot);

        ASSERT_NE(context->textureIds[slot], 0u);
        const Readback texture = readTexture(context->textureIds[slot], GL_RGB, 3);
        EXPECT_EQ(texture.width, c.width);
        EXPECT_EQ(texture.height, c.height);
        expectSamePicture(texture, decodeReference(jpeg), 3);
        ++slot;
    }
    EXPECT_EQ(progressCalls, 5);
}

TEST_F(TextureSlotsTest, TopOfThePictureIsTheLastTextureRow) {
    // Top half red, bottom half blue, in whole 8 x 8 blocks so the values
    // come through almost exactly.
    const int w = 16, h = 16;
    Bytes pixels(w * h * 3, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) pixels[(y * w + x) * 3 + (y < 8 ? 0 : 2)] = 255;
    }
    const std::string path =
        writeJpeg("halves.jpg", encodeJpeg(w, h, 3, pixels, JpegKind::Baseline));
    loadJpegTexture(*context, path.c_str(), 7);
    const Readback texture = readTexture(context->textureIds[7], GL_RGB, 3);
    ASSERT_EQ(texture.height, h);
    const std::uint8_t* bottomRow = &texture.pixels[0];
    const std::uint8_t* topRow = &texture.pixels[std::size_t(h - 1) * w * 3];
    EXPECT_GE(bottomRow[2], 250);  // blue: the picture's last line
    EXPECT_LE(bottomRow[0], 5);
    EXPECT_GE(topRow[0], 250);  // red: the picture's first line
    EXPECT_LE(topRow[2], 5);
}

TEST_F(TextureSlotsTest, BlankTextureIsBlackOfTheAskedSize) {
    for (auto [w, h] : {std::pair{128, 128}, std::pair{5, 3}}) {
        createEmptyTexture(*context, 1, w, h);
        const Readback texture = readTexture(context->textureIds[1], GL_RGB, 3);
        EXPECT_EQ(texture.width, w);
        EXPECT_EQ(texture.height, h);
        EXPECT_TRUE(std::all_of(texture.pixels.begin(), texture.pixels.end(),
                                [](std::uint8_t v) { return v == 0; }))
            << w << " x " << h;
        GLint internal = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
        EXPECT_EQ(internal, 3);  // the loaders ask for 3 components
    }
    EXPECT_EQ(progressCalls, 0);
}

TEST_F(TextureSlotsTest, SecondTextureInASlotReplacesTheEntryAndKeepsTheOldName) {
    createEmptyTexture(*context, 20, 8, 8);
    const GLuint blank = context->textureIds[20];
    const Bytes jpeg = encodeJpeg(8, 8, 3, testPattern(8, 8, 3, 1), JpegKind::Baseline);
    const std::string path = writeJpeg("c.jpg", jpeg);
    loadJpegTexture(*context, path.c_str(), 20);
    EXPECT_NE(context->textureIds[20], blank);
    EXPECT_TRUE(glIsTexture(blank));
}

TEST_F(TextureSlotsTest, AlphaPairFollowsTheRowRules) {
    const int w = 12, h = 10;
    const Bytes colourJpeg = encodeJpeg(w, h, 3, testPattern(w, h, 3, 4), JpegKind::Baseline);
    Bytes alphaPixels = testPattern(w, h, 3, 9);
    for (int y = 0; y < h; ++y) {  // a green channel that differs line by line
        for (int x = 0; x < w; ++x) alphaPixels[(y * w + x) * 3 + 1] = std::uint8_t(20 * y + x);
    }
    const Bytes alphaJpeg = encodeJpeg(w, h, 3, alphaPixels, JpegKind::Progressive);
    const std::string colourPath = writeJpeg("colour.jpg", colourJpeg);
    const std::string alphaPath = writeJpeg("alpha.jpg", alphaJpeg);
    loadJpegTextureWithAlpha(*context, colourPath.c_str(), alphaPath.c_str(), 20);
    EXPECT_EQ(progressCalls, 1);

    const Readback texture = readTexture(context->textureIds[20], GL_RGBA, 4);
    ASSERT_EQ(texture.width, w);
    ASSERT_EQ(texture.height, h);
    GLint internal = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    EXPECT_EQ(internal, 4);
    const Picture colour = decodeReference(colourJpeg), alpha = decodeReference(alphaJpeg);
    auto texel = [&](int row, int x, int c) { return int(texture.pixels[(row * w + x) * 4 + c]); };
    auto colourAt = [&](int line, int x, int c) {
        return int(colour.pixels[(line * w + x) * 3 + c]);
    };
    auto alphaAt = [&](int line, int x) { return int(alpha.pixels[(line * w + x) * 3 + 1]); };
    for (int x = 0; x < w; ++x) {
        SCOPED_TRACE(x);
        for (int c = 0; c < 4; ++c) EXPECT_EQ(texel(0, x, c), 0);  // transparent black
        for (int r = 1; r < h; ++r) {
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(texel(r, x, c), colourAt(h - 1 - r, x, c), kDecoderTolerance);
            }
            const int alphaLine = r == 1 ? h - 1 : h - 1 - r;  // row 1: the last line's alpha
            EXPECT_NEAR(texel(r, x, 3), alphaAt(alphaLine, x), kDecoderTolerance) << "row " << r;
        }
    }
}

TEST_F(TextureSlotsTest, OneRowAlphaPairStaysTransparent) {
    const Bytes colour = encodeJpeg(8, 1, 3, testPattern(8, 1, 3, 2), JpegKind::Baseline);
    const Bytes alpha = encodeJpeg(8, 1, 3, Bytes(8 * 3, 200), JpegKind::Baseline);
    const std::string c = writeJpeg("c.jpg", colour), a = writeJpeg("a.jpg", alpha);
    loadJpegTextureWithAlpha(*context, c.c_str(), a.c_str(), 2);
    const Readback texture = readTexture(context->textureIds[2], GL_RGBA, 4);
    ASSERT_EQ(texture.height, 1);
    EXPECT_TRUE(std::all_of(texture.pixels.begin(), texture.pixels.end(),
                            [](std::uint8_t v) { return v == 0; }));
}

TEST_F(TextureSlotsTest, BindAddsTheSlotBaseOnlyBelow85000) {
    for (int entry : {17, 10, 84999 + 7, 84999, 85000, 90000}) context->textureIds[entry] = 0;
    GLuint names[6];
    glGenTextures(6, names);
    context->textureIds[17] = names[0];
    context->textureIds[10] = names[1];
    context->textureIds[84999 + 7] = names[2];
    context->textureIds[85000 + 7] = names[3];
    context->textureIds[85000] = names[4];
    context->textureIds[90000] = names[5];
    context->textureSlotBase = 7;
    struct Case {
        int slot;
        GLuint expected;
    } cases[] = {{10, names[0]}, {84999, names[2]}, {85000, names[4]}, {90000, names[5]}};
    for (const Case& c : cases) {
        glBindTexture(GL_TEXTURE_2D, 0);
        bindTextureSlot(*context, c.slot);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(GLuint(bound), c.expected) << "slot " << c.slot;
    }
    // It binds and does nothing else: texturing stays as it was.
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(TextureSlotsTest, MipmapSwitchAppliesToEveryTextureButTheFilm) {
    const Bytes jpeg = encodeJpeg(16, 16, 3, testPattern(16, 16, 3, 3), JpegKind::Baseline);
    const std::string path = writeJpeg("m.jpg", jpeg);
    for (bool mipmaps : {false, true}) {
        SCOPED_TRACE(mipmaps);
        context->generateMipmaps = mipmaps;
        createEmptyTexture(*context, 1, 16, 16);
        loadJpegTexture(*context, path.c_str(), 10);
        loadJpegTextureWithAlpha(*context, path.c_str(), path.c_str(), 20);
        for (int slot : {1, 10, 20}) {
            const GLuint name = context->textureIds[slot];
            EXPECT_EQ(texParameter(name, GL_TEXTURE_MIN_FILTER),
                      mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR)
                << "slot " << slot;
            EXPECT_EQ(texParameter(name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
            EXPECT_EQ(texParameter(name, GL_GENERATE_MIPMAP), mipmaps ? GL_TRUE : GL_FALSE);
            // Wrap modes stay at the GL defaults (the film tiles by repeating).
            EXPECT_EQ(texParameter(name, GL_TEXTURE_WRAP_S), GL_REPEAT);
        }
        // The film texture comes from the working folder (build/bin).
        loadFilmTexture(*context);
        const GLuint film = context->textureIds[kFilmTextureSlot];
        ASSERT_NE(film, 0u);
        EXPECT_EQ(texParameter(film, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
        EXPECT_EQ(texParameter(film, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    }
}

TEST_F(TextureSlotsTest, LoadingResetsTheSlotBaseTheAlphaLoaderAddsIt) {
    const Bytes jpeg = encodeJpeg(8, 8, 3, testPattern(8, 8, 3, 5), JpegKind::Baseline);
    const std::string path = writeJpeg("b.jpg", jpeg);
    context->textureSlotBase = 100;
    loadJpegTextureWithAlpha(*context, path.c_str(), path.c_str(), 5);
    EXPECT_NE(context->textureIds[105], 0u);
    EXPECT_EQ(context->textureIds[5], 0u);
    loadJpegTexture(*context, path.c_str(), 6);
    EXPECT_EQ(context->textureSlotBase, 0);
    EXPECT_NE(context->textureIds[6], 0u);
    EXPECT_EQ(context->textureIds[106], 0u);
}

// The demo's six pictures as the program loads them, compared with an
// independent decoder. With BRONTAVIK_TEXTURE_READBACK set to a folder, each
// texture is also written there as a PNG (top texture row at the top), to
// be looked at.
TEST_F(TextureSlotsTest, TheDemoPicturesLoadAsTheyAreDrawn) {
    const char* readbackDir = std::getenv("BRONTAVIK_TEXTURE_READBACK");
    struct Case {
        const char* file;
        int size;
    } cases[] = {{"blob41bc", 128}, {"clouds4", 256}, {"clouds4a", 256},
                 {"codergr", 512},  {"merry", 512},   {"superfilm3", 256}};
    int slot = 30;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = std::string("textures/") + c.file + ".jpg";
        ASSERT_TRUE(std::filesystem::exists(path)) << "run from build/bin after building";
        loadJpegTexture(*context, path.c_str(), slot);
        const Readback texture = readTexture(context->textureIds[slot], GL_RGB, 3);
        EXPECT_EQ(texture.width, c.size);
        EXPECT_EQ(texture.height, c.size);
        expectSamePicture(texture, decodeReference(readFile(path)), 3);
        if (readbackDir != nullptr) {
            Bytes topFirst(texture.pixels.size());
            const std::size_t row = std::size_t(texture.width) * 3;
            for (int r = 0; r < texture.height; ++r) {
                std::copy_n(&texture.pixels[r * row], row,
                            &topFirst[(texture.height - 1 - r) * row]);
            }
            writePng(std::string(readbackDir) + "/" + c.file + ".png", topFirst, texture.width,
                     texture.height, 3);
        }
        ++slot;
    }
    loadJpegTextureWithAlpha(*context, "textures/clouds4.jpg", "textures/clouds4a.jpg", slot);
    const Readback clouds = readTexture(context->textureIds[slot], GL_RGBA, 4);
    ASSERT_EQ(clouds.width, 256);
    // The cloud fades to nothing at every edge.
    for (int i = 0; i < 256; ++i) {
        for (auto [x, y] : {std::pair{i, 0}, {i, 255}, {0, i}, {255, i}}) {
            EXPECT_LE(clouds.pixels[(y * 256 + x) * 4 + 3], 3) << x << "," << y;
        }
    }
    if (readbackDir != nullptr) {
        Bytes topFirst(clouds.pixels.size());
        const std::size_t row = 256 * 4;
        for (int r = 0; r < 256; ++r) {
            std::copy_n(&clouds.pixels[r * row], row, &topFirst[(255 - r) * row]);
        }
        writePng(std::string(readbackDir) + "/clouds-rgba.png", topFirst, 256, 256, 4);
    }
}

// The closing pictures are added onto each other around the same centre:
// the greeting keeps above the middle and the credits below it, so their
// texts never cross. Brightest value per half, rows top first.
TEST(ClosingPictures, KeepToOppositeHalves) {
    auto brightest = [](const Picture& p, double fromRow, double toRow) {
        int most = 0;
        for (int y = int(fromRow * p.height); y < int(toRow * p.height); ++y) {
            for (int i = 0; i < p.width * 3; ++i) {
                most = std::max(most, int(p.pixels[(std::size_t(y) * p.width) * 3 + i]));
            }
        }
        return most;
    };
    const Picture greeting = decodeReference(readFile("textures/merry.jpg"));
    const Picture credits = decodeReference(readFile("textures/codergr.jpg"));
    EXPECT_GT(brightest(greeting, 0.1, 0.45), 200);
    EXPECT_LT(brightest(greeting, 0.52, 1.0), 12);
    EXPECT_GT(brightest(credits, 0.55, 0.8), 200);
    EXPECT_LT(brightest(credits, 0.0, 0.52), 12);
}

}  // namespace
