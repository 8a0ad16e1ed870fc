// Sequential (baseline and extended) scans: one MCU row at a time, with
// restart intervals.
#include <cstring>

#include "texturing/jpeg_decoder.h"
#include "texturing/jpeg_idct.h"
#include "texturing/jpeg_tables.h"

using namespace jpeg_error;

namespace {

// Where decodeSequentialBlock puts a coefficient: natural order (the plain
// path), dequantised and transposed for idctFast (the fast path), or zigzag
// order as decoded (whole-image coefficient arrays).
// kFastNarrow is kFastTransposed for quantisation tables whose pre-scaled
// entries stay below 2^22 (every 8-bit table): the small values the lookup
// decodes (|value| < 256) are then dequantised in 32-bit arithmetic.
// kFastSmall is kFastNarrow where no value the lookup decodes can leave
// int16 once dequantised, so it needs no saturation.
enum class Store { kNatural, kFastTransposed, kFastNarrow, kFastSmall, kZigzag };

constexpr std::int32_t kNarrowQuantLimit = 1 << 22;
// |value| * entry at most this: (value * entry + 256) >> 9 stays in int16.
constexpr std::int64_t kSmallProductLimit = (std::int64_t{1} << 24) - 512;

// Decodes one block's DC difference and AC coefficients (T.81 Annex F) into
// `block` (zeroed), with the quantisation table in zigzag order for
// kFastTransposed. Returns the zigzag positions of the AC coefficients it
// stored, as bits (0 when none).
template <Store Layout, class Reader>
inline std::uint64_t decodeSequentialBlock(Reader& source, const JpegHuffmanTable& dcTable,
                                           const JpegHuffmanTable& acTable,
                                           const std::int32_t* zigzagQuant, int& predictor,
                                           std::int16_t* block) {
    auto store = [&](int k, int value) {
        if constexpr (Layout == Store::kFastTransposed || Layout == Store::kFastNarrow ||
                      Layout == Store::kFastSmall) {
            block[kJpegTransposedOrder[k]] = dequantiseFast(value, zigzagQuant[k]);
        } else if constexpr (Layout == Store::kNatural) {
            block[kJpegNaturalOrder[k]] = static_cast<std::int16_t>(value);
        } else {
            block[k] = static_cast<std::int16_t>(value);
        }
    };
    JpegBitCursor<Reader> reader(source);
    reader.ensure32();
    predictor = static_cast<std::int16_t>(predictor + decodeDcDifference(reader, dcTable));
    store(0, predictor);

    std::uint64_t stored = 0;
    int k = 1;
    while (k < 64) {
        reader.ensure32();
        std::int32_t entry = acTable.acLookup[reader.peek(JpegHuffmanTable::kLookupBits)];
        if (entry != 0) {
            // Code and magnitude bits both inside the lookup window, or the
            // end of block (a run past the block) or sixteen zeros.
            reader.consume(entry & 0xFF);
            k += (entry >> 8) & 0xFF;
            if (k > 63) {
                if (k >= JpegHuffmanTable::kEndOfBlockRun) break;
                jpegFail(kCorruptData);
            }
            if constexpr (Layout == Store::kFastSmall) {
                block[kJpegTransposedOrder[k]] =
                    static_cast<std::int16_t>(((entry >> 16) * zigzagQuant[k] + 256) >> 9);
            } else if constexpr (Layout == Store::kFastNarrow) {
                // Equal to dequantiseFast: the product stays inside 31 bits.
                int value = ((entry >> 16) * zigzagQuant[k] + 256) >> 9;
                if (static_cast<unsigned>(value + 32768) > 65535u) [[unlikely]] {
                    value = value < 0 ? -32768 : 32767;
                }
                block[kJpegTransposedOrder[k]] = static_cast<std::int16_t>(value);
            } else {
                store(k, entry >> 16);
            }
            stored |= std::uint64_t{1} << k;
            ++k;
            continue;
        }
        int symbol = decodeHuffman(reader, acTable);
        int run = symbol >> 4;
        int bits = symbol & 15;
        if (bits == 0) {
            if (run != 15) break;  // end of block
            k += 16;
            if (k > 64) jpegFail(kCorruptData);
            continue;
        }
        k += run;
        if (k > 63) jpegFail(kCorruptData);
        store(k, extendSigned(reader.take(bits), bits));
        stored |= std::uint64_t{1} << k;
        ++k;
    }
    reader.flush();
    return stored;
}

}  // namespace

void JpegDecoder::startFirstScan() {
    int marker = processMarkers();
    if (marker != 0xDA) jpegFail(kUnexpectedMarker);
    readScanHeader();
    bool seen[kMaxComponents] = {};
    for (int i = 0; i < scanCount_; ++i) seen[scan_[i].component] = true;
    bool all = scanCount_ == componentCount_;
    for (int c = 0; c < componentCount_; ++c) all = all && seen[c];
    if (all) {
        // One scan with every component: decoded one MCU row at a time.
        prepareScan();
        return;
    }
    // The components come in several scans: all of them are read now.
    allocateCoefficients();
    decodeBufferedScans(true);
}

