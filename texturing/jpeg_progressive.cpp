// Progressive scans (T.81 Annex G), and the scans of sequential images that
// send their components in several scans, into whole-image coefficient
// arrays; the reconstruction of MCU rows from them.
#include <bit>
#include <cstring>

#include "texturing/jpeg_decoder.h"
#include "texturing/jpeg_idct.h"
#include "texturing/jpeg_tables.h"
#include "texturing/jpeg_vector_primitives.h"

using namespace jpeg_error;

namespace {

// Bits 0 to n - 1 (n from 0 to 64).
inline std::uint64_t lowPositions(int n) {
    return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

}  // namespace

void JpegDecoder::decodeBufferedScans(bool firstScanRead) {
    if (firstScanRead) {
        prepareScan();
        decodeBufferedScan();
    }
    for (bool afterScan = firstScanRead;; afterScan = true) {
        int marker = processMarkers(afterScan);
        if (marker == 0xD9) break;
        if (marker != 0xDA) jpegFail(kUnexpectedMarker);
        readScanHeader();
        prepareScan();
        decodeBufferedScan();
    }
    // Reconstruction covers every component in frame order.
    scanCount_ = componentCount_;
    for (int c = 0; c < componentCount_; ++c) scan_[c].component = c;
}

void JpegDecoder::decodeBufferedScan() {
    if (fastPath_) {
        decodeBufferedScanWith(fastReader_);
    } else {
        decodeBufferedScanWith(plainReader_);
    }
}

template <class Reader>
void JpegDecoder::decodeBufferedScanWith(Reader& reader) {
    if (scanCount_ == 1) {
        // Non-interleaved: one block per MCU over the blocks holding samples.
        const Component& component = components_[scan_[0].component];
        for (int by = 0; by < component.blocksHigh; ++by) {
            for (int bx = 0; bx < component.blocksWide; ++bx) {
                if (restartInterval_ != 0) {
                    if (restartsLeft_ == 0) restartInterval(reader);
                    --restartsLeft_;
                }
                decodeBufferedBlock(reader, 0, bx, by);
            }
        }
        return;
    }
    for (int my = 0; my < mcusPerColumn_; ++my) {
        for (int mx = 0; mx < mcusPerRow_; ++mx) {
            if (restartInterval_ != 0) {
                if (restartsLeft_ == 0) restartInterval(reader);
                --restartsLeft_;
            }
            for (int s = 0; s < scanCount_; ++s) {
                const Component& component = components_[scan_[s].component];
                for (int by = 0; by < component.v; ++by) {
                    for (int bx = 0; bx < component.h; ++bx) {
                        decodeBufferedBlock(reader, s, mx * component.h + bx,
                                            my * component.v + by);
                    }
                }
            }
        }
    }
}

template <class Reader>
void JpegDecoder::decodeBufferedBlock(Reader& source, int scanIndex, int blockX, int blockY) {
    Component& component = components_[scan_[scanIndex].component];
    if (blockX < 0 || blockY < 0 || blockX >= component.blocksPerRow ||
        blockY >= component.blocksPerColumn) {
        jpegFail(kBlockLimit);
    }
    if (!progressive_) {
        decodeSequentialCoefficients(
            source, scanIndex, static_cast<std::size_t>(blockY) * component.blocksPerRow + blockX);
        return;
    }
    // A block inside an end-of-band run of a first AC scan holds no data.
    if (approxHigh_ == 0 && spectralStart_ != 0 && eobRun_ > 0) {
        --eobRun_;
        return;
    }
    std::size_t index = static_cast<std::size_t>(blockY) * component.blocksPerRow + blockX;
    JpegBitCursor<Reader> reader(source);
    const int low = approxLow_;

    if (spectralStart_ == 0) {
        std::int16_t& dc = component.dcCoefficients[index];
        reader.ensure32();
        if (approxHigh_ == 0) {
            // DC first scan: difference, predictor, scaled by 2^Al.
            int difference = decodeDcDifference(reader, *huffman_[scan_[scanIndex].dcSlot]);
            component.dcPredictor = static_cast<std::int16_t>(component.dcPredictor + difference);
            dc = static_cast<std::int16_t>(component.dcPredictor * (1 << low));
        } else if (reader.take(1) != 0) {
            // DC refinement: one more bit.
            dc = static_cast<std::int16_t>(dc | (1 << low));
        }
        reader.flush();
        return;
    }

    // AC coefficients are kept in zigzag order: a band is contiguous.
    std::int16_t* coefficients = component.acCoefficients + index * 64;
    const JpegHuffmanTable& table = *huffman_[scan_[scanIndex].acSlot];
    const int end = spectralEnd_;

    if (approxHigh_ == 0) {
        // AC first scan (blocks inside an end-of-band run returned above).
        for (int k = spectralStart_; k <= end; ++k) {
            reader.ensure32();
            std::int32_t entry = table.acLookup[reader.peek(JpegHuffmanTable::kLookupBits)];
            if (entry != 0) {
                // Code and magnitude bits inside the lookup window; value 0
                // is the end of this block's band or sixteen zeros.
                reader.consume(entry & 0xFF);
                int value = entry >> 16;
                k += (entry >> 8) & 0xFF;
                if (value == 0) {
                    if (k >= JpegHuffmanTable::kEndOfBlockRun) break;
                    continue;
                }
                if (k > 63) jpegFail(kCorruptData);
                coefficients[k] = static_cast<std::int16_t>(value * (1 << low));
                continue;
            }
            int symbol = decodeHuffman(reader, table);
            int run = symbol >> 4;
            int size = symbol & 15;
            if (size == 0) {
                if (run < 15) {
                    eobRun_ = 1 << run;
                    if (run != 0) eobRun_ += reader.take(run);
                    --eobRun_;
                    break;
                }
                k += 15;
                continue;
            }
            k += run;
            if (k > 63) jpegFail(kCorruptData);
            int value = extendSigned(reader.take(size), size);
            coefficients[k] = static_cast<std::int16_t>(value * (1 << low));
        }
        reader.flush();
        return;
    }

    // AC refinement scan. Bit j of `nonZero`: coefficient j of the band was
    // non-zero before (it gets a correction bit; runs count only the zeros).
    const int plus = 1 << low;
    const int minus = -plus;
    const std::uint64_t band = lowPositions(end + 1) & ~lowPositions(spectralStart_);
    std::uint64_t nonZero = jpegNonZeroPositions(coefficients) & band;
    // One correction bit for each coefficient at `positions`, in order: the
    // next 16 bits looked at once, as many consumed as were used, each
    // applied without a branch.
    auto refine = [&](std::uint64_t positions) __attribute__((always_inline)) {
        while (positions != 0) {
            reader.ensure32();
            std::uint32_t bits = reader.peek(16) << 16;
            int used = 0;
            do {
                std::int16_t& coefficient = coefficients[std::countr_zero(positions)];
                positions &= positions - 1;
                int apply = static_cast<int>(bits >> 31) & ((coefficient & plus) == 0);
                int step = coefficient >= 0 ? plus : minus;
                coefficient = static_cast<std::int16_t>(coefficient + (step & -apply));
                bits <<= 1;
                ++used;
            } while (positions != 0 && used < 16);
            reader.consume(used);
        }
    };
    int k = spectralStart_;
    if (eobRun_ == 0) {
        for (; k <= end; ++k) {
            reader.ensure32();
            int symbol = decodeHuffman(reader, table);
            int run = symbol >> 4;
            int size = symbol & 15;
            int value = 0;
            if (size != 0) {
                // A newly non-zero coefficient has magnitude 1 at this bit.
                value = reader.take(1) != 0 ? plus : minus;
            } else if (run != 15) {
                eobRun_ = 1 << run;
                if (run != 0) eobRun_ += reader.take(run);
                break;
            }
            // The symbol lands on the (run + 1)-th zero from k on (or past
            // the band); the non-zero coefficients passed get their bits.
            const std::uint64_t ahead = band & ~lowPositions(k);
            std::uint64_t zeros = ahead & ~nonZero;
            for (int i = 0; i < run && zeros != 0; ++i) zeros &= zeros - 1;
            int stop = zeros != 0 ? std::countr_zero(zeros) : end + 1;
            refine(ahead & nonZero & lowPositions(stop));
            k = stop;
            if (value != 0) {
                if (k > 63) jpegFail(kCorruptData);
                coefficients[k] = static_cast<std::int16_t>(value);
                nonZero |= (std::uint64_t{1} << k) & band;
            }
        }
    }
    if (eobRun_ > 0) {
        // Inside an end-of-band run only the non-zero coefficients get a bit.
        if (k <= end) refine(nonZero & ~lowPositions(k));
        --eobRun_;
    }
    reader.flush();
}

void JpegDecoder::reconstructBufferedRow() {
    static const std::int32_t kNoTable[64] = {};
    for (int c = 0; c < componentCount_; ++c) {
        Component& component = components_[c];
        // A component no scan named never needed its table: it stays flat.
        bool quantKnown = component.quantTable < 4 && quantDefined_[component.quantTable];
        const std::int32_t* quant = quantKnown ? quant_[component.quantTable] : kNoTable;
        std::int32_t zigzagQuant[64];
        for (int k = 0; k < 64; ++k) zigzagQuant[k] = quant[kJpegNaturalOrder[k]];
        for (int by = 0; by < component.v; ++by) {
            int blockY = mcuRow_ * component.v + by;
            for (int bx = 0; bx < component.blocksPerRow; ++bx) {
                std::size_t index = static_cast<std::size_t>(blockY) * component.blocksPerRow + bx;
                const std::int16_t* ac = component.acCoefficients + index * 64;
                std::uint64_t acPositions = 0;
                int dc = component.dcCoefficients[index];
                if (fastPath_) {
                    // Dequantised and transposed, as idctFast reads it.
                    block_[0] = dequantiseFast(dc, zigzagQuant[0]);
                    // Only the non-zero coefficients: most are zero. (Entry
                    // 0 of the AC array is never written.)
                    acPositions = jpegNonZeroPositions(ac) & ~std::uint64_t{1};
                    for (std::uint64_t left = acPositions; left != 0; left &= left - 1) {
                        int j = std::countr_zero(left);
                        block_[kJpegTransposedOrder[j]] = dequantiseFast(ac[j], zigzagQuant[j]);
                    }
                } else {
                    block_[0] = static_cast<std::int16_t>(dc);
                    for (int k = 1; k < 64; ++k) {
                        if (ac[k] != 0) {
                            block_[kJpegNaturalOrder[k]] = ac[k];
                            acPositions |= std::uint64_t{1} << k;
                        }
                    }
                }
                std::uint8_t* out = component.samples +
                                    static_cast<std::size_t>(by * 8) * component.sampleStride +
                                    bx * 8;
                reconstructBlock(block_, quant, acPositions, out, component.sampleStride);
            }
        }
    }
}
