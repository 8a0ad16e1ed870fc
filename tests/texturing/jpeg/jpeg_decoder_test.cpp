// Behaviour of the decoder's public operations on valid and damaged streams.
#include "texturing/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/texturing/jpeg/jpeg_stream_edit.h"
#include "tests/texturing/jpeg/jpeg_test_support.h"
#include "texturing/jpeg_colour.h"
#include "texturing/jpeg_idct.h"
#include "texturing/jpeg_tables.h"
#include "texturing/jpeg_vector_primitives.h"

using namespace jpeg_test;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes colourFile(int width, int height, int h, int v, bool progressive = false) {
    EncodeOptions options;
    options.lumaH = h;
    options.lumaV = v;
    options.progressive = progressive;
    return encodeJpeg(makePlasma(width, height, 3, 11), options);
}

TEST(JpegDecoder, NaturalOrderStartsAsZigzag) {
    const int expected[] = {0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(kJpegNaturalOrder[i], expected[i]) << i;
    EXPECT_EQ(kJpegNaturalOrder[63], 63);
    bool seen[64] = {};
    for (int i = 0; i < 64; ++i) seen[kJpegNaturalOrder[i]] = true;
    for (bool s : seen) EXPECT_TRUE(s);
}

TEST(JpegDecoder, WideColourConversionEqualsTheTables) {
    JpegColourTables tables;
    buildColourTables(tables);
    // Every Cb, Cr pair with luma values at both ends and in the middle,
    // chroma at full and at half width.
    for (int step : {1, 2}) {
        for (int luma : {0, 1, 77, 128, 200, 254, 255}) {
            std::vector<std::uint8_t> y(256, static_cast<std::uint8_t>(luma));
            std::vector<std::uint8_t> cb(256), cr(256);
            for (int cbValue = 0; cbValue < 256; ++cbValue) {
                for (int i = 0; i < 256; ++i) {
                    cb[i] = static_cast<std::uint8_t>(cbValue);
                    cr[i] =
                        static_cast<std::uint8_t>(i / step + (step == 2 ? 128 * (cbValue & 1) : 0));
                }
                // Two lines sharing the chroma row: the second with other luma.
                std::vector<std::uint8_t> y2(256, static_cast<std::uint8_t>(255 - luma));
                std::vector<std::uint8_t> viaTables(256 * 4), viaTables2(256 * 4);
                std::vector<std::uint8_t> wide(256 * 4), wide2(256 * 4);
                convertYCbCrLine(tables, y.data(), cb.data(), cr.data(), 256, step,
                                 viaTables.data());
                convertYCbCrLine(tables, y2.data(), cb.data(), cr.data(), 256, step,
                                 viaTables2.data());
                convertYCbCrLinesWide(y.data(), y2.data(), cb.data(), cr.data(), 256, step,
                                      wide.data(), wide2.data());
                ASSERT_EQ(viaTables, wide)
                    << "step " << step << " luma " << luma << " cb " << cbValue;
                ASSERT_EQ(viaTables2, wide2) << "step " << step << " luma " << luma;
                std::vector<std::uint8_t> single(256 * 4);
                convertYCbCrLinesWide(y.data(), nullptr, cb.data(), cr.data(), 256, step,
                                      single.data(), nullptr);
                ASSERT_EQ(viaTables, single);
            }
        }
    }
    // Pure grey stays grey; full red Cr gives the JFIF value.
    std::uint8_t y = 100, cb = 128, cr = 255, out[4 * 8] = {};
    convertYCbCrLine(tables, &y, &cb, &cr, 1, 1, out);
    EXPECT_EQ(out[0], 255);  // 100 + 178, clamped
    EXPECT_EQ(out[1], 9);    // 100 - 91
    EXPECT_EQ(out[2], 100);
    EXPECT_EQ(out[3], 0);
}

TEST(JpegDecoder, VectorTransformEqualsTheScalarOneOverTheWholeRange) {
    // Random blocks at several magnitudes up to the int16 limits (where the
    // results saturate), with all 64 or only the top-left 4 x 4 coefficients.
    std::uint32_t seed = 99;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int magnitude : {8, 200, 2000, 32768}) {
        for (bool lowOnly : {false, true}) {
            for (int trial = 0; trial < 200; ++trial) {
                std::int16_t block[64] = {};
                for (int k = 0; k < 64; ++k) {
                    if (lowOnly && (k / 8 >= 4 || k % 8 >= 4)) continue;
                    int value = static_cast<int>(next() >> 8) % (2 * magnitude) - magnitude;
                    if (trial % 7 == 0) value = next() & 0x100 ? magnitude - 1 : -magnitude;
                    block[k] = static_cast<std::int16_t>(value);
                }
                std::int16_t copy[64];
                std::memcpy(copy, block, sizeof block);
                std::uint8_t vector[8 * 10] = {}, scalar[8 * 10] = {};
                idctFast(block, vector, 10, lowOnly);
                idctFastScalar(copy, scalar, 10);
                ASSERT_EQ(0, std::memcmp(vector, scalar, sizeof vector))
                    << "magnitude " << magnitude << " trial " << trial;
                for (int k = 0; k < 64; ++k) ASSERT_EQ(block[k], 0) << "left clear";
            }
        }
    }
}

