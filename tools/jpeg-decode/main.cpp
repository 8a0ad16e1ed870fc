// jpeg-decode [--no-fast] [--no-simd] IN.jpg OUT.pnm
// Decodes a JPEG with the program's own decoder and writes a binary PPM
// (colour) or PGM (grey). On a decode failure prints "error CODE" and exits 1.
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "texturing/byte_source.h"
#include "texturing/jpeg_decoder.h"
#include "tools/command-line/command_line.h"
#include "tools/jpeg-decode/jpeg_to_pnm.h"

namespace {

const command_line::ToolHelp kHelp = {
    "jpeg-decode",
    "[--no-fast] [--no-simd] IN.jpg OUT.pnm",
    "Decode a JPEG file with Brontavik's own decoder into a PPM (colour) or PGM (grey) file.",
    "",
    "  --no-fast  turn the decoder's fast path (pre-scaled inverse DCT, fast bit reader) off\n"
    "  --no-simd  do the pixel work with the plain scalar code instead of the vector code\n"
    "             (the same picture, byte for byte)\n",
    " 0  the picture was written\n"
    " 1  it could not be read, decoded or written; a decode failure prints \"error CODE\" on\n"
    "    standard output, CODE being the decoder's negative error code\n"
    " 2  a command line it cannot use\n"};

class StdioByteSource : public ByteSource {
  public:
    explicit StdioByteSource(std::FILE* file) : file_(file) {}
    int read(std::uint8_t* buffer, int wanted, bool* endFlag) override {
        std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(wanted), file_);
        if (std::ferror(file_)) {
            readError_ = errno;
            return -1;
        }
        if (got < static_cast<std::size_t>(wanted)) *endFlag = true;
        return static_cast<int>(got);
    }
    void beginUse() override {}
    void endUse() override {}
    // The system's error number of a failed read, 0 when none failed.
    int readError() const { return readError_; }

  private:
    std::FILE* file_;
    int readError_ = 0;
};

void complain(const std::string& problem) {
    std::fprintf(stderr, "jpeg-decode: %s\n", problem.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = command_line::answerHelpOrVersion(argc, argv, kHelp)) return *answered;
    bool fast = true;
    JpegKernels kernels = JpegKernels::kVector;
    bool operandsOnly = false;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!operandsOnly && argument == "--") {
            operandsOnly = true;
        } else if (!operandsOnly && argument == "--no-fast") {
            fast = false;
        } else if (!operandsOnly && argument == "--no-simd") {
            kernels = JpegKernels::kScalar;
        } else if (!operandsOnly && command_line::isOption(argument)) {
            return command_line::badArguments(kHelp, "unknown option '" + argument + "'");
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() != 2) {
        return command_line::badArguments(kHelp, "expected IN.jpg and OUT.pnm, got " +
                                                     std::to_string(paths.size()) +
                                                     (paths.size() == 1 ? " file" : " files"));
    }

    std::FILE* in = std::fopen(paths[0].c_str(), "rb");
    if (in == nullptr) {
        complain("cannot open " + command_line::fileProblem(paths[0], errno));
        return 1;
    }
    StdioByteSource source(in);
    JpegDecoder decoder(&source, fast, kernels);
    std::vector<std::uint8_t> pnm;
    const int code = decodeToPnm(decoder, pnm);
    std::fclose(in);
    if (code != 0) {
        std::printf("error %d\n", code);
        if (source.readError() != 0)
            complain("cannot read " + command_line::fileProblem(paths[0], source.readError()));
        return 1;
    }

    std::FILE* out = std::fopen(paths[1].c_str(), "wb");
    if (out == nullptr) {
        complain("cannot write " + command_line::fileProblem(paths[1], errno));
        return 1;
    }
    bool ok = std::fwrite(pnm.data(), 1, pnm.size(), out) == pnm.size();
    int writeError = ok ? 0 : errno;
    if (std::fclose(out) != 0 && ok) {
        ok = false;
        writeError = errno;
    }
    if (!ok) {
        complain("cannot write " + command_line::fileProblem(paths[1], writeError));
        return 1;
    }
    return 0;
}
