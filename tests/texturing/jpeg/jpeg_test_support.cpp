#include "tests/texturing/jpeg/jpeg_test_support.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "texturing/jpeg_decoder.h"

namespace jpeg_test {

namespace {

struct Random {
    std::uint32_t state;
    double next() {  // 0..1
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0;
    }
};

// Diamond-square on a (2^n + 1) grid, sampled down to width x height.
std::vector<double> plasmaChannel(int width, int height, Random& random) {
    int size = 1;
    while (size < std::max(width, height)) size *= 2;
    int n = size + 1;
    std::vector<double> grid(static_cast<std::size_t>(n) * n, 0.0);
    auto at = [&](int x, int y) -> double& { return grid[static_cast<std::size_t>(y) * n + x]; };
    at(0, 0) = random.next();
    at(size, 0) = random.next();
    at(0, size) = random.next();
    at(size, size) = random.next();
    double spread = 0.6;
    for (int step = size; step > 1; step /= 2, spread *= 0.55) {
        int half = step / 2;
        for (int y = half; y < n; y += step) {
            for (int x = half; x < n; x += step) {
                double mean = (at(x - half, y - half) + at(x + half, y - half) +
                               at(x - half, y + half) + at(x + half, y + half)) /
                              4;
                at(x, y) = mean + (random.next() - 0.5) * spread;
            }
        }
        for (int y = 0; y < n; y += half) {
            for (int x = (y / half) % 2 == 0 ? half : 0; x < n; x += step) {
                double sum = 0;
                int count = 0;
                if (x >= half) sum += at(x - half, y), ++count;
                if (x + half < n) sum += at(x + half, y), ++count;
                if (y >= half) sum += at(x, y - half), ++count;
                if (y + half < n) sum += at(x, y + half), ++count;
                at(x, y) = sum / count + (random.next() - 0.5) * spread;
            }
        }
    }
    std::vector<double> out(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) out[static_cast<std::size_t>(y) * width + x] = at(x, y);
    }
    return out;
}

std::uint8_t toByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::lround(value)), 0, 255));
}

}  // namespace

Image makePlasma(int width, int height, int channels, std::uint32_t seed) {
    Image image{width, height, channels, {}};
    image.pixels.resize(static_cast<std::size_t>(width) * height * channels);
    Random random{seed * 2654435761u + 1};
    for (int c = 0; c < channels; ++c) {
        std::vector<double> plane = plasmaChannel(width, height, random);
        for (std::size_t i = 0; i < plane.size(); ++i) {
            image.pixels[i * channels + c] = toByte(plane[i] * 255.0);
        }
    }
    return image;
}

Image makeTestCard(int width, int height, int channels) {
    Image image{width, height, channels, {}};
    image.pixels.resize(static_cast<std::size_t>(width) * height * channels);
    static const std::uint8_t bars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255},
                                            {0, 255, 0},     {255, 0, 255}, {255, 0, 0},
                                            {0, 0, 255},     {0, 0, 0}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t rgb[3];
            if (y < height / 2) {
                const std::uint8_t* bar = bars[(x * 8) / std::max(width, 1)];
                std::memcpy(rgb, bar, 3);
            } else if (x < width / 2) {
                std::uint8_t v = ((x / 3 + y / 3) & 1) ? 230 : 20;
                rgb[0] = rgb[1] = rgb[2] = v;
            } else {
                rgb[0] = static_cast<std::uint8_t>(x * 255 / std::max(width - 1, 1));
                rgb[1] = static_cast<std::uint8_t>(y * 255 / std::max(height - 1, 1));
                rgb[2] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.3 + y * 0.2));
            }
            std::uint8_t* pixel =
                image.pixels.data() + (static_cast<std::size_t>(y) * width + x) * channels;
            if (channels == 1) {
                pixel[0] =
                    static_cast<std::uint8_t>((rgb[0] * 77 + rgb[1] * 150 + rgb[2] * 29) >> 8);
            } else {
                for (int c = 0; c < channels; ++c) pixel[c] = rgb[c % 3];
            }
        }
    }
    return image;
}

bool writePnm(const std::string& path, const Image& image) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    std::fprintf(file, "P%c\n%d %d\n255\n", image.channels == 1 ? '5' : '6', image.width,
                 image.height);
    bool ok = std::fwrite(image.pixels.data(), 1, image.pixels.size(), file) == image.pixels.size();
    return std::fclose(file) == 0 && ok;
}

