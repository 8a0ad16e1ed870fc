#include "platform/audio/vorbis_comment_check.h"

#include <cstddef>
#include <vector>

namespace platform {
namespace {

constexpr std::size_t kPageHeader = 27;      // fixed part of an Ogg page header
constexpr std::size_t kIdentification = 30;  // the identification packet
constexpr std::uint8_t kContinued = 1;       // page flag: continues a packet

// One Ogg page's segment table, flags and where its body starts.
struct Page {
    std::size_t body = 0;  // offset of the body in the file
    std::span<const std::uint8_t> lacing;
    std::uint8_t flags = 0;
};

// Reads the page header at `at`; false when there is none there whole.
bool readPage(std::span<const std::uint8_t> file, std::size_t at, Page* page) {
    if (at > file.size() || file.size() - at < kPageHeader) return false;
    const std::uint8_t* h = file.data() + at;
    if (h[0] != 'O' || h[1] != 'g' || h[2] != 'g' || h[3] != 'S') return false;
    const std::size_t segments = h[26];
    if (file.size() - at - kPageHeader < segments) return false;
    page->flags = h[5];
    page->lacing = file.subspan(at + kPageHeader, segments);
    page->body = at + kPageHeader + segments;
    return true;
}

// The comment packet's bytes as stb_vorbis gathers them: segments of the
// page at `at` until one shorter than 255, on through continuation pages.
// Bytes a segment claims beyond the end of the file read as zero, as they
// do for stb_vorbis.
bool commentPacket(std::span<const std::uint8_t> file, std::size_t at,
                   std::vector<std::uint8_t>* packet) {
    Page page;
    if (!readPage(file, at, &page)) return false;
    for (bool first = true;; first = false) {
        // stb_vorbis would read a page without segments through the last
        // page's table.
        if (page.lacing.empty() || (!first && !(page.flags & kContinued))) return false;
        std::size_t offset = page.body;
        for (const std::uint8_t length : page.lacing) {
            for (std::size_t i = 0; i < length; ++i)
                packet->push_back(offset + i < file.size() ? file[offset + i] : 0);
            offset += length;
            if (length < 255) return true;
        }
        if (!readPage(file, offset, &page)) return false;
    }
}

}  // namespace

bool vorbisCommentsFit(std::span<const std::uint8_t> file) {
    // The first page holds the identification packet alone, in one segment.
    Page first;
    if (!readPage(file, 0, &first) || first.lacing.size() != 1 ||
        first.lacing[0] != kIdentification)
        return false;
    std::vector<std::uint8_t> packet;
    if (!commentPacket(file, first.body + kIdentification, &packet)) return false;

    // Type 3, "vorbis", the vendor string, the count, then each comment.
    std::size_t at = 7;
    if (packet.size() < at) return false;
    const auto remaining = [&] { return packet.size() - at; };
    const auto get32 = [&](std::uint32_t* value) {
        if (remaining() < 4) return false;
        *value = static_cast<std::uint32_t>(packet[at]) |
                 static_cast<std::uint32_t>(packet[at + 1]) << 8 |
                 static_cast<std::uint32_t>(packet[at + 2]) << 16 |
                 static_cast<std::uint32_t>(packet[at + 3]) << 24;
        at += 4;
        return true;
    };
    std::uint32_t length = 0;
    if (!get32(&length) || length > remaining()) return false;
    at += length;
    std::uint32_t count = 0;
    if (!get32(&count) || count > remaining() / 4) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!get32(&length) || length > remaining()) return false;
        at += length;
    }
    return true;
}

}  // namespace platform