TEST(JpegDecoder, NonZeroPositionsMarkEveryNonZeroCoefficient) {
    std::uint32_t seed = 7;
    for (int trial = 0; trial < 500; ++trial) {
        std::int16_t block[64] = {};
        std::uint64_t expected = 0;
        // From nearly empty to nearly full, values of either sign up to the limits.
        for (int k = 0; k < 64; ++k) {
            seed = seed * 1664525u + 1013904223u;
            if (static_cast<int>(seed >> 26) >= trial % 64) continue;
            block[k] = static_cast<std::int16_t>(k % 3 == 0 ? (seed & 1 ? -32768 : 32767)
                                                            : (seed >> 8) % 5 - 2);
            if (block[k] != 0) expected |= std::uint64_t{1} << k;
        }
        ASSERT_EQ(jpegNonZeroPositions(block), expected) << trial;
    }
}

TEST(JpegDecoder, StartOfImageIsSearchedForWithinTheFirstBytes) {
    Bytes file = colourFile(20, 12, 2, 2);
    Decoded plain = decodeAll(file, true);
    ASSERT_EQ(plain.errorCode, 0);
    // FF D8 FF starting at byte 510 (ending within the first 513 bytes).
    Bytes shifted(510, 0x00);
    shifted.insert(shifted.end(), file.begin(), file.end());
    Decoded found = decodeAll(shifted, true);
    EXPECT_EQ(found.errorCode, 0);
    EXPECT_EQ(found.image.pixels, plain.image.pixels);
    Bytes far(520, 0x00);
    far.insert(far.end(), file.begin(), file.end());
    EXPECT_EQ(decodeAll(far, true).constructionCode, jpeg_error::kNoStartOfImage);
}

