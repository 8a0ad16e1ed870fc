// Public operations, failure handling, frame set-up and line output.
#include "texturing/jpeg_decoder.h"

#include <bit>
#include <cstring>

#include "texturing/jpeg_idct.h"

using namespace jpeg_error;

namespace {

constexpr int kMaxBlocksPerMcuRow = 6144;

int divideRoundingUp(int value, int divisor) {
    return (value + divisor - 1) / divisor;
}

}  // namespace

JpegDecoder::JpegDecoder(ByteSource* source, bool fastPath) : source_(source), fastPath_(fastPath) {
    try {
        if (source_ != nullptr) {
            source_->beginUse();
            sourceInUse_ = true;
        }
        input_.start(source_);
        plainReader_.reset(&input_);
        fastReader_.reset(&input_);
        readHeader();
    } catch (const JpegFailure& failure) {
        recordFailure(failure.code);
    }
}

JpegDecoder::~JpegDecoder() {
    releaseResources();
}

void JpegDecoder::recordFailure(int code) {
    if (errorCode_ == 0) errorCode_ = code;
    ready_ = false;
    releaseResources();
}

void JpegDecoder::releaseResources() {
    if (sourceInUse_) {
        sourceInUse_ = false;
        source_->endUse();
    }
    allocations_.releaseAll();
    for (JpegHuffmanTable*& table : huffman_) table = nullptr;
    for (Component& component : components_) {
        component.dcCoefficients = nullptr;
        component.acCoefficients = nullptr;
        component.samples = nullptr;
    }
    block_ = nullptr;
    lines_[0] = lines_[1] = nullptr;
}

int JpegDecoder::begin() {
    if (ready_) return 0;
    if (errorCode_ != 0) return -1;
    try {
        setUpFrame();
        if (progressive_) {
            decodeProgressiveScans();
        } else {
            startFirstScan();
        }
    } catch (const JpegFailure& failure) {
        recordFailure(failure.code);
        return -1;
    }
    ready_ = true;
    return 0;
}

void JpegDecoder::setUpFrame() {
    if (componentCount_ == 1) {
        // A single component is never interleaved: one block per MCU.
        components_[0].h = 1;
        components_[0].v = 1;
    } else if (componentCount_ == 3) {
        for (int c = 1; c < 3; ++c) {
            if (components_[c].h != 1 || components_[c].v != 1) jpegFail(kSampling);
        }
        int h = components_[0].h;
        int v = components_[0].v;
        if (h < 1 || h > 2 || v < 1 || v > 2) jpegFail(kSampling);
    } else {
        jpegFail(kComponentCount);
    }
    const int hMax = components_[0].h;
    const int vMax = components_[0].v;
    mcuWidth_ = 8 * hMax;
    mcuHeight_ = 8 * vMax;
    mcusPerRow_ = divideRoundingUp(width_, mcuWidth_);
    mcusPerColumn_ = divideRoundingUp(height_, mcuHeight_);
    int blocksPerMcu = 0;
    for (int c = 0; c < componentCount_; ++c) blocksPerMcu += components_[c].h * components_[c].v;
    if (blocksPerMcu * mcusPerRow_ > kMaxBlocksPerMcuRow) jpegFail(kBlockLimit);

    for (int c = 0; c < componentCount_; ++c) {
        Component& component = components_[c];
        component.blocksPerRow = mcusPerRow_ * component.h;
        component.blocksPerColumn = mcusPerColumn_ * component.v;
        component.blocksWide = divideRoundingUp(divideRoundingUp(width_ * component.h, hMax), 8);
        component.blocksHigh = divideRoundingUp(divideRoundingUp(height_ * component.v, vMax), 8);
        component.sampleStride = component.blocksPerRow * 8;
        component.samples = static_cast<std::uint8_t*>(allocations_.allocate(
            static_cast<std::size_t>(component.sampleStride) * 8 * component.v));
        if (progressive_) {
            std::size_t blocks = static_cast<std::size_t>(component.blocksPerRow) *
                                 static_cast<std::size_t>(component.blocksPerColumn);
            component.dcCoefficients =
                static_cast<std::int16_t*>(allocations_.allocate(blocks * sizeof(std::int16_t)));
            component.acCoefficients = static_cast<std::int16_t*>(
                allocations_.allocate(blocks * 64 * sizeof(std::int16_t)));
        }
    }
    block_ = static_cast<std::int16_t*>(allocations_.allocate(64 * sizeof(std::int16_t)));
    std::size_t lineBytes =
        static_cast<std::size_t>(divideRoundingUp(width_, 16) * 16) * bytesPerPixel() + 8;
    lines_[0] = static_cast<std::uint8_t*>(allocations_.allocate(lineBytes));
    lines_[1] = static_cast<std::uint8_t*>(allocations_.allocate(lineBytes));
    buildColourTables(colour_);
    linesLeft_ = height_;
    linesLeftInRow_ = 0;
    rowInMcu_ = 0;
    mcuRow_ = 0;
}

