// Header and marker segments: SOI search, marker loop, DHT, DQT, DRI, SOF, SOS.
#include <cstring>
#include <new>

#include "texturing/jpeg_decoder.h"
#include "texturing/jpeg_tables.h"

using namespace jpeg_error;

namespace {

constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;
constexpr int kDht = 0xC4;
constexpr int kDqt = 0xDB;
constexpr int kDri = 0xDD;
constexpr int kDac = 0xCC;
constexpr int kJpg = 0xC8;
constexpr int kTem = 0x01;
constexpr int kApp0 = 0xE0;
constexpr int kApp14 = 0xEE;

constexpr int kSoiSearchBytes = 511;
constexpr int kMaxDimension = 8192;

bool isArithmeticFrame(int marker) {
    return marker == 0xC9 || marker == 0xCA || marker == 0xCB || marker == 0xCD || marker == 0xCE ||
           marker == 0xCF;
}

}  // namespace

void JpegDecoder::readHeader() {
    findStartOfImage();
    int marker = processMarkers();
    readFrameHeader(marker);
}

void JpegDecoder::findStartOfImage() {
    int first = input_.readByte();
    int previous = input_.readByte();
    if (first == 0xFF && previous == kSoi) return;
    for (int i = 0; i < kSoiSearchBytes; ++i) {
        int byte = input_.readByte();
        if (previous == 0xFF && byte == kSoi) {
            // Found inside other data: the next marker must follow at once.
            if (input_.readByte() != 0xFF) jpegFail(kNoStartOfImage);
            input_.pendingMarker = 0xFF;
            return;
        }
        previous = byte;
    }
    jpegFail(kNoStartOfImage);
}

int JpegDecoder::nextMarker() {
    int byte = 0;
    bool afterFF = false;
    if (input_.pendingMarker >= 0) {
        byte = input_.pendingMarker;
        input_.pendingMarker = -1;
        if (byte != 0xFF && byte != 0) return byte;
        afterFF = byte == 0xFF;
    }
    for (;;) {
        if (!afterFF) {
            do byte = input_.readByte();
            while (byte != 0xFF);
        }
        afterFF = false;
        do byte = input_.readByte();
        while (byte == 0xFF);
        if (byte != 0) return byte;  // FF 00 is stuffing, not a marker
    }
}

int JpegDecoder::processMarkers(bool afterScan) {
    for (;;) {
        int marker = nextMarker();
        // Some encoders end a scan with one more restart marker; the next
        // marker after it is what counts.
        if (afterScan && marker >= 0xD0 && marker <= 0xD7) continue;
        switch (marker) {
            case kDht:
                readHuffmanTables();
                break;
            case kDqt:
                readQuantTables();
                break;
            case kDri:
                readRestartInterval();
                break;
            case kApp0:
            case kApp14:
                readApplicationSegment(marker);
                break;
            case kDac:
                jpegFail(kArithmetic);
            case kTem:
            case kJpg:
                jpegFail(kUnexpectedMarker);
            default:
                if (marker >= 0xD0 && marker <= 0xD7) jpegFail(kUnexpectedMarker);
                if ((marker >= 0xC0 && marker <= 0xCF) || marker == kSoi || marker == kEoi ||
                    marker == kSos) {
                    return marker;
                }
                skipSegment();
                break;
        }
    }
}

void JpegDecoder::skipSegment() {
    int length = input_.read16();
    if (length < 2) jpegFail(kSegmentLength);
    input_.skip(length - 2);
}

// APP0 "JFIF" and APP14 "Adobe" say how three components are coded; the rest
// of the segment, and every other application segment, is skipped.
void JpegDecoder::readApplicationSegment(int marker) {
    int length = input_.read16();
    if (length < 2) jpegFail(kSegmentLength);
    int remaining = length - 2;
    std::uint8_t head[14] = {};
    int wanted = marker == kApp0 ? 14 : 12;
    int got = remaining < wanted ? remaining : wanted;
    for (int i = 0; i < got; ++i) head[i] = input_.readByte();
    input_.skip(remaining - got);
    if (got < wanted) return;
    if (marker == kApp0 && std::memcmp(head, "JFIF", 5) == 0) {
        sawJfif_ = true;
    } else if (marker == kApp14 && std::memcmp(head, "Adobe", 5) == 0) {
        sawAdobe_ = true;
        adobeTransform_ = head[11];
    }
}

