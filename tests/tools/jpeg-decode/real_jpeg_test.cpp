// jpeg-decode's path to the written image on the real JPEG textures of
// Debian's assimp-testmodels: every one decodes, on both paths, to what
// libjpeg-turbo decodes (integer IDCT, chroma replicated), within the
// rounding of an integer inverse DCT.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/tool_process.h"
#include "texturing/file_byte_source.h"
#include "texturing/jpeg_decoder.h"
#include "tools/jpeg-decode/jpeg_to_pnm.h"

namespace {

constexpr int kMaxDifference = 4;

// The picture as libjpeg-turbo decodes it, laid out as our PNM would be.
bool referencePnm(const std::string& path, std::vector<std::uint8_t>& pnm) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    const int channels = info.output_components;
    char header[32];
    const int headerSize =
        std::snprintf(header, sizeof header, "P%c\n%u %u\n255\n", channels == 1 ? '5' : '6',
                      info.output_width, info.output_height);
    const std::size_t row = static_cast<std::size_t>(info.output_width) * channels;
    pnm.assign(header, header + headerSize);
    pnm.resize(headerSize + row * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW line = pnm.data() + headerSize + row * info.output_scanline;
        jpeg_read_scanlines(&info, &line, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

TEST(JpegDecodeRealFiles, MatchLibjpeg) {
    const auto files =
        tool_process::filesWithExtension(tool_process::kAssimpModels, {".jpg", ".jpeg"});
    ASSERT_GE(files.size(), 20u) << "is assimp-testmodels installed?";
    for (const std::string& file : files) {
        std::vector<std::uint8_t> expected;
        ASSERT_TRUE(referencePnm(file, expected)) << file;
        for (bool fast : {true, false}) {
            SCOPED_TRACE(file + (fast ? " fast" : " plain"));
            FileByteSource source;
            ASSERT_TRUE(source.open(file.c_str()));
            JpegDecoder decoder(&source, fast);
            std::vector<std::uint8_t> pnm;
            ASSERT_EQ(decodeToPnm(decoder, pnm), 0);
            ASSERT_EQ(pnm.size(), expected.size());
            int worst = 0;
            for (std::size_t i = 0; i < pnm.size(); ++i)
                worst = std::max(worst, std::abs(int(pnm[i]) - int(expected[i])));
            EXPECT_LE(worst, kMaxDifference);
        }
    }
}

}  // namespace
