#include "tools/make-music/ogg_vorbis_writer.h"

#include <vorbis/vorbisenc.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace music {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

bool writePage(std::FILE* file, const ogg_page& page) {
    return std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), file) ==
               static_cast<std::size_t>(page.header_len) &&
           std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), file) ==
               static_cast<std::size_t>(page.body_len);
}

// The libvorbis encoder state, released in reverse order of set-up.
struct Encoder {
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool dspReady = false;

    Encoder() {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Encoder() {
        if (dspReady) {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
};

}  // namespace

bool writeOggVorbis(const std::string& path, const float* samples, std::size_t frames,
                    const VorbisEncoding& encoding) {
    const int channels = encoding.channels;
    Encoder enc;
    if (channels < 1 || channels > 8 ||
        vorbis_encode_init_vbr(&enc.info, channels, encoding.rate, encoding.quality) != 0) {
        std::fprintf(stderr, "vorbis: unsupported settings (%d channels, %d Hz)\n", channels,
                     encoding.rate);
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        std::fprintf(stderr, "vorbis: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    if (!encoding.title.empty())
        vorbis_comment_add_tag(&enc.comment, "TITLE", encoding.title.c_str());
    vorbis_analysis_init(&enc.dsp, &enc.info);
    vorbis_block_init(&enc.dsp, &enc.block);
    ogg_stream_init(&enc.stream, 0x42726f6e);
    enc.dspReady = true;

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&enc.dsp, &enc.comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&enc.stream, &header);
    ogg_stream_packetin(&enc.stream, &commentHeader);
    ogg_stream_packetin(&enc.stream, &codeHeader);
    ogg_page page;
    bool ok = true;
    while (ok && ogg_stream_flush(&enc.stream, &page) != 0) ok = writePage(file.get(), page);

    constexpr std::size_t kChunk = 4096;
    std::size_t done = 0;
    bool finished = false;
    while (ok && !finished) {
        std::size_t n = frames - done < kChunk ? frames - done : kChunk;
        if (n == 0) {
            vorbis_analysis_wrote(&enc.dsp, 0);  // end of stream
            finished = true;
        } else {
            float** buffer = vorbis_analysis_buffer(&enc.dsp, static_cast<int>(n));
            for (std::size_t i = 0; i < n; ++i) {
                for (int c = 0; c < channels; ++c) {
                    buffer[c][i] = samples[(done + i) * static_cast<std::size_t>(channels) + c];
                }
            }
            vorbis_analysis_wrote(&enc.dsp, static_cast<int>(n));
            done += n;
        }
        while (ok && vorbis_analysis_blockout(&enc.dsp, &enc.block) == 1) {
            vorbis_analysis(&enc.block, nullptr);
            vorbis_bitrate_addblock(&enc.block);
            ogg_packet packet;
            while (ok && vorbis_bitrate_flushpacket(&enc.dsp, &packet) != 0) {
                ogg_stream_packetin(&enc.stream, &packet);
                while (ok && ogg_stream_pageout(&enc.stream, &page) != 0) {
                    ok = writePage(file.get(), page);
                }
            }
        }
    }
    while (ok && ogg_stream_flush(&enc.stream, &page) != 0) ok = writePage(file.get(), page);
    if (std::fflush(file.get()) != 0) ok = false;
    if (!ok)
        std::fprintf(stderr, "vorbis: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return ok;
}

}  // namespace music
