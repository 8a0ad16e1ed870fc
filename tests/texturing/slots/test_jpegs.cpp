#include "test_jpegs.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

Bytes encodeJpeg(int width, int height, int components, const Bytes& pixels, JpegKind kind,
                 int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (components == 3) {
        int luma = kind == JpegKind::HalvedChroma ? 2 : 1;
        cinfo.comp_info[0].h_samp_factor = luma;
        cinfo.comp_info[0].v_samp_factor = luma;
    }
    if (kind == JpegKind::Progressive) jpeg_simple_progression(&cinfo);
    if (kind == JpegKind::RestartEveryRow) cinfo.restart_in_rows = 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels.data() +
                                            std::size_t(cinfo.next_scanline) * width * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes result(out, out + outSize);
    std::free(out);
    return result;
}

Picture decodeReference(const Bytes& jpeg) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), jpeg.size());
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.num_components == 3) cinfo.out_color_space = JCS_RGB;
    // Chroma is widened by repeating samples, as the program's decoder does.
    cinfo.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&cinfo);
    Picture p;
    p.width = cinfo.output_width;
    p.height = cinfo.output_height;
    p.components = cinfo.output_components;
    p.pixels.resize(std::size_t(p.width) * p.height * p.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row =
            p.pixels.data() + std::size_t(cinfo.output_scanline) * p.width * p.components;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return p;
}

Bytes testPattern(int width, int height, int components, int seed) {
    Bytes p(std::size_t(width) * height * components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < components; ++c) {
                int v = (x * 255 / std::max(width - 1, 1)) * (c == 0) +
                        (y * 255 / std::max(height - 1, 1)) * (c == 1) +
                        ((x + y + seed * 37) * 9 % 256) * (c == 2);
                if (components == 1) v = (x * 7 + y * 13 + seed * 29) % 256;
                p[(std::size_t(y) * width + x) * components + c] = static_cast<std::uint8_t>(v);
            }
        }
    }
    return p;
}

std::vector<std::size_t> findMarkers(const Bytes& jpeg, std::uint8_t marker) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) at.push_back(i);
    }
    return at;
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {
std::string currentTestDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("brontavik_") + info->test_suite_name() + "_" + info->name();
    for (char& ch : name) {
        if (ch == '/') ch = '_';
    }
    return ::testing::TempDir() + name;
}
}  // namespace

std::string testDir() {
    const std::string dir = currentTestDir();
    std::filesystem::create_directories(dir);
    return dir;
}

void removeTestDir() {
    std::filesystem::remove_all(currentTestDir());
}
