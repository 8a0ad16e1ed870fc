#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "texturing/jpeg_input.h"

// Reads entropy-coded data most significant bit first. Stuffed FF 00 pairs
// give a data byte FF; any other FF xx is a marker: it is consumed, left in
// JpegInput::pendingMarker, and the reader delivers zero bits from there on.
// Bits are held MSB-aligned in a 64-bit word; bits below the valid ones are 0.
class JpegBitReader {
  public:
    void reset(JpegInput* input) {
        input_ = input;
        bits_ = 0;
        count_ = 0;
        markerHit_ = false;
    }

    std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }
    void consume(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    // n from 1 to 16; the caller has ensured the bits.
    int take(int n) {
        int value = static_cast<int>(bits_ >> (64 - n));
        consume(n);
        return value;
    }

  protected:
    template <class Reader>
    friend class JpegBitCursor;

    // One byte at a time through the input's byte reader.
    void fillBytewise() {
        while (count_ <= 56) {
            if (markerHit_) {
                count_ = 64;
                return;
            }
            int byte = input_->readByte();
            if (byte == 0xFF) {
                int next = input_->readByte();
                if (next != 0) {
                    markerHit_ = true;
                    input_->pendingMarker = next;
                    count_ = 64;
                    return;
                }
            }
            bits_ |= static_cast<std::uint64_t>(byte) << (56 - count_);
            count_ += 8;
        }
    }
    JpegInput* input_ = nullptr;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    bool markerHit_ = false;
};

// The plain reader: byte by byte. ensure32 leaves at least 32 valid bits.
class JpegPlainBitReader : public JpegBitReader {
  public:
    void ensure32() {
        if (count_ < 32) fillBytewise();
    }
    int takeChecked(int n) {
        if (count_ < n) fillBytewise();
        return take(n);
    }
};

// The alternative reader of the fast path: loads up to eight bytes at once
// straight from the input buffer when none of them is FF.
class JpegFastBitReader : public JpegBitReader {
  public:
    void ensure32() {
        if (count_ < 32) fillBulk();
    }
    int takeChecked(int n) {
        if (count_ < n) fillBulk();
        return take(n);
    }

    // Whether any of the eight bytes (as loaded from memory) is FF.
    static bool hasFF(std::uint64_t word) {
        std::uint64_t inverted = ~word;
        return ((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0;
    }
    // The first `bytes` (1 to 8) of the loaded word, most significant first,
    // at the top of a 64-bit word.
    static std::uint64_t fresh(std::uint64_t word, int bytes) {
        std::uint64_t ordered = __builtin_bswap64(word);
        return bytes == 8 ? ordered : ordered >> (64 - bytes * 8) << (64 - bytes * 8);
    }

  private:
    void fillBulk() {
        if (!markerHit_ && input_->available() >= 8) {
            std::uint64_t word;
            std::memcpy(&word, input_->cursor(), 8);
            if (!hasFF(word)) {
                int bytes = (64 - count_) >> 3;
                bits_ |= fresh(word, bytes) >> count_;
                count_ += bytes * 8;
                input_->advance(bytes);
                return;
            }
        }
        fillBytewise();
    }
};

// A reader's bit buffer held in locals while one block is decoded, so that
// the compiler can keep it in registers; flush() writes it back.
template <class Reader>
class JpegBitCursor {
  public:
    explicit JpegBitCursor(Reader& reader)
        : reader_(reader), bits_(reader.bits_), count_(reader.count_) {}

    void ensure32() {
        if (count_ < 32) refill();
    }
    std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }
    void consume(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    int take(int n) {
        int value = static_cast<int>(bits_ >> (64 - n));
        consume(n);
        return value;
    }
    int takeChecked(int n) {
        if (count_ < n) refill();
        return take(n);
    }
    void flush() {
        reader_.bits_ = bits_;
        reader_.count_ = count_;
    }

  private:
    [[gnu::always_inline]] void refill() {
        if constexpr (std::is_same_v<Reader, JpegFastBitReader>) {
            // The bulk load of the fast reader, on the local copy.
            if (!reader_.markerHit_ && reader_.input_->available() >= 8) {
                std::uint64_t word;
                std::memcpy(&word, reader_.input_->cursor(), 8);
                if (!JpegFastBitReader::hasFF(word)) {
                    int bytes = (64 - count_) >> 3;
                    bits_ |= JpegFastBitReader::fresh(word, bytes) >> count_;
                    count_ += bytes * 8;
                    reader_.input_->advance(bytes);
                    return;
                }
            }
        }
        State state = refillThroughReader(reader_, bits_, count_);
        bits_ = state.bits;
        count_ = state.count;
    }
    struct State {
        std::uint64_t bits;
        int count;
    };
    // Byte by byte, markers and the end of the data: out of the hot path.
    // The state goes in and out by value, so that the cursor's own copy is
    // never address-taken and stays in registers.
    [[gnu::noinline]] static State refillThroughReader(Reader& reader, std::uint64_t bits,
                                                       int count) {
        reader.bits_ = bits;
        reader.count_ = count;
        reader.ensure32();
        return {reader.bits_, reader.count_};
    }

    Reader& reader_;
    std::uint64_t bits_;
    int count_;
};
