#include "jpeg_writer.h"

#include <jpeglib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

void writeJpeg(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb,
               const JpegOptions& options) {
    if (rgb.size() != static_cast<std::size_t>(width) * height * 3) {
        throw std::runtime_error("picture size does not match for " + path);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));

    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);  // libjpeg exits the tool on an encoder error
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    int chroma = options.fullChroma ? 1 : 2;
    cinfo.comp_info[0].h_samp_factor = chroma;
    cinfo.comp_info[0].v_samp_factor = chroma;
    for (int c = 1; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    cinfo.restart_in_rows = options.restartRows;
    if (options.progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(
            rgb.data() + static_cast<std::size_t>(cinfo.next_scanline) * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed)
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}
