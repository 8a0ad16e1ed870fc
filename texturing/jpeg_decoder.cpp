// Public operations, failure handling, frame set-up and line output.
#include "texturing/jpeg_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "texturing/jpeg_idct.h"
#include "texturing/jpeg_tables.h"

using namespace jpeg_error;

namespace {

constexpr int kMaxBlocksPerMcuRow = 6144;

int divideRoundingUp(int value, int divisor) {
    return (value + divisor - 1) / divisor;
}

}  // namespace

JpegDecoder::JpegDecoder(ByteSource* source, bool fastPath, JpegKernels kernels)
    : source_(source),
      fastPath_(fastPath),
      vectorKernels_(kernels == JpegKernels::kVector &&
                     std::endian::native == std::endian::little) {
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
        component.upsampled = nullptr;
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
            decodeBufferedScans(false);
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
        for (int c = 0; c < 3; ++c) {
            const Component& component = components_[c];
            if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4) {
                jpegFail(kSampling);
            }
        }
    } else {
        jpegFail(kComponentCount);
    }
    hMax_ = 1;
    vMax_ = 1;
    for (int c = 0; c < componentCount_; ++c) {
        hMax_ = std::max(hMax_, components_[c].h);
        vMax_ = std::max(vMax_, components_[c].v);
    }
    mcuWidth_ = 8 * hMax_;
    mcuHeight_ = 8 * vMax_;
    mcusPerRow_ = divideRoundingUp(width_, mcuWidth_);
    mcusPerColumn_ = divideRoundingUp(height_, mcuHeight_);
    int blocksPerMcu = 0;
    for (int c = 0; c < componentCount_; ++c) blocksPerMcu += components_[c].h * components_[c].v;
    if (blocksPerMcu * mcusPerRow_ > kMaxBlocksPerMcuRow) jpegFail(kBlockLimit);

    rgb_ = rgbComponents();
    // Full-size luma with both chroma components at full or half width (and
    // full, half or quarter height): the fused kernels convert straight from
    // the sample rows. Everything else is upsampled to full width first.
    const Component& luma = components_[0];
    const Component& cb = components_[1];
    const Component& cr = components_[2];
    fusedChroma_ = componentCount_ == 3 && !rgb_ && luma.h == hMax_ && luma.v == vMax_ &&
                   cb.h == cr.h && cb.v == cr.v && (hMax_ == cb.h || hMax_ == 2 * cb.h) &&
                   vMax_ % cb.v == 0;
    pairedLines_ = fusedChroma_ && vMax_ == 2 * cb.v;

    const std::size_t upsampledBytes = static_cast<std::size_t>(divideRoundingUp(width_, 32) * 32);
    for (int c = 0; c < componentCount_; ++c) {
        Component& component = components_[c];
        component.blocksPerRow = mcusPerRow_ * component.h;
        component.blocksPerColumn = mcusPerColumn_ * component.v;
        component.blocksWide = divideRoundingUp(divideRoundingUp(width_ * component.h, hMax_), 8);
        component.blocksHigh = divideRoundingUp(divideRoundingUp(height_ * component.v, vMax_), 8);
        component.sampleStride = component.blocksPerRow * 8;
        // The vector kernels read whole groups of up to 32 samples: a margin
        // after the last line keeps them inside the buffer.
        component.samples = static_cast<std::uint8_t*>(allocations_.allocate(
            static_cast<std::size_t>(component.sampleStride) * 8 * component.v + 32));
        bool fullSize = component.h == hMax_;
        if (!fullSize && !(fusedChroma_ && c > 0)) {
            component.upsampled = static_cast<std::uint8_t*>(allocations_.allocate(upsampledBytes));
        }
    }
    if (progressive_) allocateCoefficients();
    block_ = static_cast<std::int16_t*>(allocations_.allocate(64 * sizeof(std::int16_t)));
    std::size_t lineBytes =
        static_cast<std::size_t>(divideRoundingUp(width_, 32) * 32) * bytesPerPixel() + 8;
    lines_[0] = static_cast<std::uint8_t*>(allocations_.allocate(lineBytes));
    lines_[1] = static_cast<std::uint8_t*>(allocations_.allocate(lineBytes));
    buildColourTables(colour_);
    linesLeft_ = height_;
    linesLeftInRow_ = 0;
    rowInMcu_ = 0;
    mcuRow_ = 0;
}

