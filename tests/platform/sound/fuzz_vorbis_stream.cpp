// Arbitrary bytes through the libvorbisfile music stream.
#include "platform/audio/vorbis_stream.h"
#include "tests/platform/sound/fuzz_music_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzMusicStream<platform::VorbisStream>(data, size);
}
