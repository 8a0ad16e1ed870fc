#pragma once

// Negative result codes of the JPEG decoder and the internal failure that
// carries one of them back to the public operation that was running.
namespace jpeg_error {

constexpr int kHuffmanCountsTooLarge = -200;
constexpr int kHuffmanSlot = -201;
constexpr int kHuffmanLength = -202;
constexpr int kQuantLength = -203;
constexpr int kQuantSlot = -204;
constexpr int kPrecision = -205;
constexpr int kHeight = -206;
constexpr int kWidth = -207;
constexpr int kTooManyComponents = -208;
constexpr int kFrameLength = -209;
constexpr int kSegmentLength = -210;
constexpr int kRestartIntervalLength = -211;
constexpr int kScanHeader = -212;
constexpr int kScanComponent = -213;
constexpr int kArithmetic = -215;
constexpr int kUnexpectedMarker = -216;
constexpr int kNoStartOfImage = -217;
constexpr int kUnsupportedFrame = -218;
constexpr int kQuantTooShort = -219;
constexpr int kTooManyAllocations = -221;
constexpr int kQuantUndefined = -222;
constexpr int kHuffmanUndefined = -223;
constexpr int kComponentCount = -225;
constexpr int kSampling = -226;
constexpr int kCorruptData = -227;
constexpr int kRestartMarker = -228;
constexpr int kBlockLimit = -229;
constexpr int kSpectralSelection = -230;
constexpr int kSuccessiveApproximation = -231;
constexpr int kReadFailure = -232;
constexpr int kOutOfMemory = -233;

}  // namespace jpeg_error

// Thrown inside the decoder only; every public operation catches it.
struct JpegFailure {
    int code;
};

[[noreturn]] inline void jpegFail(int code) {
    throw JpegFailure{code};
}