void JpegDecoder::allocateCoefficients() {
    buffered_ = true;
    for (int c = 0; c < componentCount_; ++c) {
        Component& component = components_[c];
        std::size_t blocks = static_cast<std::size_t>(component.blocksPerRow) *
                             static_cast<std::size_t>(component.blocksPerColumn);
        component.dcCoefficients =
            static_cast<std::int16_t*>(allocations_.allocate(blocks * sizeof(std::int16_t)));
        component.acCoefficients =
            static_cast<std::int16_t*>(allocations_.allocate(blocks * 64 * sizeof(std::int16_t)));
    }
}

int JpegDecoder::decodeLine(const std::uint8_t** line, int* length) {
    if (errorCode_ != 0 || !ready_) return -1;
    if (linesLeft_ <= 0) return 1;
    const std::uint8_t* out = nullptr;
    try {
        out = nextLine();
    } catch (const JpegFailure& failure) {
        recordFailure(failure.code);
        return kCorruptData;
    }
    if (line != nullptr) *line = out;
    if (length != nullptr) *length = width_ * bytesPerPixel();
    return 0;
}

int JpegDecoder::decodeRows(std::uint8_t* out, std::ptrdiff_t stride, int count) {
    if (errorCode_ != 0 || !ready_) return -1;
    const std::size_t lineBytes = static_cast<std::size_t>(width_) * bytesPerPixel();
    int done = 0;
    try {
        while (done < count && linesLeft_ > 0) {
            std::uint8_t* row = out + done * stride;
            startRowIfNeeded();
            bool direct = componentCount_ == 1 || fusedChroma_;
            if (direct && pairedLines_) {
                // A pair is converted straight into the caller's rows when
                // both are wanted; otherwise through the line buffers.
                direct = (rowInMcu_ & 1) == 0 && done + 1 < count && linesLeftInRow_ >= 2 &&
                         linesLeft_ >= 2;
            }
            if (!direct) {
                std::memcpy(row, nextLine(), lineBytes);
                ++done;
                continue;
            }
            int lines = pairedLines_ ? 2 : 1;
            convertLinesInto(rowInMcu_, row, lines == 2 ? row + stride : nullptr);
            lineDone(lines);
            done += lines;
        }
    } catch (const JpegFailure& failure) {
        recordFailure(failure.code);
        // Lines already written are reported; the failure shows in the next call.
        return done > 0 ? done : kCorruptData;
    }
    return done;
}

void JpegDecoder::startRowIfNeeded() {
    if (linesLeftInRow_ != 0) return;
    if (buffered_) {
        reconstructBufferedRow();
    } else {
        decodeSequentialRow();
    }
    ++mcuRow_;
    linesLeftInRow_ = mcuHeight_;
    rowInMcu_ = 0;
    // After the last MCU row, read on to the next marker (the end of image).
    if (!buffered_ && linesLeft_ <= mcuHeight_) processMarkers(true);
}

const std::uint8_t* JpegDecoder::nextLine() {
    startRowIfNeeded();
    std::uint8_t* out = nullptr;
    if (pairedLines_) {
        // Two luma lines share a chroma line: converted in pairs, one per buffer.
        if ((rowInMcu_ & 1) == 0) convertLines(rowInMcu_, lines_[0], lines_[1]);
        out = lines_[rowInMcu_ & 1];
    } else {
        convertLines(rowInMcu_, lines_[0], nullptr);
        out = lines_[0];
    }
    lineDone(1);
    return out;
}

void JpegDecoder::lineDone(int lines) {
    linesLeft_ -= lines;
    linesLeftInRow_ -= lines;
    rowInMcu_ += lines;
}

