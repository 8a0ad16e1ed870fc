#include "platform/audio/stb_vorbis_stream.h"

#include <algorithm>
#include <cstdio>

#include "platform/audio/vorbis_comment_check.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace platform {
namespace {

stb_vorbis* decoderOf(void* d) {
    return static_cast<stb_vorbis*>(d);
}

}  // namespace

StbVorbisStream::StbVorbisStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

StbVorbisStream::~StbVorbisStream() {
    if (decoder_ != nullptr) stb_vorbis_close(decoderOf(decoder_));
}

std::unique_ptr<StbVorbisStream> StbVorbisStream::openFile(const char* path) {
    if (path == nullptr) return nullptr;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[65536];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.insert(bytes.end(), block, block + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return nullptr;
    std::unique_ptr<StbVorbisStream> stream(new StbVorbisStream(std::move(bytes)));
    return stream->open() ? std::move(stream) : nullptr;
}

std::unique_ptr<StbVorbisStream> StbVorbisStream::openMemory(std::span<const std::uint8_t> bytes) {
    std::unique_ptr<StbVorbisStream> stream(
        new StbVorbisStream(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
    return stream->open() ? std::move(stream) : nullptr;
}

bool StbVorbisStream::open() {
    if (bytes_.empty() || bytes_.size() > 0x7fffffff || !vorbisCommentsFit(bytes_)) return false;
    // stb_vorbis works in an arena of ours rather than with malloc: some of
    // its failure paths on damaged files do not free what they took, and
    // an arena goes with the stream whatever happened. Too small an arena
    // is retried larger.
    stb_vorbis* decoder = nullptr;
    for (std::size_t size = std::size_t{1} << 18; size <= std::size_t{1} << 26; size *= 4) {
        arena_.assign(size, 0);
        const stb_vorbis_alloc alloc{arena_.data(), static_cast<int>(arena_.size())};
        int error = 0;
        decoder =
            stb_vorbis_open_memory(bytes_.data(), static_cast<int>(bytes_.size()), &error, &alloc);
        if (decoder != nullptr || error != VORBIS_outofmem) break;
    }
    if (decoder == nullptr) return false;
    decoder_ = decoder;
    const stb_vorbis_info info = stb_vorbis_get_info(decoder);
    if (info.channels < 1 || info.sample_rate < 1 || info.sample_rate > 1000000) return false;
    rate_ = static_cast<int>(info.sample_rate);
    channels_ = info.channels;
    const unsigned int total = stb_vorbis_stream_length_in_samples(decoder);
    length_ = total > 0 ? static_cast<std::int64_t>(total) : -1;
    return true;
}

std::size_t StbVorbisStream::read(float* out, std::size_t frames) {
    // Planar decoding of the channels a stereo read takes from (left,
    // and right as stereoRightChannel names it), a chunk at a time.
    constexpr std::size_t kChunk = 4096;
    const int planes = std::min(channels_, 3);
    for (auto& plane : planes_) plane.resize(kChunk);
    float* pointers[3] = {planes_[0].data(), planes_[1].data(), planes_[2].data()};
    const std::size_t right = static_cast<std::size_t>(stereoRightChannel(channels_));
    std::size_t written = 0;
    while (written < frames) {
        const int want = static_cast<int>(std::min(frames - written, kChunk));
        const int got = stb_vorbis_get_samples_float(decoderOf(decoder_), planes, pointers, want);
        if (got <= 0) break;  // the end, or data that cannot be decoded
        for (int i = 0; i < got; ++i) {
            out[2 * written] = planes_[0][static_cast<std::size_t>(i)];
            out[2 * written + 1] = planes_[right][static_cast<std::size_t>(i)];
            ++written;
        }
    }
    return written;
}

bool StbVorbisStream::seek(std::int64_t frame) {
    if (length_ < 0) return false;
    frame = std::clamp<std::int64_t>(frame, 0, length_);
    if (frame == length_) {
        // stb_vorbis refuses the very end; park on the last frame and drop it.
        if (length_ == 0) return true;
        if (!stb_vorbis_seek(decoderOf(decoder_), static_cast<unsigned int>(length_ - 1)))
            return false;
        float scratch[2];
        read(scratch, 1);
        return true;
    }
    return stb_vorbis_seek(decoderOf(decoder_), static_cast<unsigned int>(frame)) != 0;
}

}  // namespace platform
