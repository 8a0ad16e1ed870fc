// Writes small valid Ogg Vorbis files as the decoder fuzzer's first inputs.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "tools/make-music/ogg_vorbis_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_vorbis_stream-seeds CORPUS_DIR\n");
        return 2;
    }
    struct Seed {
        const char* name;
        int rate;
        int channels;
        double seconds;
    };
    const Seed seeds[] = {{"mono-8k.ogg", 8000, 1, 0.1},
                          {"stereo-44k.ogg", 44100, 2, 0.15},
                          {"three-22k.ogg", 22050, 3, 0.1}};
    for (const Seed& seed : seeds) {
        std::size_t frames = static_cast<std::size_t>(seed.rate * seed.seconds);
        std::vector<float> samples(frames * seed.channels);
        for (std::size_t i = 0; i < frames; ++i) {
            for (int c = 0; c < seed.channels; ++c) {
                samples[i * seed.channels + c] = static_cast<float>(
                    0.5 * std::sin(2.0 * std::numbers::pi * (300.0 + 200.0 * c) * i / seed.rate));
            }
        }
        music::VorbisEncoding encoding;
        encoding.rate = seed.rate;
        encoding.channels = seed.channels;
        encoding.quality = 0.1f;
        if (!music::writeOggVorbis(std::string(argv[1]) + "/" + seed.name, samples.data(), frames,
                                   encoding)) {
            return 1;
        }
    }
    return 0;
}
