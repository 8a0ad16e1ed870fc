// make-music OUT.ogg: synthesises the demo's soundtrack and writes it as Ogg Vorbis.
#include <cstdio>
#include <filesystem>

#include "tools/make-music/ogg_vorbis_writer.h"
#include "tools/make-music/soundtrack.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-music OUT.ogg\n");
        return 2;
    }
    std::filesystem::path out(argv[1]);
    std::error_code error;
    if (out.has_parent_path()) std::filesystem::create_directories(out.parent_path(), error);
    std::vector<float> samples = music::composeSoundtrack();
    music::VorbisEncoding encoding;
    encoding.rate = music::kSoundtrackRate;
    encoding.channels = 2;
    encoding.quality = 0.5f;
    encoding.title = "Brontavik";
    // Written beside the target first, so an interrupted build leaves no half file.
    std::filesystem::path partial = out;
    partial += ".partial";
    if (!music::writeOggVorbis(partial.string(), samples.data(), samples.size() / 2, encoding)) {
        return 1;
    }
    std::filesystem::rename(partial, out, error);
    if (error) {
        std::fprintf(stderr, "make-music: cannot write %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    return 0;
}