TEST(JpegDecoder, LineLayoutPerComponentCount) {
    struct Case {
        int channels;
        int h, v;
        bool progressive;
    };
    for (const Case& c :
         {Case{1, 1, 1, false}, Case{3, 1, 1, false}, Case{3, 2, 1, false}, Case{3, 1, 2, false},
          Case{3, 2, 2, false}, Case{3, 2, 2, true}, Case{1, 1, 1, true}}) {
        const int width = 37;
        const int height = 23;
        EncodeOptions options;
        options.lumaH = c.h;
        options.lumaV = c.v;
        options.progressive = c.progressive;
        Bytes file = encodeJpeg(makePlasma(width, height, c.channels, 4), options);
        MemoryByteSource source(file);
        JpegDecoder decoder(&source, true);
        ASSERT_EQ(decoder.errorCode(), 0);
        EXPECT_EQ(decoder.width(), width);
        EXPECT_EQ(decoder.height(), height);
        const std::uint8_t* line = nullptr;
        int length = 0;
        EXPECT_EQ(decoder.decodeLine(&line, &length), -1) << "not begun";
        ASSERT_EQ(decoder.begin(), 0);
        EXPECT_EQ(decoder.begin(), 0) << "second begin";
        const int bytesPerPixel = c.channels == 1 ? 1 : 4;
        for (int y = 0; y < height; ++y) {
            ASSERT_EQ(decoder.decodeLine(&line, &length), 0) << y;
            ASSERT_EQ(length, width * bytesPerPixel);
            if (bytesPerPixel == 4) {
                for (int x = 0; x < width; ++x) ASSERT_EQ(line[4 * x + 3], 0) << x;
            }
        }
        EXPECT_EQ(decoder.decodeLine(&line, &length), 1);
        EXPECT_EQ(decoder.decodeLine(&line, &length), 1);
        EXPECT_EQ(decoder.errorCode(), 0);
    }
}

TEST(JpegDecoder, ChunkedReadsGiveTheSameImage) {
    EncodeOptions separate;
    separate.scans = {{{1}}, {{0}}, {{2}}};
    for (int kind = 0; kind < 3; ++kind) {
        Bytes file = kind < 2 ? colourFile(90, 70, 2, 2, kind == 1)
                              : encodeJpeg(makePlasma(90, 70, 3, 11), separate);
        Decoded whole = decodeAll(file, true);
        ASSERT_EQ(whole.errorCode, 0);
        for (int chunk : {1, 7, 4095}) {
            Decoded pieces = decodeAll(file, true, chunk);
            EXPECT_EQ(pieces.errorCode, 0) << kind << " " << chunk;
            EXPECT_EQ(pieces.image.pixels, whole.image.pixels) << chunk;
        }
    }
}

// Every line through decodeLine, as one buffer of width * bytesPerPixel rows.
Bytes linesOf(const Bytes& file, JpegKernels kernels) {
    MemoryByteSource source(file);
    JpegDecoder decoder(&source, true, kernels);
    Bytes all;
    if (decoder.begin() != 0) return all;
    const std::uint8_t* line = nullptr;
    int length = 0;
    while (decoder.decodeLine(&line, &length) == 0) all.insert(all.end(), line, line + length);
    return all;
}

TEST(JpegDecoder, RowsStraightIntoTheCallersBufferEqualTheLines) {
    struct Case {
        int width, height, channels;
        std::vector<std::pair<int, int>> sampling;
        bool progressive, rgb;
    };
    const Case cases[] = {
        {70, 37, 3, {{2, 2}, {1, 1}, {1, 1}}, false, false},  // pairs, a tail past 64
        {64, 16, 3, {{2, 2}, {1, 1}, {1, 1}}, false, false},  // whole groups only
        {45, 19, 3, {{1, 1}, {1, 1}, {1, 1}}, false, false},
        {77, 9, 3, {{2, 1}, {1, 1}, {1, 1}}, false, false},
        {33, 21, 3, {{1, 2}, {1, 1}, {1, 1}}, false, false},  // pairs at full chroma width
        {70, 37, 3, {{2, 2}, {1, 1}, {1, 1}}, true, false},
        {50, 11, 3, {{1, 1}, {1, 1}, {1, 1}}, false, true},   // R, G, B: through the lines
        {41, 13, 3, {{3, 1}, {1, 1}, {1, 1}}, false, false},  // upsampled first
        {37, 23, 1, {}, false, false},
    };
    for (const Case& c : cases) {
        EncodeOptions options;
        options.sampling = c.sampling;
        options.progressive = c.progressive;
        options.rgb = c.rgb;
        Bytes file = encodeJpeg(makePlasma(c.width, c.height, c.channels, 5), options);
        for (JpegKernels kernels : {JpegKernels::kVector, JpegKernels::kScalar}) {
            const Bytes expected = linesOf(file, kernels);
            const int lineBytes = c.width * (c.channels == 1 ? 1 : 4);
            ASSERT_EQ(expected.size(), std::size_t(lineBytes) * c.height);
            // One line by decodeLine first, then chunks; guard bytes after each row.
            for (int chunk : {1, 2, 3, 1000}) {
                SCOPED_TRACE(testing::Message()
                             << c.width << "x" << c.height << " chunk " << chunk);
                const int stride = lineBytes + 7;
                Bytes rows(std::size_t(stride) * c.height, 0xAB);
                MemoryByteSource source(file);
                JpegDecoder decoder(&source, true, kernels);
                ASSERT_EQ(decoder.begin(), 0);
                const std::uint8_t* line = nullptr;
                int length = 0;
                ASSERT_EQ(decoder.decodeLine(&line, &length), 0);
                std::memcpy(rows.data(), line, std::size_t(length));
                int done = 1;
                int got = 0;
                while ((got = decoder.decodeRows(rows.data() + std::size_t(done) * stride, stride,
                                                 chunk)) > 0) {
                    ASSERT_LE(got, chunk);
                    done += got;
                }
                EXPECT_EQ(got, 0);
                EXPECT_EQ(done, c.height);
                for (int y = 0; y < c.height; ++y) {
                    const std::uint8_t* row = rows.data() + std::size_t(y) * stride;
                    ASSERT_EQ(0, std::memcmp(row, expected.data() + std::size_t(y) * lineBytes,
                                             std::size_t(lineBytes)))
                        << "line " << y;
                    for (int g = lineBytes; g < stride; ++g)
                        ASSERT_EQ(row[g], 0xAB) << "line " << y;
                }
            }
        }
    }
}

