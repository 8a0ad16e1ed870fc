#include "texturing/jpeg_input.h"

#include "texturing/jpeg_errors.h"

void JpegInput::start(ByteSource* source) {
    source_ = source;
    pos_ = 0;
    filled_ = 0;
    ended_ = source == nullptr;
    padSecond_ = false;
    bytesRead_ = 0;
    pendingMarker = -1;
    if (source == nullptr) jpegFail(jpeg_error::kReadFailure);
    refill();
}

void JpegInput::refill() {
    pos_ = 0;
    filled_ = 0;
    while (filled_ < kBufferSize && !ended_) {
        bool end = false;
        int wanted = kBufferSize - filled_;
        int got = source_->read(buffer_ + filled_, wanted, &end);
        if (got < 0) jpegFail(jpeg_error::kReadFailure);
        if (got > wanted) got = wanted;
        filled_ += got;
        bytesRead_ += static_cast<std::uint64_t>(got);
        // A source that delivers nothing without saying it has ended would
        // otherwise be asked for ever; treat it as ended.
        if (end || got == 0) ended_ = true;
    }
    for (int i = 0; i < kMargin; ++i) buffer_[filled_ + i] = (i & 1) ? 0xD9 : 0xFF;
}

std::uint8_t JpegInput::readByteSlow() {
    if (!ended_) {
        refill();
        if (pos_ < filled_) return buffer_[pos_++];
    }
    std::uint8_t byte = padSecond_ ? 0xD9 : 0xFF;
    padSecond_ = !padSecond_;
    return byte;
}

void JpegInput::skip(int count) {
    while (count > 0) {
        int step = available();
        if (step <= 0) {
            readByte();
            --count;
            continue;
        }
        if (step > count) step = count;
        pos_ += step;
        count -= step;
    }
}