void JpegDecoder::decodeSequentialRow() {
    if (fastPath_) {
        decodeSequentialRowWith<true>(fastReader_);
    } else {
        decodeSequentialRowWith<false>(plainReader_);
    }
}

template <class Reader>
void JpegDecoder::decodeSequentialCoefficients(Reader& reader, int scanIndex,
                                               std::size_t blockIndex) {
    Component& component = components_[scan_[scanIndex].component];
    // Each block is sent once, into arrays that start out zero.
    std::int16_t* coefficients = component.acCoefficients + blockIndex * 64;
    decodeSequentialBlock<Store::kZigzag>(reader, *huffman_[scan_[scanIndex].dcSlot],
                                          *huffman_[scan_[scanIndex].acSlot], nullptr,
                                          component.dcPredictor, coefficients);
    component.dcCoefficients[blockIndex] = coefficients[0];
    coefficients[0] = 0;
}

template <bool Fast, class Reader>
void JpegDecoder::decodeSequentialRowWith(Reader& reader) {
    std::int32_t zigzagQuant[kMaxComponents][64];
    bool narrow = true;
    bool small = true;
    for (int s = 0; s < scanCount_; ++s) {
        const std::int32_t* quant = quant_[components_[scan_[s].component].quantTable];
        std::int64_t magnitude = huffman_[scan_[s].acSlot]->acLookupMagnitude;
        for (int k = 0; k < 64; ++k) {
            zigzagQuant[s][k] = quant[kJpegNaturalOrder[k]];
            narrow = narrow && zigzagQuant[s][k] >= 0 && zigzagQuant[s][k] < kNarrowQuantLimit;
            small = small && magnitude * zigzagQuant[s][k] <= kSmallProductLimit;
        }
    }
    small = small && narrow;
    for (int mcu = 0; mcu < mcusPerRow_; ++mcu) {
        if (restartInterval_ != 0) {
            if (restartsLeft_ == 0) restartInterval(reader);
            --restartsLeft_;
        }
        for (int s = 0; s < scanCount_; ++s) {
            Component& component = components_[scan_[s].component];
            const JpegHuffmanTable& dcTable = *huffman_[scan_[s].dcSlot];
            const JpegHuffmanTable& acTable = *huffman_[scan_[s].acSlot];
            const std::int32_t* quant = quant_[component.quantTable];
            for (int by = 0; by < component.v; ++by) {
                for (int bx = 0; bx < component.h; ++bx) {
                    std::uint64_t stored = 0;
                    if constexpr (!Fast) {
                        stored = decodeSequentialBlock<Store::kNatural>(
                            reader, dcTable, acTable, nullptr, component.dcPredictor, block_);
                    } else if (small) {
                        stored = decodeSequentialBlock<Store::kFastSmall>(
                            reader, dcTable, acTable, zigzagQuant[s], component.dcPredictor,
                            block_);
                    } else if (narrow) {
                        stored = decodeSequentialBlock<Store::kFastNarrow>(
                            reader, dcTable, acTable, zigzagQuant[s], component.dcPredictor,
                            block_);
                    } else {
                        stored = decodeSequentialBlock<Store::kFastTransposed>(
                            reader, dcTable, acTable, zigzagQuant[s], component.dcPredictor,
                            block_);
                    }
                    std::uint8_t* out = component.samples +
                                        static_cast<std::size_t>(by * 8) * component.sampleStride +
                                        (mcu * component.h + bx) * 8;
                    reconstructBlock(block_, quant, stored, out, component.sampleStride);
                }
            }
        }
    }
}

template void JpegDecoder::decodeSequentialCoefficients(JpegPlainBitReader&, int, std::size_t);
template void JpegDecoder::decodeSequentialCoefficients(JpegFastBitReader&, int, std::size_t);

template <class Reader>
void JpegDecoder::restartInterval(Reader& reader) {
    readRestartMarker();
    reader.reset(&input_);
    for (int c = 0; c < componentCount_; ++c) components_[c].dcPredictor = 0;
    eobRun_ = 0;
    restartsLeft_ = restartInterval_;
}

template void JpegDecoder::restartInterval(JpegPlainBitReader&);
template void JpegDecoder::restartInterval(JpegFastBitReader&);

// Finds the restart marker that ends an interval. Like libjpeg, bytes before
// it that are no marker (stray data, FF 00 pairs, fill bytes) and codes no
// frame uses (below C0: TEM and the reserved ones) are passed over. Any other
// marker, or a restart marker with another number, fails.
void JpegDecoder::readRestartMarker() {
    int byte = input_.pendingMarker;
    input_.pendingMarker = -1;
    for (;;) {
        if (byte < 0 || byte == 0) {
            do byte = input_.readByte();
            while (byte != 0xFF);
            byte = input_.readByte();
        }
        while (byte == 0xFF) byte = input_.readByte();
        if (byte != 0 && byte >= 0xC0) break;
        byte = -1;
    }
    if (byte != 0xD0 + nextRestart_) jpegFail(kRestartMarker);
    nextRestart_ = (nextRestart_ + 1) & 7;
}
