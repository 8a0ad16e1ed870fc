// Every error code of the decoder, each reached by a stream that needs it.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/texturing/jpeg/jpeg_stream_edit.h"
#include "tests/texturing/jpeg/jpeg_test_support.h"
#include "texturing/jpeg_allocation_table.h"
#include "texturing/jpeg_decoder.h"

using namespace jpeg_test;
using namespace jpeg_error;

// Lets the allocator return null under AddressSanitizer, as malloc does.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes& baseline() {
    static const Bytes bytes = [] {
        EncodeOptions options;
        options.quality = 75;
        return encodeJpeg(makeTestCard(48, 32, 3), options);
    }();
    return bytes;
}

const Bytes& progressive() {
    static const Bytes bytes = [] {
        EncodeOptions options;
        options.progressive = true;
        return encodeJpeg(makeTestCard(48, 32, 3), options);
    }();
    return bytes;
}

// A hand-made 8 x 8 grey stream whose one DC code is "0" (difference 0) and
// whose one AC code is "0" with the given symbol; all data bits are 0.
Bytes greyStream(std::uint8_t acSymbol) {
    Bytes bytes = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
    for (int i = 0; i < 64; ++i) bytes.push_back(1);
    Bytes rest = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00};
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    for (int table : {0x00, 0x10}) {
        Bytes dht = {0xFF, 0xC4, 0x00, 0x14, static_cast<std::uint8_t>(table), 1};
        dht.resize(dht.size() + 15, 0);
        dht.push_back(table == 0x00 ? 0x00 : acSymbol);
        bytes.insert(bytes.end(), dht.begin(), dht.end());
    }
    Bytes scan = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00,
                  0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xD9};
    bytes.insert(bytes.end(), scan.begin(), scan.end());
    return bytes;
}

Bytes editHeader(const Bytes& source, const std::function<void(SplitStream&)>& edit) {
    SplitStream stream = splitStream(source);
    edit(stream);
    return joinStream(stream);
}

Segment& segment(SplitStream& stream, int marker) {
    int index = findSegment(stream, marker);
    if (index < 0) throw std::runtime_error("segment missing");
    return stream.header[static_cast<std::size_t>(index)];
}

void insertFirst(SplitStream& stream, Segment segment) {
    stream.header.insert(stream.header.begin(), std::move(segment));
}

Segment bare(int marker) {
    Segment s;
    s.marker = marker;
    s.bare = true;
    return s;
}

Segment dht(Bytes payload) {
    return Segment{0xC4, std::move(payload)};
}

// The SOS header of scan `index` (0-based) of a progressive stream, patched
// by `edit` on its payload bytes (after the length).
Bytes editScan(const Bytes& source, std::size_t index, const std::function<void(Bytes&)>& edit) {
    std::vector<std::size_t> offsets = scanOffsets(source);
    std::size_t at = offsets.at(index);
    std::size_t length = (std::size_t{source[at + 2]} << 8) | source[at + 3];
    Bytes payload(source.begin() + static_cast<std::ptrdiff_t>(at + 4),
                  source.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
    edit(payload);
    Bytes out(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(at + 2));
    out.push_back(static_cast<std::uint8_t>((payload.size() + 2) >> 8));
    out.push_back(static_cast<std::uint8_t>(payload.size() + 2));
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), source.begin() + static_cast<std::ptrdiff_t>(at + 2 + length),
               source.end());
    return out;
}

std::size_t firstAcScan(const Bytes& source) {
    std::vector<std::size_t> offsets = scanOffsets(source);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        std::size_t at = offsets[i];
        int count = source[at + 4];
        if (source[at + 5 + 2 * count] > 0) return i;  // spectral start
    }
    throw std::runtime_error("no AC scan");
}

enum class Stage { Construction, Begin, Line };

struct ErrorCase {
    const char* name;
    int code;
    Stage stage;
    std::function<Bytes()> make;
};

Bytes replaceFirst(Bytes bytes, std::uint8_t from, std::uint8_t to) {
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == from) {
            bytes[i + 1] = to;
            return bytes;
        }
    }
    throw std::runtime_error("marker missing");
}

