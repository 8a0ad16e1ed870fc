#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "texturing/byte_source.h"
#include "texturing/jpeg_allocation_table.h"
#include "texturing/jpeg_bit_reader.h"
#include "texturing/jpeg_colour.h"
#include "texturing/jpeg_errors.h"
#include "texturing/jpeg_huffman.h"
#include "texturing/jpeg_idct.h"
#include "texturing/jpeg_input.h"
#include "texturing/jpeg_tables.h"

// Decodes a JPEG (JFIF) stream, baseline, extended sequential with 8-bit
// samples or progressive, Huffman-coded, with 1 or 3 components, into image
// lines, top line first. Every failure is a negative code in errorCode();
// after a failure the decoder is inert and holds no memory.
//
// Lines: 1 byte per pixel (luminance) for one component, 4 bytes per pixel
// (R, G, B, 0) for three. Use: construct, check errorCode(), read width() and
// height(), begin(), then decodeLine() once per line, or decodeRows() to
// have the lines written straight into the caller's buffer.
//
// Three components are YCbCr unless the stream says they are RGB already
// (an Adobe marker with transform 0 and no JFIF marker, or components named
// 'R', 'G', 'B' with neither marker). Sampling factors 1 to 4 per direction
// and component; a component sampled more coarsely than the finest one is
// upsampled by replication. Components may come in
// one interleaved scan or in several scans; missing Huffman tables 0 and 1
// are the standard's default tables (Annex K), as Motion-JPEG frames expect.
// Like libjpeg, the search for a restart marker passes over stray bytes and
// unused marker codes, and a restart marker left after a scan's last MCU is
// ignored; a restart marker with the wrong number still fails (-228).
//
// Not decoded, with the error each gives (the first frame marker decides):
//   arithmetic coding: SOF9 to SOF11, SOF13 to SOF15, or a DAC   -215
//     segment (so arithmetic lossless and hierarchical frames too)
//   Huffman lossless (SOF3) and hierarchical (SOF5 to SOF7)      -218
//   sample precision other than 8 bits (12-bit, 16-bit)          -205
//   component counts other than 1 and 3 (CMYK, YCCK, 2):         -225, from begin()
//   more than 4 components                                       -208
// Which code does the pixel work (inverse DCT of the fast path, upsampling,
// colour conversion): vector code (SSE2, AVX2 where the processor has it,
// WebAssembly SIMD) or the plain scalar code it is checked against. Both give
// the same bytes.
enum class JpegKernels { kVector, kScalar };

