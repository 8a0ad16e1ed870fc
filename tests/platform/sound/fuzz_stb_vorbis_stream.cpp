// Arbitrary bytes through the stb_vorbis music stream (the Windows build's).
#include "platform/audio/stb_vorbis_stream.h"
#include "tests/platform/sound/fuzz_music_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzMusicStream<platform::StbVorbisStream>(data, size);
}
