#pragma once
// A look at an Ogg Vorbis file's comment header before stb_vorbis opens it.
// stb_vorbis trusts the vendor and comment lengths and the comment count it
// reads there: on a damaged file it allocates by them and writes past what
// it took, or frees a list it never got. This reads the packet the way
// stb_vorbis will (the page right after the first page's 30-byte
// identification packet, continued over following pages) and says whether
// every count and length fits inside it.
#include <cstdint>
#include <span>

namespace platform {

// True when the first pages are laid out as stb_vorbis reads them and the
// comment header's lengths and count all lie within its packet; false for
// anything else (which stb_vorbis would refuse or misread).
bool vorbisCommentsFit(std::span<const std::uint8_t> file);

}  // namespace platform