TEST(JpegDecoder, RowsBeforeAFailureAreKept) {
    Bytes large = encodeJpeg(makePlasma(256, 256, 3, 9), EncodeOptions{});
    const Bytes expected = linesOf(large, JpegKernels::kVector);
    CountingByteSource source(large);
    source.failOnRead = 1;  // the second read, while decoding lines
    JpegDecoder decoder(&source, true);
    ASSERT_EQ(decoder.begin(), 0);
    Bytes rows(expected.size());
    int got = decoder.decodeRows(rows.data(), 256 * 4, 256);
    ASSERT_GT(got, 0);
    ASSERT_LT(got, 256);
    EXPECT_TRUE(std::equal(rows.begin(), rows.begin() + got * 256 * 4, expected.begin()));
    EXPECT_EQ(decoder.errorCode(), jpeg_error::kReadFailure);
    EXPECT_EQ(decoder.decodeRows(rows.data(), 256 * 4, 256), -1);
}

TEST(JpegDecoder, TruncatedStreamDecodesWhatItHas) {
    for (bool progressive : {false, true}) {
        Bytes file = colourFile(64, 64, 2, 2, progressive);
        Decoded whole = decodeAll(file, true);
        // Cut inside the entropy-coded data of the last scan.
        std::size_t lastScan = scanOffsets(file).back() + 20;
        std::size_t keep = lastScan + (file.size() - lastScan) / 2;
        Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(keep));
        Decoded partial = decodeAll(cut, true);
        EXPECT_EQ(partial.errorCode, 0);
        EXPECT_EQ(partial.lines, 64);
        if (!progressive) {
            // The first MCU row lies well inside the kept bytes.
            std::size_t firstRow = 16 * 64 * 3;
            EXPECT_TRUE(
                std::equal(whole.image.pixels.begin(),
                           whole.image.pixels.begin() + static_cast<std::ptrdiff_t>(firstRow),
                           partial.image.pixels.begin()));
        }
    }
    // Only the header up to the scan: every line still arrives.
    SplitStream stream = splitStream(colourFile(30, 20, 2, 2));
    stream.tail.clear();
    Decoded small = decodeAll(joinStream(stream), false);
    EXPECT_EQ(small.errorCode, 0);
    EXPECT_EQ(small.lines, 20);
}

