#pragma once
// Encodes float PCM to an Ogg Vorbis file with libvorbisenc (variable bit
// rate). The output depends only on the input: the stream serial is fixed.
#include <cstddef>
#include <string>

namespace music {

struct VorbisEncoding {
    int rate = 44100;
    int channels = 2;
    float quality = 0.5f;  // -0.1 to 1.0; 0.5 is about 160 kbit/s for stereo
    std::string title;
};

// `samples` holds `frames` interleaved frames of `encoding.channels` values
// in [-1, 1]. False (with the reason on standard error) when the file cannot
// be written or the encoder refuses the settings.
bool writeOggVorbis(const std::string& path, const float* samples, std::size_t frames,
                    const VorbisEncoding& encoding);

}  // namespace music
