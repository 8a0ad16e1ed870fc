#include "texturing/jpeg_huffman.h"

#include <cstring>

void buildHuffmanLookup(JpegHuffmanTable& table) {
    std::memset(table.lookup, 0, sizeof table.lookup);
    std::memset(table.acLookup, 0, sizeof table.acLookup);
    constexpr int kBits = JpegHuffmanTable::kLookupBits;

    int code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
        int count = table.counts[length];
        int limit = 1 << length;  // codes of this length are below this
        int usable = code + count <= limit ? count : (code < limit ? limit - code : 0);
        table.valueOffset[length] = index - code;
        table.maxCode[length] = usable > 0 ? code + usable - 1 : -1;
        if (length <= kBits) {
            for (int i = 0; i < usable; ++i) {
                int symbol = table.symbols[index + i];
                int first = (code + i) << (kBits - length);
                int span = 1 << (kBits - length);
                for (int j = 0; j < span; ++j) {
                    int slot = first + j;
                    table.lookup[slot] = static_cast<std::uint16_t>((length << 8) | symbol);
                    // AC run/size with the magnitude bits inside the lookup window.
                    int run = symbol >> 4;
                    int size = symbol & 15;
                    if (size != 0 && length + size <= kBits) {
                        int bits = (slot >> (kBits - length - size)) & ((1 << size) - 1);
                        int value = extendSigned(bits, size);
                        table.acLookup[slot] = static_cast<std::int32_t>(
                            static_cast<std::uint32_t>(value) << 16 |
                            static_cast<std::uint32_t>(run << 8 | (length + size)));
                    }
                }
            }
        }
        index += count;
        code = (code + count) << 1;
        if (code > (1 << 17)) code = 1 << 17;  // keeps an oversubscribed table bounded
    }
    table.maxCode[17] = 0x7fffffff;
    table.valueOffset[17] = 0;
}

int decodeLongHuffmanCode(const JpegHuffmanTable& table, std::uint32_t next16, int* length) {
    for (int bits = JpegHuffmanTable::kLookupBits + 1; bits <= 16; ++bits) {
        int code = static_cast<int>(next16 >> (16 - bits));
        if (code <= table.maxCode[bits]) {
            int index = code + table.valueOffset[bits];
            if (index < 0 || index >= table.symbolCount) break;
            *length = bits;
            return table.symbols[index];
        }
    }
    jpegFail(jpeg_error::kCorruptData);
}