// Which markers say that three components are R, G, B already: a JFIF
// marker means YCbCr whatever else is there; otherwise an Adobe marker's
// transform decides; without either, the component names do.
TEST(JpegDecoder, ColourTransformFromMarkersAndNames) {
    EncodeOptions rgb;
    rgb.rgb = true;
    const Bytes rgbFile = encodeJpeg(makeTestCard(24, 16, 3), rgb);  // Adobe 0, names R G B
    const Segment jfif{0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}};
    auto edited = [&](bool addJfif, int adobeTransform, bool numberedIds) {
        SplitStream stream = splitStream(rgbFile);
        int adobe = findSegment(stream, 0xEE);
        if (adobeTransform < 0) {
            stream.header.erase(stream.header.begin() + adobe);
        } else {
            stream.header[static_cast<std::size_t>(adobe)].payload[11] =
                static_cast<std::uint8_t>(adobeTransform);
        }
        if (addJfif) stream.header.insert(stream.header.begin(), jfif);
        if (numberedIds) {
            Segment& frame = stream.header[static_cast<std::size_t>(findSegment(stream, 0xC0))];
            Segment& scan = stream.header[static_cast<std::size_t>(findSegment(stream, 0xDA))];
            for (int c = 0; c < 3; ++c) {
                frame.payload[6 + 3 * c] = static_cast<std::uint8_t>(c + 1);
                scan.payload[1 + 2 * c] = static_cast<std::uint8_t>(c + 1);
            }
        }
        return joinStream(stream);
    };
    struct Case {
        bool jfif;
        int adobe;  // transform, -1 for no Adobe marker
        bool numbered;
        bool rgbExpected;
    };
    const Decoded asRgb = decodeAll(rgbFile, true);
    ASSERT_EQ(asRgb.errorCode, 0);
    for (const Case& c : {Case{false, 0, false, true}, Case{false, 0, true, true},
                          Case{false, -1, false, true}, Case{true, 0, false, false},
                          Case{false, 1, false, false}, Case{false, -1, true, false}}) {
        Bytes file = edited(c.jfif, c.adobe, c.numbered);
        CountingByteSource source(file);
        JpegDecoder decoder(&source, true);
        ASSERT_EQ(decoder.errorCode(), 0);
        EXPECT_EQ(decoder.rgbComponents(), c.rgbExpected) << c.jfif << c.adobe << c.numbered;
        // The same samples, so the same pixels exactly when taken as RGB.
        Decoded decoded = decodeAll(file, true);
        EXPECT_EQ(decoded.image.pixels == asRgb.image.pixels, c.rgbExpected);
    }
}

// Ratios of sampling factors that are not whole numbers (no Debian tool
// writes them, libjpeg-turbo refuses them): each pixel takes the sample that
// covers it, x * h / hMax, as with whole ratios. The planes libjpeg decodes
// from the same file, replicated so and converted with the tables, must
// match within the rounding of the inverse DCTs.
TEST(JpegDecoder, FractionalSamplingReplicates) {
    const std::vector<std::vector<std::pair<int, int>>> samplings = {
        {{3, 1}, {2, 1}, {1, 1}}, {{1, 3}, {1, 2}, {1, 1}}, {{3, 2}, {2, 1}, {1, 2}}};
    JpegColourTables tables;
    buildColourTables(tables);
    for (const auto& sampling : samplings) {
        Planes planes;
        planes.width = 53;
        planes.height = 29;
        planes.sampling = sampling;
        for (int c = 0; c < 3; ++c) {
            Image plane = makePlasma(planes.planeWidth(c), planes.planeHeight(c), 1, 30 + c);
            planes.data.push_back(plane.pixels);
        }
        Bytes file = encodeRawJpeg(planes, 95);
        Planes decodedPlanes = decodeRawJpeg(file);
        Bytes expected;
        for (int y = 0; y < planes.height; ++y) {
            for (int x = 0; x < planes.width; ++x) {
                std::uint8_t sample[3];
                for (int c = 0; c < 3; ++c) {
                    int px = x * sampling[c].first /
                             std::max({sampling[0].first, sampling[1].first, sampling[2].first});
                    int py = y * sampling[c].second /
                             std::max({sampling[0].second, sampling[1].second, sampling[2].second});
                    sample[c] =
                        decodedPlanes
                            .data[c]
                                 [static_cast<std::size_t>(py) * decodedPlanes.planeWidth(c) + px];
                }
                std::uint8_t pixel[4];
                convertYCbCrLine(tables, &sample[0], &sample[1], &sample[2], 1, 1, pixel);
                expected.insert(expected.end(), pixel, pixel + 3);
            }
        }
        for (bool fast : {true, false}) {
            Decoded decoded = decodeAll(file, fast);
            ASSERT_EQ(decoded.errorCode, 0);
            ASSERT_EQ(decoded.image.pixels.size(), expected.size());
            int worst = 0;
            for (std::size_t i = 0; i < expected.size(); ++i) {
                worst = std::max(worst, std::abs(int{decoded.image.pixels[i]} - int{expected[i]}));
            }
            EXPECT_LE(worst, 4) << sampling[0].first << "x" << sampling[0].second << " "
                                << (fast ? "fast" : "plain");
        }
    }
}

