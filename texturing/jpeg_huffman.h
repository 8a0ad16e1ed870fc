#pragma once

#include <cstdint>

#include "texturing/jpeg_errors.h"

// One Huffman table slot: the code-length counts and symbols as defined by a
// DHT segment, plus lookup tables derived from them before a scan.
struct JpegHuffmanTable {
    static constexpr int kLookupBits = 9;

    std::uint8_t counts[17] = {};  // counts[1..16]: codes of each length
    std::uint8_t symbols[256] = {};
    int symbolCount = 0;

    // Codes of up to kLookupBits bits: (length << 8) | symbol; 0 for longer codes.
    std::uint16_t lookup[1 << kLookupBits] = {};
    // When a code and its extra bits fit in kLookupBits bits, (value << 16)
    // | (run << 8) | total length, with the symbol read as AC run and size;
    // 0 otherwise. The end of block (symbol 0) has run kEndOfBlockRun (past
    // any block), sixteen zeros run 15, both with value 0. DC tables use it
    // too: a DC size below 16 is run 0, size 0 the end-of-block entry.
    static constexpr int kEndOfBlockRun = 128;
    std::int32_t acLookup[1 << kLookupBits] = {};
    // The largest |value| in acLookup.
    int acLookupMagnitude = 0;
    // Canonical decoding of longer codes: largest code of each length (-1
    // when none) and the offset from a code to its symbol index.
    std::int32_t maxCode[18] = {};
    std::int32_t valueOffset[18] = {};
};

// A table as a DHT segment gives it: code-length counts and symbols.
struct JpegHuffmanSpec {
    std::uint8_t counts[17];  // counts[1..16]
    std::uint8_t symbols[162];
    int symbolCount;
};

// The default tables of ITU-T T.81 Annex K.3 for table slot 0 (DC
// luminance), 1 (DC chrominance), 4 (AC luminance) and 5 (AC chrominance);
// null for any other slot.
const JpegHuffmanSpec* jpegDefaultHuffmanTable(int slot);

// Builds the derived tables from counts and symbols. Codes that cannot exist
// (too many codes for their length) are never matched.
void buildHuffmanLookup(JpegHuffmanTable& table);

// Decodes a code longer than the lookup from the next 16 bits; stores its
// length. A bit pattern that is no code is corrupt data (-227).
int decodeLongHuffmanCode(const JpegHuffmanTable& table, std::uint32_t next16, int* length);

// The value of `bits` as an s-bit magnitude category (T.81 EXTEND).
inline int extendSigned(int bits, int size) {
    return bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits;
}

// Next symbol; the reader must hold at least 16 bits.
template <class Reader>
inline int decodeHuffman(Reader& reader, const JpegHuffmanTable& table) {
    int entry = table.lookup[reader.peek(JpegHuffmanTable::kLookupBits)];
    if (entry != 0) {
        reader.consume(entry >> 8);
        return entry & 0xFF;
    }
    int length = 0;
    int symbol = decodeLongHuffmanCode(table, reader.peek(16), &length);
    reader.consume(length);
    return symbol;
}

// The next DC difference (a size, then that many magnitude bits); the reader
// must hold at least 32 bits. Code and magnitude come from the combined
// lookup when they fit in it.
template <class Reader>
inline int decodeDcDifference(Reader& reader, const JpegHuffmanTable& table) {
    std::int32_t entry = table.acLookup[reader.peek(JpegHuffmanTable::kLookupBits)];
    int run = (entry >> 8) & 0xFF;
    if (entry != 0 && (run == 0 || run == JpegHuffmanTable::kEndOfBlockRun)) {
        reader.consume(entry & 0xFF);
        return entry >> 16;
    }
    int size = decodeHuffman(reader, table);
    if (size > 16) jpegFail(jpeg_error::kCorruptData);
    return size == 0 ? 0 : extendSigned(reader.take(size), size);
}
