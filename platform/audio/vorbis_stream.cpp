#include "platform/audio/vorbis_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

// Bytes held by the caller, read through vorbisfile's callbacks.
struct MemorySource {
    std::span<const std::uint8_t> bytes;
    std::size_t cursor = 0;
};

}  // namespace

struct VorbisStream::Impl {
    OggVorbis_File file{};
    bool opened = false;
    MemorySource memory;
    // Consecutive recoverable errors (holes); a stream that keeps failing ends.
    int holes = 0;

    ~Impl() {
        if (opened) ov_clear(&file);
    }
};

namespace {

std::size_t memoryRead(void* dst, std::size_t size, std::size_t count, void* source) {
    auto* impl = static_cast<MemorySource*>(source);
    if (size == 0) return 0;
    std::size_t available = impl->bytes.size() - impl->cursor;
    std::size_t n = std::min(count, available / size);
    if (n > 0) std::memcpy(dst, impl->bytes.data() + impl->cursor, n * size);
    impl->cursor += n * size;
    return n;
}

int memorySeek(void* source, ogg_int64_t offset, int whence) {
    auto* impl = static_cast<MemorySource*>(source);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(impl->cursor);
    if (whence == SEEK_END) base = static_cast<ogg_int64_t>(impl->bytes.size());
    ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(impl->bytes.size())) return -1;
    impl->cursor = static_cast<std::size_t>(target);
    return 0;
}

long memoryTell(void* source) {
    return static_cast<long>(static_cast<MemorySource*>(source)->cursor);
}

}  // namespace

VorbisStream::VorbisStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
VorbisStream::~VorbisStream() = default;

std::unique_ptr<VorbisStream> VorbisStream::openFile(const char* path) {
    auto impl = std::make_unique<Impl>();
    if (path == nullptr || ov_fopen(path, &impl->file) != 0) return nullptr;
    impl->opened = true;
    std::unique_ptr<VorbisStream> stream(new VorbisStream(std::move(impl)));
    if (!stream->describe()) return nullptr;
    return stream;
}

std::unique_ptr<VorbisStream> VorbisStream::openMemory(std::span<const std::uint8_t> bytes) {
    auto impl = std::make_unique<Impl>();
    impl->memory.bytes = bytes;
    ov_callbacks callbacks{memoryRead, memorySeek, nullptr, memoryTell};
    if (ov_open_callbacks(&impl->memory, &impl->file, nullptr, 0, callbacks) != 0) return nullptr;
    impl->opened = true;
    std::unique_ptr<VorbisStream> stream(new VorbisStream(std::move(impl)));
    if (!stream->describe()) return nullptr;
    return stream;
}

bool VorbisStream::describe() {
    vorbis_info* info = ov_info(&impl_->file, -1);
    if (info == nullptr || info->channels < 1 || info->rate < 1 || info->rate > 1000000) {
        return false;
    }
    rate_ = static_cast<int>(info->rate);
    channels_ = info->channels;
    if (ov_seekable(&impl_->file)) {
        ogg_int64_t total = ov_pcm_total(&impl_->file, -1);
        length_ = total >= 0 ? total : -1;
    }
    return true;
}

std::size_t VorbisStream::read(float* out, std::size_t frames) {
    std::size_t written = 0;
    while (written < frames) {
        float** pcm = nullptr;
        int section = 0;
        int want = static_cast<int>(std::min<std::size_t>(frames - written, 4096));
        long got = ov_read_float(&impl_->file, &pcm, want, &section);
        if (got == OV_HOLE) {
            // A gap in the data: skip it, but give up on a stream made of gaps.
            if (++impl_->holes > 64) break;
            continue;
        }
        if (got <= 0) break;
        impl_->holes = 0;
        // Later chained sections may carry another channel count.
        vorbis_info* info = ov_info(&impl_->file, section);
        int channels = info != nullptr ? info->channels : channels_;
        if (channels < 1) break;
        const float* left = pcm[0];
        const float* right = pcm[stereoRightChannel(channels)];
        for (long i = 0; i < got; ++i) {
            out[2 * written] = left[i];
            out[2 * written + 1] = right[i];
            ++written;
        }
    }
    return written;
}

bool VorbisStream::seek(std::int64_t frame) {
    if (!ov_seekable(&impl_->file)) return false;
    if (frame < 0) frame = 0;
    if (length_ >= 0 && frame >= length_) {
        // ov_pcm_seek rejects the very end; park on the last frame and drop it.
        if (length_ == 0) return true;
        if (ov_pcm_seek(&impl_->file, length_ - 1) != 0) return false;
        float scratch[2];
        read(scratch, 1);
        return true;
    }
    return ov_pcm_seek(&impl_->file, frame) == 0;
}

}  // namespace platform