bool JpegDecoder::rgbComponents() const {
    if (componentCount_ != 3 || sawJfif_) return false;
    if (sawAdobe_) return adobeTransform_ == 0;
    return components_[0].id == 'R' && components_[1].id == 'G' && components_[2].id == 'B';
}

void JpegDecoder::readHuffmanTables() {
    int length = input_.read16();
    if (length < 2) jpegFail(kHuffmanLength);
    int remaining = length - 2;
    while (remaining > 0) {
        if (remaining < 17) jpegFail(kHuffmanLength);
        int classAndIndex = input_.readByte();
        std::uint8_t counts[17] = {};
        int total = 0;
        for (int i = 1; i <= 16; ++i) {
            counts[i] = input_.readByte();
            total += counts[i];
        }
        remaining -= 17;
        if (total > 255) jpegFail(kHuffmanCountsTooLarge);
        if (remaining < total) jpegFail(kHuffmanLength);
        int slot = (classAndIndex & 15) + 4 * ((classAndIndex >> 4) & 1);
        if (slot >= kHuffmanSlots) jpegFail(kHuffmanSlot);
        if (huffman_[slot] == nullptr) {
            void* memory = allocations_.allocate(sizeof(JpegHuffmanTable));
            huffman_[slot] = new (memory) JpegHuffmanTable();
        }
        JpegHuffmanTable& table = *huffman_[slot];
        std::memcpy(table.counts, counts, sizeof counts);
        std::memset(table.symbols, 0, sizeof table.symbols);
        for (int i = 0; i < total; ++i) table.symbols[i] = input_.readByte();
        table.symbolCount = total;
        remaining -= total;
    }
}

void JpegDecoder::readQuantTables() {
    int length = input_.read16();
    if (length < 2) jpegFail(kQuantLength);
    int remaining = length - 2;
    while (remaining > 0) {
        int precisionAndIndex = input_.readByte();
        int index = precisionAndIndex & 15;
        if (index >= 4) jpegFail(kQuantSlot);
        bool sixteenBit = (precisionAndIndex >> 4) != 0;
        int needed = 1 + 64 * (sixteenBit ? 2 : 1);
        if (remaining < needed) jpegFail(kQuantTooShort);
        for (int k = 0; k < 64; ++k) {
            std::int64_t entry = sixteenBit ? input_.read16() : input_.readByte();
            int natural = kJpegNaturalOrder[k];
            if (fastPath_) entry = (entry * kJpegFastQuantFactors[natural] + 2048) >> 12;
            quant_[index][natural] = static_cast<std::int32_t>(entry);
        }
        quantDefined_[index] = true;
        remaining -= needed;
    }
}

void JpegDecoder::readRestartInterval() {
    if (input_.read16() != 4) jpegFail(kRestartIntervalLength);
    restartInterval_ = input_.read16();
}

void JpegDecoder::readFrameHeader(int marker) {
    if (marker == 0xC0 || marker == 0xC1) {
        progressive_ = false;
    } else if (marker == 0xC2) {
        progressive_ = true;
    } else if (isArithmeticFrame(marker)) {
        jpegFail(kArithmetic);
    } else {
        jpegFail(kUnsupportedFrame);
    }
    int length = input_.read16();
    if (input_.readByte() != 8) jpegFail(kPrecision);
    int height = input_.read16();
    if (height < 1 || height > kMaxDimension) jpegFail(kHeight);
    int width = input_.read16();
    if (width < 1 || width > kMaxDimension) jpegFail(kWidth);
    int count = input_.readByte();
    if (count > kMaxComponents) jpegFail(kTooManyComponents);
    if (length != 8 + 3 * count) jpegFail(kFrameLength);
    height_ = height;
    width_ = width;
    componentCount_ = count;
    for (int i = 0; i < count; ++i) {
        Component& component = components_[i];
        component.id = input_.readByte();
        int sampling = input_.readByte();
        component.h = sampling >> 4;
        component.v = sampling & 15;
        component.quantTable = input_.readByte();
    }
}