class JpegDecoder {
  public:
    // Reads the header up to and including the frame header. With `fastPath`
    // the quantisation tables are pre-scaled for a scaled integer inverse DCT
    // and the entropy-coded data is read through the bulk bit reader.
    JpegDecoder(ByteSource* source, bool fastPath, JpegKernels kernels = JpegKernels::kVector);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    int errorCode() const { return errorCode_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int componentCount() const { return componentCount_; }
    bool progressive() const { return progressive_; }
    // Whether three components are already R, G, B (known after construction).
    bool rgbComponents() const;
    int bytesPerPixel() const { return componentCount_ == 1 ? 1 : 4; }
    std::uint64_t bytesRead() const { return input_.bytesRead(); }

    // Sets up the frame; decodes all scans of a progressive image. 0 on
    // success (also when already begun), -1 on failure.
    int begin();
    // 0 with the next line (valid until the next call) and its length in
    // bytes; 1 when every line has been delivered; -1 when failed earlier or
    // not begun; -227 when decoding fails now (errorCode() tells why).
    int decodeLine(const std::uint8_t** line, int* length);
    // Decodes up to `count` next lines straight into the caller's rows, `out`
    // and then `stride` bytes apart, each exactly width() * bytesPerPixel()
    // bytes (nothing past them is touched). Returns the number of lines
    // written (0 when every line has been delivered), -1 when failed earlier
    // or not begun, -227 when decoding fails before any line of this call;
    // a failure after some lines returns those and shows in the next call.
    // Lines from decodeLine and decodeRows may be mixed.
    int decodeRows(std::uint8_t* out, std::ptrdiff_t stride, int count);

  private:
    static constexpr int kMaxComponents = 4;
    static constexpr int kHuffmanSlots = 8;

    struct Component {
        int id = 0;
        int h = 0;
        int v = 0;
        int quantTable = 0;
        int blocksPerRow = 0;  // blocks in the MCU grid
        int blocksPerColumn = 0;
        int blocksWide = 0;  // blocks that hold image samples
        int blocksHigh = 0;
        std::int16_t* dcCoefficients = nullptr;  // progressive: one per block
        std::int16_t* acCoefficients = nullptr;  // progressive: 64 per block
        std::uint8_t* samples = nullptr;         // one MCU row
        int sampleStride = 0;
        int dcPredictor = 0;
        std::uint8_t* upsampled = nullptr;  // one line at full width, when needed
    };
    struct ScanComponent {
        int component = 0;
        int dcSlot = 0;
        int acSlot = 0;
    };

    // Header and markers.
    void readHeader();
    void findStartOfImage();
    int nextMarker();
    // Handles table and application segments up to the next frame, scan or
    // end marker. `afterScan`: restart markers left behind by a scan's
    // entropy-coded data are passed over.
    int processMarkers(bool afterScan = false);
    void readApplicationSegment(int marker);
    void readHuffmanTables();
    void readQuantTables();
    void readRestartInterval();
    void skipSegment();
    void readFrameHeader(int marker);
    void readScanHeader();
    void requireHuffmanTable(int slot);
    void prepareScan();

    // Frame set-up and reconstruction.
    void setUpFrame();
    void allocateCoefficients();
    // Inverse DCT of `block` into 8 x 8 samples; leaves the block all zero.
    // `acPositions`: bit k set for each zigzag position k > 0 that may be
    // non-zero (0 for a block of DC only).
    void reconstructBlock(std::int16_t* block, const std::int32_t* quant, std::uint64_t acPositions,
                          std::uint8_t* out, int stride);
    // Converts line rowInMcu of the MCU row into out, and the next one into
    // out2 unless it is null.
    void convertLines(int rowInMcu, std::uint8_t* out, std::uint8_t* out2);
    // The luma line(s) and chroma lines of the fused YCbCr kernels for line
    // rowInMcu (y2 the next luma line when `pair`), and the chroma step.
    struct FusedRows {
        const std::uint8_t* y;
        const std::uint8_t* y2;
        const std::uint8_t* cb;
        const std::uint8_t* cr;
        int chromaStep;
    };
    FusedRows fusedRows(int rowInMcu, bool pair) const;
    // The same for the caller's rows: writes exactly the line's bytes.
    void convertLinesInto(int rowInMcu, std::uint8_t* out, std::uint8_t* out2);
    // Decodes the next MCU row when the current one has been delivered.
    void startRowIfNeeded();
    // The next line, converted into the line buffers.
    const std::uint8_t* nextLine();
    void lineDone(int lines);
    // Component c's samples for line rowInMcu at full width.
    const std::uint8_t* fullWidthRow(int c, int rowInMcu);

    // Sequential scans.
    void startFirstScan();
    void decodeSequentialRow();
    template <bool Fast, class Reader>
    void decodeSequentialRowWith(Reader& reader);
    template <class Reader>
    void restartInterval(Reader& reader);
    void readRestartMarker();
    // One block of a sequential scan into the whole-image coefficient arrays.
    template <class Reader>
    void decodeSequentialCoefficients(Reader& reader, int scanIndex, std::size_t blockIndex);

    // Progressive scans, and sequential images whose components come in
    // several scans: all scans into whole-image coefficient arrays.
    void decodeBufferedScans(bool firstScanRead);
    void decodeBufferedScan();
    template <class Reader>
    void decodeBufferedScanWith(Reader& reader);
    template <class Reader>
    void decodeBufferedBlock(Reader& reader, int scanIndex, int blockX, int blockY);
    void reconstructBufferedRow();

    void recordFailure(int code);
    void releaseResources();

    ByteSource* source_ = nullptr;
    bool fastPath_ = false;
    bool vectorKernels_ = true;
    bool sourceInUse_ = false;
    int errorCode_ = 0;
    bool ready_ = false;

    JpegAllocationTable allocations_;
    JpegInput input_;
    JpegPlainBitReader plainReader_;
    JpegFastBitReader fastReader_;

    // Frame.
    int width_ = 0;
    int height_ = 0;
    int componentCount_ = 0;
    bool progressive_ = false;
    bool buffered_ = false;  // whole-image coefficients: progressive or several scans
    Component components_[kMaxComponents];
    // What the application segments said about the colour components.
    bool sawJfif_ = false;
    bool sawAdobe_ = false;
    int adobeTransform_ = 0;
    bool rgb_ = false;

    // Tables.
    JpegHuffmanTable* huffman_[kHuffmanSlots] = {};
    std::int32_t quant_[4][64] = {};  // natural order; pre-scaled on the fast path
    bool quantDefined_[4] = {};

    // Scan.
    int scanCount_ = 0;
    ScanComponent scan_[kMaxComponents];
    int spectralStart_ = 0;
    int spectralEnd_ = 63;
    int approxHigh_ = 0;
    int approxLow_ = 0;
    int restartInterval_ = 0;
    int restartsLeft_ = 0;
    int nextRestart_ = 0;
    int eobRun_ = 0;

    // Geometry.
    int hMax_ = 1;
    int vMax_ = 1;
    // Chroma at half width or full width beside full-size luma, converted by
    // the fused YCbCr kernels; `pairedLines_`: two luma lines per chroma line.
    bool fusedChroma_ = false;
    bool pairedLines_ = false;
    int mcuWidth_ = 8;
    int mcuHeight_ = 8;
    int mcusPerRow_ = 0;
    int mcusPerColumn_ = 0;
    int linesLeft_ = 0;
    int linesLeftInRow_ = 0;
    int rowInMcu_ = 0;
    int mcuRow_ = 0;

    // Buffers.
    // Coefficients of the block being decoded.
    std::int16_t* block_ = nullptr;
    std::uint8_t* lines_[2] = {};
    JpegColourTables colour_ = {};
};

// Inline: it runs once per block, next to the entropy decoding.
inline void JpegDecoder::reconstructBlock(std::int16_t* block, const std::int32_t* quant,
                                          std::uint64_t acPositions, std::uint8_t* out,
                                          int stride) {
    if (!fastPath_) {
        idctPlain(block, quant, out, stride);
    } else if (acPositions == 0) {
        idctFastDcOnly(block[0], out, stride);
    } else if (vectorKernels_) {
        idctFast(block, out, stride, (acPositions & ~kJpegLowZigzagPositions) == 0);
        return;  // the transforms of the fast path leave the block clear
    } else {
        idctFastScalar(block, out, stride);
        return;
    }
    // Cleared for the next block while it is at hand.
    if (acPositions != 0) {
        std::memset(block, 0, 64 * sizeof(std::int16_t));
    } else {
        block[0] = 0;
    }
}