JpegDecoder::FusedRows JpegDecoder::fusedRows(int rowInMcu, bool pair) const {
    const Component& luma = components_[0];
    const Component& cb = components_[1];
    const Component& cr = components_[2];
    const std::uint8_t* y = luma.samples + static_cast<std::size_t>(rowInMcu) * luma.sampleStride;
    const std::size_t chromaRow = static_cast<std::size_t>(rowInMcu * cb.v / vMax_);
    return {y, pair ? y + luma.sampleStride : nullptr, cb.samples + chromaRow * cb.sampleStride,
            cr.samples + chromaRow * cr.sampleStride, hMax_ / cb.h};
}

void JpegDecoder::convertLinesInto(int rowInMcu, std::uint8_t* out, std::uint8_t* out2) {
    if (componentCount_ == 1 || !vectorKernels_) {
        // These write exactly the line's bytes.
        convertLines(rowInMcu, out, out2);
        return;
    }
    // The vector kernels write whole groups of 32 pixels: those that fit go
    // straight to the caller's rows, the rest through the line buffers.
    const int whole = width_ & ~31;
    const FusedRows rows = fusedRows(rowInMcu, out2 != nullptr);
    if (whole > 0) {
        convertYCbCrLinesWide(rows.y, rows.y2, rows.cb, rows.cr, whole, rows.chromaStep, out, out2);
    }
    if (whole == width_) return;
    const int tail = width_ - whole;
    const int chromaSkip = whole / rows.chromaStep;
    convertYCbCrLinesWide(rows.y + whole, rows.y2 != nullptr ? rows.y2 + whole : nullptr,
                          rows.cb + chromaSkip, rows.cr + chromaSkip, tail, rows.chromaStep,
                          lines_[0], out2 != nullptr ? lines_[1] : nullptr);
    std::memcpy(out + whole * 4, lines_[0], static_cast<std::size_t>(tail) * 4);
    if (out2 != nullptr)
        std::memcpy(out2 + whole * 4, lines_[1], static_cast<std::size_t>(tail) * 4);
}

const std::uint8_t* JpegDecoder::fullWidthRow(int c, int rowInMcu) {
    Component& component = components_[c];
    // The component's line that covers this image line (replication).
    int row = rowInMcu * component.v / vMax_;
    const std::uint8_t* samples =
        component.samples + static_cast<std::size_t>(row) * component.sampleStride;
    if (component.upsampled == nullptr) return samples;
    if (vectorKernels_) {
        upsampleRowWide(samples, component.h, hMax_, width_, component.upsampled);
    } else {
        upsampleRow(samples, component.h, hMax_, width_, component.upsampled);
    }
    return component.upsampled;
}

void JpegDecoder::convertLines(int rowInMcu, std::uint8_t* out, std::uint8_t* out2) {
    if (componentCount_ == 1) {
        const Component& grey = components_[0];
        std::memcpy(out, grey.samples + static_cast<std::size_t>(rowInMcu) * grey.sampleStride,
                    static_cast<std::size_t>(width_));
        return;
    }
    if (fusedChroma_) {
        const FusedRows rows = fusedRows(rowInMcu, out2 != nullptr);
        if (vectorKernels_) {
            // Whole groups of 32 pixels: the sample rows have a margin and
            // the line buffers are padded to a multiple of 32 pixels.
            convertYCbCrLinesWide(rows.y, rows.y2, rows.cb, rows.cr, width_, rows.chromaStep, out,
                                  out2);
        } else {
            convertYCbCrLine(colour_, rows.y, rows.cb, rows.cr, width_, rows.chromaStep, out);
            if (out2 != nullptr) {
                convertYCbCrLine(colour_, rows.y2, rows.cb, rows.cr, width_, rows.chromaStep, out2);
            }
        }
        return;
    }
    const std::uint8_t* first = fullWidthRow(0, rowInMcu);
    const std::uint8_t* second = fullWidthRow(1, rowInMcu);
    const std::uint8_t* third = fullWidthRow(2, rowInMcu);
    if (rgb_) {
        if (vectorKernels_) {
            convertRgbLineWide(first, second, third, width_, out);
        } else {
            convertRgbLine(first, second, third, width_, out);
        }
    } else if (vectorKernels_) {
        convertYCbCrLinesWide(first, nullptr, second, third, width_, 1, out, nullptr);
    } else {
        convertYCbCrLine(colour_, first, second, third, width_, 1, out);
    }
}