bool readPnm(const std::string& path, Image* image) {
    std::vector<std::uint8_t> bytes = readFile(path);
    std::size_t pos = 0;
    auto token = [&]() {
        while (pos < bytes.size() && std::isspace(bytes[pos])) ++pos;
        std::string text;
        while (pos < bytes.size() && !std::isspace(bytes[pos]))
            text += static_cast<char>(bytes[pos++]);
        return text;
    };
    std::string magic = token();
    if (magic != "P5" && magic != "P6") return false;
    image->channels = magic == "P5" ? 1 : 3;
    image->width = std::atoi(token().c_str());
    image->height = std::atoi(token().c_str());
    if (std::atoi(token().c_str()) != 255) return false;
    ++pos;
    std::size_t size = static_cast<std::size_t>(image->width) * image->height * image->channels;
    if (bytes.size() < pos + size) return false;
    image->pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                         bytes.begin() + static_cast<std::ptrdiff_t>(pos + size));
    return true;
}

std::vector<std::uint8_t> encodeJpeg(const Image& image, const EncodeOptions& options) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = image.channels;
    info.in_color_space = image.channels == 1   ? JCS_GRAYSCALE
                          : image.channels == 3 ? JCS_RGB
                          : options.cmyk        ? JCS_CMYK
                                                : JCS_UNKNOWN;
    jpeg_set_defaults(&info);
    if (image.channels == 2 || (image.channels == 4 && !options.cmyk)) {
        jpeg_set_colorspace(&info, JCS_UNKNOWN);
    }
    if (options.rgb) jpeg_set_colorspace(&info, JCS_RGB);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (image.channels == 3) {
        info.comp_info[0].h_samp_factor = options.lumaH;
        info.comp_info[0].v_samp_factor = options.lumaV;
        for (std::size_t c = 0; c < options.sampling.size() && c < 3; ++c) {
            info.comp_info[c].h_samp_factor = options.sampling[c].first;
            info.comp_info[c].v_samp_factor = options.sampling[c].second;
        }
    }
    info.optimize_coding = options.optimize ? TRUE : FALSE;
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    info.restart_in_rows = options.restartRows;
    if (options.progressive) jpeg_simple_progression(&info);
    std::vector<jpeg_scan_info> scans;
    for (const EncodeOptions::Scan& scan : options.scans) {
        jpeg_scan_info one{};
        one.comps_in_scan = static_cast<int>(scan.components.size());
        for (int i = 0; i < one.comps_in_scan; ++i) one.component_index[i] = scan.components[i];
        one.Ss = scan.ss;
        one.Se = scan.se;
        one.Ah = scan.ah;
        one.Al = scan.al;
        scans.push_back(one);
    }
    if (!scans.empty()) {
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    std::size_t stride = static_cast<std::size_t>(image.width) * image.channels;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.pixels.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

namespace {

int maxFactor(const Planes& planes, bool vertical) {
    int most = 1;
    for (const auto& [h, v] : planes.sampling) most = std::max(most, vertical ? v : h);
    return most;
}

}  // namespace

int Planes::planeWidth(int c) const {
    int most = maxFactor(*this, false);
    return (width * sampling[c].first + most - 1) / most;
}

int Planes::planeHeight(int c) const {
    int most = maxFactor(*this, true);
    return (height * sampling[c].second + most - 1) / most;
}

std::vector<std::uint8_t> encodeRawJpeg(const Planes& planes, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(planes.width);
    info.image_height = static_cast<JDIMENSION>(planes.height);
    info.input_components = 3;
    info.in_color_space = JCS_YCbCr;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.raw_data_in = TRUE;
    for (int c = 0; c < 3; ++c) {
        info.comp_info[c].h_samp_factor = planes.sampling[c].first;
        info.comp_info[c].v_samp_factor = planes.sampling[c].second;
    }
    jpeg_start_compress(&info, TRUE);
    const int rowsPerCall = info.max_v_samp_factor * DCTSIZE;
    std::vector<std::vector<JSAMPROW>> rows(3);
    for (int c = 0; c < 3; ++c) rows[c].resize(static_cast<std::size_t>(rowsPerCall));
    // Rows past a plane's end repeat its last row, as libjpeg's own padding does.
    std::vector<std::vector<std::uint8_t>> padded(3);
    for (int c = 0; c < 3; ++c) {
        int width = static_cast<int>(info.comp_info[c].width_in_blocks) * DCTSIZE;
        padded[c].assign(static_cast<std::size_t>(width), 0);
    }
    while (info.next_scanline < info.image_height) {
        JSAMPARRAY arrays[3];
        for (int c = 0; c < 3; ++c) {
            const int v = planes.sampling[c].second;
            const int width = planes.planeWidth(c);
            const int height = planes.planeHeight(c);
            const int first = static_cast<int>(info.next_scanline) * v / info.max_v_samp_factor;
            for (int r = 0; r < v * DCTSIZE; ++r) {
                std::vector<std::uint8_t>& row = padded[c];
                const int y = std::min(first + r, height - 1);
                for (std::size_t x = 0; x < row.size(); ++x) {
                    row[x] = planes.data[c][static_cast<std::size_t>(y) * width +
                                            std::min<std::size_t>(x, width - 1)];
                }
                rows[c][r] = static_cast<JSAMPROW>(std::malloc(row.size()));
                std::memcpy(rows[c][r], row.data(), row.size());
            }
            arrays[c] = rows[c].data();
        }
        jpeg_write_raw_data(&info, arrays, static_cast<JDIMENSION>(rowsPerCall));
        for (int c = 0; c < 3; ++c) {
            for (int r = 0; r < planes.sampling[c].second * DCTSIZE; ++r) std::free(rows[c][r]);
        }
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

Planes decodeRawJpeg(const std::vector<std::uint8_t>& bytes) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.raw_data_out = TRUE;
    info.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&info);
    Planes planes;
    planes.width = static_cast<int>(info.image_width);
    planes.height = static_cast<int>(info.image_height);
    for (int c = 0; c < 3; ++c) {
        planes.sampling.push_back(
            {info.comp_info[c].h_samp_factor, info.comp_info[c].v_samp_factor});
    }
    planes.data.resize(3);
    std::vector<std::vector<std::uint8_t>> rows(3);
    std::vector<std::vector<JSAMPROW>> pointers(3);
    for (int c = 0; c < 3; ++c) {
        int width = static_cast<int>(info.comp_info[c].width_in_blocks) * DCTSIZE;
        int count = planes.sampling[c].second * DCTSIZE;
        rows[c].resize(static_cast<std::size_t>(width) * count);
        for (int r = 0; r < count; ++r) pointers[c].push_back(rows[c].data() + r * width);
    }
    while (info.output_scanline < info.output_height) {
        int first = static_cast<int>(info.output_scanline);
        JSAMPARRAY arrays[3] = {pointers[0].data(), pointers[1].data(), pointers[2].data()};
        jpeg_read_raw_data(&info, arrays,
                           static_cast<JDIMENSION>(info.max_v_samp_factor * DCTSIZE));
        for (int c = 0; c < 3; ++c) {
            const int v = planes.sampling[c].second;
            const int width = planes.planeWidth(c);
            const int stride = static_cast<int>(info.comp_info[c].width_in_blocks) * DCTSIZE;
            const int top = first * v / info.max_v_samp_factor;
            for (int r = 0; r < v * DCTSIZE && top + r < planes.planeHeight(c); ++r) {
                planes.data[c].insert(planes.data[c].end(), rows[c].begin() + r * stride,
                                      rows[c].begin() + r * stride + width);
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return planes;
}

Decoded decodeAll(const std::vector<std::uint8_t>& bytes, bool fast, int chunk,
                  JpegKernels kernels) {
    Decoded result;
    MemoryByteSource source(bytes, chunk);
    JpegDecoder decoder(&source, fast, kernels);
    result.constructionCode = decoder.errorCode();
    result.width = decoder.width();
    result.height = decoder.height();
    result.beginResult = decoder.begin();
    if (result.beginResult == 0) {
        result.image.width = decoder.width();
        result.image.height = decoder.height();
        result.image.channels = decoder.bytesPerPixel() == 1 ? 1 : 3;
        const int channels = result.image.channels;
        for (;;) {
            const std::uint8_t* line = nullptr;
            int length = 0;
            int status = decoder.decodeLine(&line, &length);
            if (status != 0) {
                result.lastLineResult = status;
                break;
            }
            ++result.lines;
            for (int x = 0; x < decoder.width(); ++x) {
                for (int c = 0; c < channels; ++c) {
                    result.image.pixels.push_back(line[x * decoder.bytesPerPixel() + c]);
                }
            }
        }
    }
    result.errorCode = decoder.errorCode();
    return result;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace jpeg_test