std::vector<ErrorCase> errorCases() {
    const Bytes base = baseline();
    auto sof = [=](const std::function<void(Segment&)>& edit) {
        return editHeader(base, [=](SplitStream& s) { edit(segment(s, 0xC0)); });
    };
    return {
        {"huffman counts above 255", kHuffmanCountsTooLarge, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 Bytes payload = {0x00};
                 for (int i = 0; i < 16; ++i) payload.push_back(16);  // 256 codes
                 Segment table = dht(payload);
                 table.lengthOverride = 19;
                 insertFirst(s, table);
             });
         }},
        {"huffman slot 8", kHuffmanSlot, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 Bytes payload = {0x08, 1};
                 payload.resize(17, 0);
                 payload.push_back(0);
                 insertFirst(s, dht(payload));
             });
         }},
        {"huffman length below 2", kHuffmanLength, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 Segment table = dht({});
                 table.lengthOverride = 1;
                 insertFirst(s, table);
             });
         }},
        {"huffman segment too short for its symbols", kHuffmanLength, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 Bytes payload = {0x00, 0, 10};  // ten codes of length 2
                 payload.resize(17, 0);
                 payload.insert(payload.end(), {1, 2, 3});
                 insertFirst(s, dht(payload));
             });
         }},
        {"quantisation length below 2", kQuantLength, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 Segment table{0xDB, {}};
                 table.lengthOverride = 0;
                 insertFirst(s, table);
             });
         }},
        {"quantisation table 4", kQuantSlot, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 Bytes payload(65, 1);
                 payload[0] = 0x04;
                 insertFirst(s, Segment{0xDB, payload});
             });
         }},
        {"precision 12", kPrecision, Stage::Construction,
         [=] { return sof([](Segment& s) { s.payload[0] = 12; }); }},
        {"height 0", kHeight, Stage::Construction,
         [=] { return sof([](Segment& s) { s.payload[1] = s.payload[2] = 0; }); }},
        {"height 8193", kHeight, Stage::Construction,
         [=] { return sof([](Segment& s) { s.payload[1] = 0x20, s.payload[2] = 0x01; }); }},
        {"width 0", kWidth, Stage::Construction,
         [=] { return sof([](Segment& s) { s.payload[3] = s.payload[4] = 0; }); }},
        {"width 8193", kWidth, Stage::Construction,
         [=] { return sof([](Segment& s) { s.payload[3] = 0x20, s.payload[4] = 0x01; }); }},
        {"5 components", kTooManyComponents, Stage::Construction,
         [=] { return sof([](Segment& s) { s.payload[5] = 5; }); }},
        {"frame length", kFrameLength, Stage::Construction,
         [=] { return sof([](Segment& s) { s.payload.push_back(0); }); }},
        {"skipped segment length below 2", kSegmentLength, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 Segment app{0xE3, {}};
                 app.lengthOverride = 1;
                 insertFirst(s, app);
             });
         }},
        {"restart interval length", kRestartIntervalLength, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 insertFirst(s, Segment{0xDD, {0, 1, 0}});
             });
         }},
        {"scan with 0 components", kScanHeader, Stage::Begin,
         [=] { return editHeader(base, [](SplitStream& s) { segment(s, 0xDA).payload[0] = 0; }); }},
        {"scan length", kScanHeader, Stage::Begin,
         [=] {
             return editHeader(base, [](SplitStream& s) { segment(s, 0xDA).lengthOverride = 13; });
         }},
        {"scan names component 9", kScanComponent, Stage::Begin,
         [=] { return editHeader(base, [](SplitStream& s) { segment(s, 0xDA).payload[1] = 9; }); }},
        {"arithmetic frame SOF9", kArithmetic, Stage::Construction,
         [=] { return replaceFirst(base, 0xC0, 0xC9); }},
        {"arithmetic conditioning DAC", kArithmetic, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 insertFirst(s, Segment{0xCC, {0x00, 0x10}});
             });
         }},
        {"TEM among header markers", kUnexpectedMarker, Stage::Construction,
         [=] { return editHeader(base, [](SplitStream& s) { insertFirst(s, bare(0x01)); }); }},
        {"RST3 among header markers", kUnexpectedMarker, Stage::Construction,
         [=] { return editHeader(base, [](SplitStream& s) { insertFirst(s, bare(0xD3)); }); }},
        {"EOI instead of the first scan", kUnexpectedMarker, Stage::Begin,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 s.header.pop_back();
                 s.header.push_back(bare(0xD9));
                 s.tail.clear();
             });
         }},
        {"SOF where a scan should start", kUnexpectedMarker, Stage::Begin,
         [=] { return replaceFirst(base, 0xDA, 0xC3); }},
        {"no start of image", kNoStartOfImage, Stage::Construction,
         [=] {
             Bytes bytes(600, 0x00);
             bytes.insert(bytes.end(), base.begin(), base.end());
             return bytes;
         }},
        {"found start of image not followed by FF", kNoStartOfImage, Stage::Construction,
         [=] { return Bytes{0x00, 0x00, 0xFF, 0xD8, 0x00, 0xFF, 0xD9}; }},
        {"lossless frame SOF3", kUnsupportedFrame, Stage::Construction,
         [=] { return replaceFirst(base, 0xC0, 0xC3); }},
        {"scan before any frame", kUnsupportedFrame, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 s.header.erase(s.header.begin() + findSegment(s, 0xC0));
             });
         }},
        {"quantisation segment too short", kQuantTooShort, Stage::Construction,
         [=] {
             return editHeader(base, [](SplitStream& s) {
                 insertFirst(s, Segment{0xDB, {0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}});
             });
         }},
        {"quantisation table undefined", kQuantUndefined, Stage::Begin,
         [=] { return sof([](Segment& s) { s.payload[8] = 3; }); }},
        {"huffman table undefined", kHuffmanUndefined, Stage::Begin,
         [=] {
             return editHeader(base, [](SplitStream& s) { segment(s, 0xDA).payload[2] = 0x30; });
         }},
        {"AC huffman selector 5", kHuffmanUndefined, Stage::Begin,
         [=] {
             return editHeader(base, [](SplitStream& s) { segment(s, 0xDA).payload[2] = 0x05; });
         }},
        {"2 components", kComponentCount, Stage::Begin,
         [=] {
             return sof([](Segment& s) {
                 s.payload[5] = 2;
                 s.payload.resize(6 + 6);
             });
         }},
        {"0 components", kComponentCount, Stage::Begin,
         [=] {
             return sof([](Segment& s) {
                 s.payload[5] = 0;
                 s.payload.resize(6);
             });
         }},
        // Factors 1 to 4 in each direction are allowed, whatever the first
        // component has; 0 and above 4 are not.
        {"chroma sampled 0x1", kSampling, Stage::Begin,
         [=] { return sof([](Segment& s) { s.payload[10] = 0x01; }); }},
        {"luma sampled 5x1", kSampling, Stage::Begin,
         [=] { return sof([](Segment& s) { s.payload[7] = 0x51; }); }},
        {"chroma sampled 1x5", kSampling, Stage::Begin,
         [=] { return sof([](Segment& s) { s.payload[13] = 0x15; }); }},
        {"coefficient index past 63", kCorruptData, Stage::Line, [] { return greyStream(0xF1); }},
        {"restart marker out of sequence", kRestartMarker, Stage::Line,
         [] {
             EncodeOptions options;
             options.restartRows = 1;
             return replaceFirst(encodeJpeg(makeTestCard(48, 40, 3), options), 0xD1, 0xD2);
         }},
        {"restart marker missing", kRestartMarker, Stage::Line,
         [=] {
             return editHeader(base, [](SplitStream& s) { insertFirst(s, Segment{0xDD, {0, 1}}); });
         }},
        {"AC scan with two components", kSpectralSelection, Stage::Begin,
         [] {
             const Bytes& p = progressive();
             return editScan(p, firstAcScan(p), [](Bytes& payload) {
                 // 1 component (id, tables) -> 2 components: Y and Cb.
                 Bytes two = {2, payload[1], payload[2], 2, payload[2]};
                 two.insert(two.end(), payload.begin() + 3, payload.end());
                 payload = two;
             });
         }},
        {"DC scan with spectral end 5", kSpectralSelection, Stage::Begin,
         [] {
             return editScan(progressive(), 0,
                             [](Bytes& payload) { payload[payload.size() - 2] = 5; });
         }},
        {"spectral end 64", kSpectralSelection, Stage::Begin,
         [] {
             const Bytes& p = progressive();
             return editScan(p, firstAcScan(p),
                             [](Bytes& payload) { payload[payload.size() - 2] = 64; });
         }},
        {"successive approximation 2 after 0", kSuccessiveApproximation, Stage::Begin,
         [] {
             return editScan(progressive(), 0,
                             [](Bytes& payload) { payload[payload.size() - 1] = 0x20; });
         }},
    };
}

