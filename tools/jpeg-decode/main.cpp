// jpeg-decode [--no-fast] IN.jpg OUT.pnm
// Decodes a JPEG with the program's own decoder and writes a binary PPM
// (colour) or PGM (grey). On failure prints "error CODE" and exits 1.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "texturing/byte_source.h"
#include "texturing/jpeg_decoder.h"

namespace {

class StdioByteSource : public ByteSource {
  public:
    explicit StdioByteSource(std::FILE* file) : file_(file) {}
    int read(std::uint8_t* buffer, int wanted, bool* endFlag) override {
        std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(wanted), file_);
        if (std::ferror(file_)) return -1;
        if (got < static_cast<std::size_t>(wanted)) *endFlag = true;
        return static_cast<int>(got);
    }
    void beginUse() override {}
    void endUse() override {}

  private:
    std::FILE* file_;
};

int usage() {
    std::fprintf(stderr, "usage: jpeg-decode [--no-fast] IN.jpg OUT.pnm\n");
    return 2;
}

int failWith(int code) {
    std::printf("error %d\n", code);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    bool fast = true;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-fast") == 0) {
            fast = false;
        } else {
            paths.emplace_back(argv[i]);
        }
    }
    if (paths.size() != 2) return usage();

    std::FILE* in = std::fopen(paths[0].c_str(), "rb");
    if (in == nullptr) {
        std::perror(paths[0].c_str());
        return 1;
    }
    StdioByteSource source(in);
    JpegDecoder decoder(&source, fast);
    if (decoder.errorCode() != 0 || decoder.begin() != 0) {
        int code = decoder.errorCode();
        std::fclose(in);
        return failWith(code);
    }
    const int width = decoder.width();
    const int height = decoder.height();
    const bool grey = decoder.bytesPerPixel() == 1;
    const int channels = grey ? 1 : 3;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* line = nullptr;
        int length = 0;
        if (decoder.decodeLine(&line, &length) != 0) {
            std::fclose(in);
            return failWith(decoder.errorCode());
        }
        std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * width * channels;
        if (grey) {
            std::memcpy(row, line, static_cast<std::size_t>(width));
        } else {
            for (int x = 0; x < width; ++x) {
                row[3 * x] = line[4 * x];
                row[3 * x + 1] = line[4 * x + 1];
                row[3 * x + 2] = line[4 * x + 2];
            }
        }
    }
    std::fclose(in);

    std::FILE* out = std::fopen(paths[1].c_str(), "wb");
    if (out == nullptr) {
        std::perror(paths[1].c_str());
        return 1;
    }
    std::fprintf(out, "P%c\n%d %d\n255\n", grey ? '5' : '6', width, height);
    bool ok = std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    ok = std::fclose(out) == 0 && ok;
    if (!ok) {
        std::perror(paths[1].c_str());
        return 1;
    }
    return 0;
}