void JpegDecoder::readScanHeader() {
    int length = input_.read16();
    int count = input_.readByte();
    if (count < 1 || count > kMaxComponents || length != 6 + 2 * count) jpegFail(kScanHeader);
    for (int i = 0; i < count; ++i) {
        int id = input_.readByte();
        int tables = input_.readByte();
        int found = -1;
        for (int c = 0; c < componentCount_ && found < 0; ++c) {
            if (components_[c].id == id) found = c;
        }
        if (found < 0) jpegFail(kScanComponent);
        scan_[i].component = found;
        scan_[i].dcSlot = tables >> 4;
        scan_[i].acSlot = 4 + (tables & 15);
    }
    scanCount_ = count;
    spectralStart_ = input_.readByte();
    spectralEnd_ = input_.readByte();
    int approximation = input_.readByte();
    approxHigh_ = approximation >> 4;
    approxLow_ = approximation & 15;
    if (!progressive_) {
        spectralStart_ = 0;
        spectralEnd_ = 63;
    }
}

// A table slot a scan needs: defined by the stream, or for slots 0 and 1 of
// either class, never defined and so the standard's default table.
void JpegDecoder::requireHuffmanTable(int slot) {
    if (slot >= kHuffmanSlots) jpegFail(kHuffmanUndefined);
    if (huffman_[slot] != nullptr) return;
    const JpegHuffmanSpec* spec = jpegDefaultHuffmanTable(slot);
    if (spec == nullptr) jpegFail(kHuffmanUndefined);
    void* memory = allocations_.allocate(sizeof(JpegHuffmanTable));
    JpegHuffmanTable& table = *new (memory) JpegHuffmanTable();
    std::memcpy(table.counts, spec->counts, sizeof table.counts);
    std::memcpy(table.symbols, spec->symbols, static_cast<std::size_t>(spec->symbolCount));
    table.symbolCount = spec->symbolCount;
    huffman_[slot] = &table;
}

void JpegDecoder::prepareScan() {
    if (progressive_) {
        bool spectralOk = spectralStart_ <= spectralEnd_ && spectralEnd_ <= 63 &&
                          (spectralStart_ != 0 || spectralEnd_ == 0) &&
                          (spectralStart_ == 0 || scanCount_ == 1);
        if (!spectralOk) jpegFail(kSpectralSelection);
        if (approxHigh_ != 0 && approxHigh_ != approxLow_ + 1) jpegFail(kSuccessiveApproximation);
    }
    for (int i = 0; i < scanCount_; ++i) {
        const Component& component = components_[scan_[i].component];
        if (component.quantTable >= 4 || !quantDefined_[component.quantTable]) {
            jpegFail(kQuantUndefined);
        }
        if (spectralStart_ == 0) {
            if (scan_[i].dcSlot >= 4) jpegFail(kHuffmanUndefined);  // DC tables are slots 0 to 3
            requireHuffmanTable(scan_[i].dcSlot);
        }
        if (spectralEnd_ > 0) requireHuffmanTable(scan_[i].acSlot);
    }
    for (int i = 0; i < scanCount_; ++i) {
        if (spectralStart_ == 0) buildHuffmanLookup(*huffman_[scan_[i].dcSlot]);
        if (spectralEnd_ > 0) buildHuffmanLookup(*huffman_[scan_[i].acSlot]);
    }
    for (int c = 0; c < componentCount_; ++c) components_[c].dcPredictor = 0;
    eobRun_ = 0;
    restartsLeft_ = restartInterval_;
    nextRestart_ = 0;
    plainReader_.reset(&input_);
    fastReader_.reset(&input_);
}