class JpegErrorCodes : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(JpegErrorCodes, ReachedWhereExpectedAndInertAfterwards) {
    const ErrorCase& c = GetParam();
    Bytes bytes = c.make();
    CountingByteSource source(bytes);
    JpegDecoder decoder(&source, true);
    int construction = decoder.errorCode();
    int begin = decoder.begin();
    int line = 0;
    int lines = 0;
    if (begin == 0) {
        const std::uint8_t* data = nullptr;
        int length = 0;
        while ((line = decoder.decodeLine(&data, &length)) == 0) ++lines;
    }
    switch (c.stage) {
        case Stage::Construction:
            EXPECT_EQ(construction, c.code);
            EXPECT_EQ(begin, -1);
            break;
        case Stage::Begin:
            EXPECT_EQ(construction, 0);
            EXPECT_EQ(begin, -1);
            break;
        case Stage::Line:
            EXPECT_EQ(begin, 0);
            EXPECT_EQ(line, kCorruptData);
            break;
    }
    EXPECT_EQ(decoder.errorCode(), c.code);
    // Inert: the source was released once and nothing works any more.
    EXPECT_EQ(source.beginCount, 1);
    EXPECT_EQ(source.endCount, 1);
    EXPECT_EQ(decoder.begin(), -1);
    const std::uint8_t* data = nullptr;
    int length = 0;
    EXPECT_EQ(decoder.decodeLine(&data, &length), -1);
    EXPECT_EQ(decoder.errorCode(), c.code);
}