void JpegDecoder::reconstructBlock(const std::int16_t* block, const std::int32_t* quant,
                                   bool acPresent, std::uint8_t* out, int stride) {
    if (!fastPath_) {
        idctPlain(block, quant, out, stride);
    } else if (!acPresent) {
        idctFastDcOnly(block[0], out, stride);
    } else {
        idctFast(block, out, stride);
    }
}

int JpegDecoder::decodeLine(const std::uint8_t** line, int* length) {
    if (errorCode_ != 0 || !ready_) return -1;
    if (linesLeft_ <= 0) return 1;
    std::uint8_t* out = nullptr;
    try {
        if (linesLeftInRow_ == 0) {
            if (progressive_) {
                reconstructProgressiveRow();
            } else {
                decodeSequentialRow();
            }
            ++mcuRow_;
            linesLeftInRow_ = mcuHeight_;
            rowInMcu_ = 0;
            // After the last MCU row, read on to the next marker (the end of image).
            if (!progressive_ && linesLeft_ <= mcuHeight_) processMarkers();
        }
        if (mcuHeight_ == 16) {
            // Two-block-high MCUs give their lines in pairs, one per buffer.
            if ((rowInMcu_ & 1) == 0) convertLines(rowInMcu_, lines_[0], lines_[1]);
            out = lines_[rowInMcu_ & 1];
        } else {
            convertLines(rowInMcu_, lines_[0], nullptr);
            out = lines_[0];
        }
    } catch (const JpegFailure& failure) {
        recordFailure(failure.code);
        return kCorruptData;
    }
    if (line != nullptr) *line = out;
    if (length != nullptr) *length = width_ * bytesPerPixel();
    --linesLeft_;
    --linesLeftInRow_;
    ++rowInMcu_;
    return 0;
}

void JpegDecoder::convertLines(int rowInMcu, std::uint8_t* out, std::uint8_t* out2) {
    const Component& luma = components_[0];
    const std::uint8_t* y = luma.samples + static_cast<std::size_t>(rowInMcu) * luma.sampleStride;
    const std::uint8_t* y2 = out2 != nullptr ? y + luma.sampleStride : nullptr;
    if (componentCount_ == 1) {
        std::memcpy(out, y, static_cast<std::size_t>(width_));
        if (out2 != nullptr) std::memcpy(out2, y2, static_cast<std::size_t>(width_));
        return;
    }
    // Both lines of a pair share one chroma row.
    int chromaRow = rowInMcu / luma.v;
    const Component& cb = components_[1];
    const Component& cr = components_[2];
    const std::uint8_t* cbRow = cb.samples + static_cast<std::size_t>(chromaRow) * cb.sampleStride;
    const std::uint8_t* crRow = cr.samples + static_cast<std::size_t>(chromaRow) * cr.sampleStride;
    if (fastPath_ && std::endian::native == std::endian::little) {
        // Whole groups of 16 pixels: the sample rows are padded to the MCU
        // width and the line buffers to a multiple of 16 pixels.
        convertYCbCrLinesWide(y, y2, cbRow, crRow, width_, luma.h, out, out2);
    } else {
        convertYCbCrLine(colour_, y, cbRow, crRow, width_, luma.h, out);
        if (out2 != nullptr) convertYCbCrLine(colour_, y2, cbRow, crRow, width_, luma.h, out2);
    }
}