TEST(JpegDecoder, HandMadeFlatBlock) {
    // DC difference 0 and end of block: every sample is the level shift, 128.
    Bytes bytes = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
    bytes.resize(bytes.size() + 64, 1);
    Bytes frame = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x05, 0x00, 0x03, 0x01, 0x01, 0x22, 0x00};
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    for (int table : {0x00, 0x10}) {
        Bytes dht = {0xFF, 0xC4, 0x00, 0x14, static_cast<std::uint8_t>(table), 1};
        dht.resize(dht.size() + 15, 0);
        dht.push_back(0x00);
        bytes.insert(bytes.end(), dht.begin(), dht.end());
    }
    Bytes scan = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x00, 0xFF, 0xD9};
    bytes.insert(bytes.end(), scan.begin(), scan.end());
    for (bool fast : {true, false}) {
        Decoded decoded = decodeAll(bytes, fast);
        ASSERT_EQ(decoded.errorCode, 0);
        EXPECT_EQ(decoded.lines, 5);
        EXPECT_EQ(decoded.image.pixels, Bytes(3 * 5, 128));
    }
}

TEST(JpegDecoder, SourceThatNeverEndsNorDeliversDoesNotHang) {
    class Silent : public ByteSource {
      public:
        int read(std::uint8_t*, int, bool*) override { return 0; }
        void beginUse() override {}
        void endUse() override {}
    } silent;
    JpegDecoder decoder(&silent, true);
    EXPECT_EQ(decoder.errorCode(), jpeg_error::kNoStartOfImage);
}

TEST(JpegDecoder, SourceIsUsedOnceAndReleasedOnce) {
    Bytes file = colourFile(16, 16, 2, 2);
    CountingByteSource source(file);
    {
        JpegDecoder decoder(&source, true);
        EXPECT_EQ(source.beginCount, 1);
        ASSERT_EQ(decoder.begin(), 0);
        EXPECT_EQ(source.endCount, 0);
    }
    EXPECT_EQ(source.endCount, 1);
}

TEST(JpegDecoder, FastAndPlainPathsAgreeClosely) {
    Bytes file = colourFile(120, 90, 2, 1);
    Decoded fast = decodeAll(file, true);
    Decoded plain = decodeAll(file, false);
    ASSERT_EQ(fast.image.pixels.size(), plain.image.pixels.size());
    int worst = 0;
    for (std::size_t i = 0; i < fast.image.pixels.size(); ++i) {
        worst = std::max(worst, std::abs(int{fast.image.pixels[i]} - int{plain.image.pixels[i]}));
    }
    EXPECT_LE(worst, 6);
    EXPECT_NE(fast.image.pixels, Bytes(fast.image.pixels.size(), 0));
}

}  // namespace