INSTANTIATE_TEST_SUITE_P(AllCodes, JpegErrorCodes, ::testing::ValuesIn(errorCases()),
                         [](const ::testing::TestParamInfo<ErrorCase>& info) {
                             std::string name = std::to_string(-info.param.code) + "_";
                             for (const char* p = info.param.name; *p; ++p) {
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             }
                             return name;
                         });

TEST(JpegErrorCodesSource, ReadFailureIsReported) {
    // On the first read (construction) and on the second, which only a file
    // longer than the 4096-byte input buffer needs (while decoding lines).
    Bytes large = encodeJpeg(makePlasma(256, 256, 3, 9), EncodeOptions{});
    ASSERT_GT(large.size(), 4096u);
    for (int failOn : {0, 1}) {
        CountingByteSource source(large);
        source.failOnRead = failOn;
        JpegDecoder decoder(&source, true);
        if (failOn == 0) {
            EXPECT_EQ(decoder.errorCode(), kReadFailure);
        } else {
            EXPECT_EQ(decoder.errorCode(), 0);
            ASSERT_EQ(decoder.begin(), 0);
            const std::uint8_t* line = nullptr;
            int length = 0;
            int status = 0;
            while ((status = decoder.decodeLine(&line, &length)) == 0) {
            }
            EXPECT_EQ(status, kCorruptData);
            EXPECT_EQ(decoder.errorCode(), kReadFailure);
        }
        EXPECT_EQ(source.endCount, 1);
    }
    JpegDecoder noSource(nullptr, true);
    EXPECT_EQ(noSource.errorCode(), kReadFailure);
}

TEST(JpegErrorCodesAllocation, TableLimitAndExhaustion) {
    JpegAllocationTable table;
    for (int i = 0; i < JpegAllocationTable::kLimit; ++i) ASSERT_NE(table.allocate(16), nullptr);
    try {
        table.allocate(16);
        ADD_FAILURE() << "allocation past the limit";
    } catch (const JpegFailure& failure) {
        EXPECT_EQ(failure.code, kTooManyAllocations);
    }
    table.releaseAll();
    EXPECT_EQ(table.liveCount(), 0);
    try {
        table.allocate(std::size_t{1} << 62);
        ADD_FAILURE() << "impossible allocation succeeded";
    } catch (const JpegFailure& failure) {
        EXPECT_EQ(failure.code, kOutOfMemory);
    }
    EXPECT_EQ(table.liveCount(), 0);
}

// -229 (more than 6144 blocks per MCU row, or a block outside the coefficient
// arrays) cannot be reached by any stream: the width limit of 8192 allows at
// most 3072 blocks per MCU row and block positions come from the frame
// geometry. It stays as a guard only.

#if defined(__SANITIZE_ADDRESS__)
#define JPEG_TEST_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JPEG_TEST_ADDRESS_SANITIZER 1
#endif
#endif

#ifndef JPEG_TEST_ADDRESS_SANITIZER
// Runs in the death test's child: limits the address space to what is in
// use plus 192 MB, decodes, and exits 0 when begin failed with -233.
[[noreturn]] void decodeWithLittleAddressSpace(const Bytes& bytes) {
    long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    rlim_t limit = static_cast<rlim_t>(pages) * 4096 + (rlim_t{192} << 20);
    rlimit rl{limit, limit};
    setrlimit(RLIMIT_AS, &rl);
    CountingByteSource source(bytes);
    JpegDecoder decoder(&source, true);
    int begin = decoder.begin();
    bool ok = begin == -1 && decoder.errorCode() == kOutOfMemory && source.endCount == 1;
    std::_Exit(ok ? 0 : 1);
}

// A progressive 8192 x 8192 colour frame needs about 400 MB of coefficient
// arrays; with the address space limited the decoder must report -233.
TEST(JpegErrorCodesAllocationDeathTest, OutOfMemoryInBegin) {
    Bytes bytes = editHeader(progressive(), [](SplitStream& s) {
        Segment& frame = segment(s, 0xC2);
        frame.payload[1] = frame.payload[3] = 0x20;
        frame.payload[2] = frame.payload[4] = 0x00;
    });
    EXPECT_EXIT(decodeWithLittleAddressSpace(bytes), ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
