// Fuzzes the texture picture layout: arbitrary bytes as a colour file and an
// alpha file, decoded and combined as the loaders do (without GL).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "texturing/jpeg_decoder.h"
#include "texturing/texture_pictures.h"

namespace {

// Bytes from memory, with the byte source's read rules.
class MemorySource : public ByteSource {
  public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    int read(std::uint8_t* buffer, int wanted, bool* endFlag) override {
        if (atEnd_) {
            *endFlag = true;
            return 0;
        }
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(wanted), size_ - at_);
        std::memcpy(buffer, data_ + at_, n);
        at_ += n;
        if (n < static_cast<std::size_t>(wanted)) {
            atEnd_ = true;
            *endFlag = true;
        }
        return static_cast<int>(n);
    }
    void beginUse() override {}
    void endUse() override {}

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool atEnd_ = false;
};

// Keeps the fuzzer's memory in bounds: pictures of at most a megapixel.
bool smallEnough(const std::uint8_t* data, std::size_t size) {
    MemorySource source(data, size);
    JpegDecoder probe(&source, true);
    return probe.errorCode() != 0 ||
           static_cast<long long>(probe.width()) * probe.height() <= (1 << 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes say where the colour file ends and the alpha file
    // begins.
    const std::size_t split = std::min<std::size_t>(size - 2, (data[0] << 8) | data[1]);
    const std::uint8_t* colourData = data + 2;
    const std::uint8_t* alphaData = colourData + split;
    const std::size_t alphaSize = size - 2 - split;
    if (!smallEnough(colourData, split) || !smallEnough(alphaData, alphaSize)) return 0;

    MemorySource colourSource(colourData, split);
    RgbPicture colour;
    if (!decodeRgbPicture(colourSource, colour)) return 0;
    if (colour.rows.size() != static_cast<std::size_t>(colour.width) * colour.height * 3) {
        __builtin_trap();
    }
    MemorySource alphaSource(alphaData, alphaSize);
    std::vector<std::uint8_t> rgba;
    if (decodeRgbaPicture(alphaSource, colour, rgba)) {
        if (rgba.size() != static_cast<std::size_t>(colour.width) * colour.height * 4) {
            __builtin_trap();
        }
        for (int x = 0; x < colour.width * 4; ++x) {
            if (rgba[x] != 0) __builtin_trap();  // row 0 stays transparent black
        }
    }
    return 0;
}
